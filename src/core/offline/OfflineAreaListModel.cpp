#include "OfflineAreaListModel.h"

#include "OfflineMaps.h"

#include <QLocale>

using namespace zeltrin::offline;

QVariant OfflineAreaListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const OfflineArea &a = m_areas[index.row()];
    switch (role) {
    case AreaIdRole: return a.id;
    case NameRole: return a.name;
    case DetailRole: return detailText(a);
    case StatusRole: return statusText(a);
    default: return {};
    }
}

QHash<int, QByteArray> OfflineAreaListModel::roleNames() const
{
    return {{AreaIdRole, "areaId"}, {NameRole, "name"}, {DetailRole, "detail"}, {StatusRole, "status"}};
}

void OfflineAreaListModel::setAreas(const QList<OfflineArea> &areas)
{
    const bool countChanges = areas.size() != m_areas.size();
    beginResetModel();
    m_areas = areas;
    endResetModel();
    if (countChanges)
        Q_EMIT countChanged();
}

QString OfflineAreaListModel::detailText(const OfflineArea &a)
{
    const QString zoom = a.minZoom == a.maxZoom ? QStringLiteral("Zoom %1").arg(a.minZoom)
                                                : QStringLiteral("Zoom %1\u2013%2").arg(a.minZoom).arg(a.maxZoom);
    const QString date = QLocale::system().toString(a.created.toLocalTime().date(), QLocale::ShortFormat);
    return zoom + QStringLiteral(" \u00b7 ") + OfflineMaps::bytesText(a.bytes) + QStringLiteral(" \u00b7 ") + date;
}

QString OfflineAreaListModel::statusText(const OfflineArea &a)
{
    const QString counts = QStringLiteral("%1 of %2 tiles").arg(OfflineMaps::countText(a.heldCount),
                                                                OfflineMaps::countText(a.tileCount));
    switch (a.state) {
    case AreaState::complete:
    case AreaState::imported:
        return {};
    case AreaState::downloading:
        return QStringLiteral("Downloading \u00b7 ") + counts;
    case AreaState::paused:
        return QStringLiteral("Paused \u00b7 ") + counts;
    case AreaState::partial:
        return QStringLiteral("Incomplete \u00b7 ") + counts;
    }
    return {};
}
