#include "FlightPlanModel.h"

#include <cmath>

// The map's gestures on the plan: taps, press-and-hold, markers dragged, and their undo.

namespace {
bool onEarth(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90
        && std::abs(longitude) <= 180;
}
} // namespace

void FlightPlanModel::rememberForUndo()
{
    if (m_undo.size() >= kMaxUndo)
        m_undo.removeFirst();
    m_undo.append(Before{m_waypoints.coordinates(), selectedWaypoint(), m_survey});
    if (m_undo.size() == 1)
        Q_EMIT canUndoChanged();
}

void FlightPlanModel::mapLongPressed(double latitude, double longitude)
{
    if (!onEarth(latitude, longitude))
        return;
    rememberForUndo();
    m_tapAdded.reset();
    m_waypoints.append(zeltrin::Coordinate{latitude, longitude});
}

void FlightPlanModel::undo()
{
    if (m_undo.isEmpty())
        return;
    const Before before = m_undo.takeLast();
    m_tapAdded.reset();
    m_waypoints.setMarked(std::nullopt);
    m_waypoints.setCoordinates(before.waypoints);
    m_survey = before.survey;
    Q_EMIT surveyChanged();
    setSelectedWaypoint(before.selected);
    if (m_undo.isEmpty())
        Q_EMIT canUndoChanged();
}

void FlightPlanModel::mapTapped(double, double)
{
    rememberForUndo();
    const qsizetype before = waypointCount();
    addWaypoint();
    m_tapAdded = TapAdded{before, m_waypoints.coordinates().constLast()};
}

void FlightPlanModel::mapDoubleTapped(double, double)
{
    const std::optional<TapAdded> added = std::exchange(m_tapAdded, std::nullopt);
    const auto &list = m_waypoints.coordinates();
    if (!added || list.size() != added->position + 1 || !(list.constLast() == added->coordinate))
        return;
    const auto selected = selectedWaypoint();
    if (!m_undo.isEmpty()) { // the first tap's step goes with its waypoint
        m_undo.removeLast();
        if (m_undo.isEmpty())
            Q_EMIT canUndoChanged();
    }
    m_waypoints.removePositions({added->position});
    if (selectedWaypoint() != selected)
        setSelectedWaypoint(selected);
}

void FlightPlanModel::startWaypointMove(int position)
{
    if (position < 0 || position >= waypointCount())
        return;
    rememberForUndo(); // the whole drag is one step back
    m_tapAdded.reset();
    setSelectedWaypoint(position);
}

void FlightPlanModel::moveWaypoint(int position, double latitude, double longitude)
{
    if (position < 0 || position >= waypointCount() || !onEarth(latitude, longitude))
        return;
    m_waypoints.setCoordinate(position, zeltrin::Coordinate{latitude, longitude});
}
