#include "WaypointListModel.h"

#include "NumberFormat.h"

QVariant WaypointListModel::data(const QModelIndex &index, int role) const
{
    if (role == LatitudeTextRole || role == LongitudeTextRole) {
        if (!index.isValid() || index.row() >= count())
            return {};
        const auto &c = coordinates().at(index.row());
        return role == LatitudeTextRole ? latitudeText(c.latitude) : longitudeText(c.longitude);
    }
    return CoordinateListModel::data(index, role);
}

QHash<int, QByteArray> WaypointListModel::roleNames() const
{
    auto roles = CoordinateListModel::roleNames();
    roles.insert(LatitudeTextRole, "latitudeText");
    roles.insert(LongitudeTextRole, "longitudeText");
    return roles;
}

QString WaypointListModel::rowTitle(int position)
{
    return zeltrin::format("WP %d", position + 1);
}

QString WaypointListModel::annotationTitle(int position)
{
    return zeltrin::format("WP%d", position + 1);
}

QString WaypointListModel::latitudeText(double latitude)
{
    return zeltrin::format("Lat: %.6f", latitude);
}

QString WaypointListModel::longitudeText(double longitude)
{
    return zeltrin::format("Lon: %.6f", longitude);
}
