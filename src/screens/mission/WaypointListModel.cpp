#include "WaypointListModel.h"

#include "MissionBatteries.h"
#include "NumberFormat.h"

QVariant WaypointListModel::data(const QModelIndex &index, int role) const
{
    if (role == BatteryNoteRole) {
        const int part = index.isValid() ? m_batteryStarts.value(index.row()) : 0;
        return part > 0 ? MissionBatteries::startText(part) : QString();
    }
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
    roles.insert(BatteryNoteRole, "batteryNote");
    return roles;
}

void WaypointListModel::setBatteryStarts(const QHash<int, int> &starts)
{
    if (starts == m_batteryStarts)
        return;
    m_batteryStarts = starts;
    if (count() > 0)
        Q_EMIT dataChanged(index(0), index(count() - 1), {BatteryNoteRole});
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
