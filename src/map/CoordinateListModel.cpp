#include "CoordinateListModel.h"

#include "WaypointListOps.h"

using zeltrin::Coordinate;

CoordinateListModel::CoordinateListModel(QObject *parent) : QAbstractListModel(parent) {}

int CoordinateListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant CoordinateListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const Coordinate &c = m_items.at(index.row());
    switch (role) {
    case LatitudeRole: return c.latitude;
    case LongitudeRole: return c.longitude;
    case SelectedRole: return m_marked && *m_marked == index.row();
    default: return {};
    }
}

QHash<int, QByteArray> CoordinateListModel::roleNames() const
{
    return {{LatitudeRole, "latitude"}, {LongitudeRole, "longitude"}, {SelectedRole, "isSelected"}};
}

double CoordinateListModel::latitudeAt(int i) const
{
    return i >= 0 && i < m_items.size() ? m_items.at(i).latitude : qQNaN();
}

double CoordinateListModel::longitudeAt(int i) const
{
    return i >= 0 && i < m_items.size() ? m_items.at(i).longitude : qQNaN();
}

void CoordinateListModel::append(Coordinate c)
{
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(c);
    endInsertRows();
    Q_EMIT countChanged();
    Q_EMIT contentChanged();
}

void CoordinateListModel::clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
    Q_EMIT countChanged();
    Q_EMIT contentChanged();
}

void CoordinateListModel::setCoordinates(QList<Coordinate> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
    Q_EMIT countChanged();
    Q_EMIT contentChanged();
}

void CoordinateListModel::removePositions(std::vector<qsizetype> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::erase_if(positions, [&](qsizetype p) { return p < 0 || p >= m_items.size(); });
    if (positions.empty())
        return;
    auto marked = m_marked;
    // Remove back to front, one contiguous run per signal pair, so views stay in step.
    qsizetype i = qsizetype(positions.size()) - 1;
    while (i >= 0) {
        qsizetype last = positions[i];
        qsizetype first = last;
        while (i > 0 && positions[i - 1] == first - 1)
            first = positions[--i];
        --i;
        beginRemoveRows({}, int(first), int(last));
        std::vector<qsizetype> run;
        for (qsizetype p = first; p <= last; ++p)
            run.push_back(p);
        zeltrin::waypoints::removeAt(m_items, run, marked);
        endRemoveRows();
    }
    if (marked != m_marked) {
        m_marked = marked;
    }
    // Stored positions do not follow the items: a kept selection now marks whatever sits there.
    if (m_marked && *m_marked < m_items.size())
        markRow(m_marked);
    Q_EMIT countChanged();
    Q_EMIT contentChanged();
}

void CoordinateListModel::movePositions(std::vector<qsizetype> sources, qsizetype destination)
{
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    std::erase_if(sources, [&](qsizetype s) { return s < 0 || s >= m_items.size(); });
    if (sources.empty())
        return;
    destination = std::clamp<qsizetype>(destination, 0, m_items.size());
    if (sources.size() == 1) {
        const qsizetype from = sources.front();
        if (zeltrin::waypoints::landingPosition(from, destination) == from)
            return;
        beginMoveRows({}, int(from), int(from), {}, int(destination));
        zeltrin::waypoints::move(m_items, sources, destination);
        endMoveRows();
    } else {
        beginResetModel();
        zeltrin::waypoints::move(m_items, sources, destination);
        endResetModel();
    }
    markRow(m_marked);
    Q_EMIT contentChanged();
}

void CoordinateListModel::setMarked(std::optional<qsizetype> position)
{
    const auto old = m_marked;
    m_marked = position;
    markRow(old);
    markRow(m_marked);
    Q_EMIT contentChanged();
}

void CoordinateListModel::markRow(std::optional<qsizetype> row)
{
    if (row && *row >= 0 && *row < m_items.size()) {
        const QModelIndex ix = index(int(*row));
        Q_EMIT dataChanged(ix, ix, {SelectedRole});
    }
}
