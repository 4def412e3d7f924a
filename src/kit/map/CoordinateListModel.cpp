#include "CoordinateListModel.h"

#include "WaypointListOps.h"

#include <numeric>

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
    Q_EMIT coordinatesChangedFrom(row);
    Q_EMIT contentChanged();
}

void CoordinateListModel::clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
    Q_EMIT countChanged();
    Q_EMIT coordinatesChangedFrom(0);
    Q_EMIT contentChanged();
}

void CoordinateListModel::setCoordinates(QList<Coordinate> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
    Q_EMIT countChanged();
    Q_EMIT coordinatesChangedFrom(0);
    Q_EMIT contentChanged();
}

void CoordinateListModel::setCoordinate(qsizetype position, Coordinate c)
{
    if (position < 0 || position >= m_items.size())
        return;
    m_items[position] = c;
    const QModelIndex row = index(int(position));
    Q_EMIT dataChanged(row, row, {LatitudeRole, LongitudeRole});
    Q_EMIT coordinatesChangedFrom(position);
    Q_EMIT contentChanged();
}

void CoordinateListModel::removePositions(std::vector<qsizetype> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::erase_if(positions, [&](qsizetype p) { return p < 0 || p >= m_items.size(); });
    if (positions.empty())
        return;
    // Where the marked row's item ends up: views keep its delegate (and its look) while it shifts.
    const auto shifted = followMarked([&](QList<qsizetype> &ids) {
        std::optional<qsizetype> unused;
        zeltrin::waypoints::removeAt(ids, positions, unused);
    });
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
    m_marked = marked;
    // Stored positions do not follow the items: a kept selection now marks whatever sits there.
    restyleAfterShift(shifted);
    Q_EMIT countChanged();
    Q_EMIT coordinatesChangedFrom(positions.front());
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
        const auto shifted = followMarked(
            [&](QList<qsizetype> &ids) { zeltrin::waypoints::move(ids, sources, destination); });
        beginMoveRows({}, int(from), int(from), {}, int(destination));
        zeltrin::waypoints::move(m_items, sources, destination);
        endMoveRows();
        restyleAfterShift(shifted);
    } else {
        // Several rows at once: views rebuild every row, so no look is left behind.
        beginResetModel();
        zeltrin::waypoints::move(m_items, sources, destination);
        endResetModel();
    }
    Q_EMIT coordinatesChangedFrom(std::min(sources.front(), destination));
    Q_EMIT contentChanged();
}

std::optional<qsizetype>
CoordinateListModel::followMarked(const std::function<void(QList<qsizetype> &)> &edit) const
{
    if (!m_marked || *m_marked < 0 || *m_marked >= m_items.size())
        return std::nullopt;
    QList<qsizetype> ids(m_items.size());
    std::iota(ids.begin(), ids.end(), qsizetype(0));
    edit(ids);
    const qsizetype at = ids.indexOf(*m_marked);
    return at < 0 ? std::nullopt : std::optional<qsizetype>(at);
}

void CoordinateListModel::restyleAfterShift(std::optional<qsizetype> shifted)
{
    // The delegate that showed the mark now sits at `shifted`; the mark itself stays put.
    if (shifted != m_marked)
        markRow(shifted);
    markRow(m_marked);
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
