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
