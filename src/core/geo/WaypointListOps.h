#pragma once

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <optional>
#include <vector>

namespace zeltrin::waypoints {

// Removes the given positions (any order, duplicates and out-of-range positions ignored).
// The selection is cleared only when the selected position was among those removed;
// any other stored selection is kept as it is, even if it now names another waypoint.
template<typename T>
void removeAt(QList<T> &list, std::vector<qsizetype> positions, std::optional<qsizetype> &selection)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    bool selectionRemoved = false;
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        const qsizetype p = *it;
        if (p < 0 || p >= list.size())
            continue;
        if (selection && *selection == p)
            selectionRemoved = true;
        list.removeAt(p);
    }
    if (selectionRemoved)
        selection.reset();
}

// Moves the items at the source positions so that they land before the item that stood at
// `destination` before the move (destination == size means the end). Moved items keep their
// relative order. [A,B,C]: {0}->3 = [B,C,A]; {2}->0 = [C,A,B]; {0,2}->2 = [B,A,C].
template<typename T>
void move(QList<T> &list, std::vector<qsizetype> sources, qsizetype destination)
{
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    std::erase_if(sources, [&](qsizetype s) { return s < 0 || s >= list.size(); });
    if (sources.empty())
        return;
    destination = std::clamp<qsizetype>(destination, 0, list.size());
    // Fast path for one item: a single shift instead of rebuilding the list.
    if (sources.size() == 1) {
        const qsizetype from = sources.front();
        const qsizetype to = destination > from ? destination - 1 : destination;
        if (from != to)
            list.move(from, to);
        return;
    }
    QList<T> moved;
    moved.reserve(qsizetype(sources.size()));
    qsizetype before = 0; // moved items that stood before the destination
    for (qsizetype s : sources) {
        moved.append(list.at(s));
        if (s < destination)
            ++before;
    }
    for (auto it = sources.rbegin(); it != sources.rend(); ++it)
        list.removeAt(*it);
    const qsizetype insertAt = destination - before;
    for (qsizetype i = 0; i < moved.size(); ++i)
        list.insert(insertAt + i, moved.at(i));
}

// Where a single item lands in the list after move(list, {from}, destination).
inline qsizetype landingPosition(qsizetype from, qsizetype destination)
{
    return destination > from ? destination - 1 : destination;
}

} // namespace zeltrin::waypoints
