#include "AppState.h"

AppState::AppState(QObject *parent) : QObject(parent) {}

void AppState::setSelectedTab(AppTab tab)
{
    m_selectedTab = tab;
    Q_EMIT selectedTabChanged();
}

void AppState::setShowingPreFlight(bool v)
{
    m_showingPreFlight = v;
    Q_EMIT showingPreFlightChanged();
}

void AppState::setActiveAlert(const std::optional<AppAlert> &alert)
{
    m_activeAlert = alert;
    Q_EMIT activeAlertChanged();
}

void AppState::setPlannedMission(const std::optional<DJIWaypointMission> &mission)
{
    if (m_plannedMission == mission)
        return;
    m_plannedMission = mission;
    Q_EMIT plannedMissionChanged();
}
