#pragma once

#include "AppTab.h"
#include "DJIWaypointMission.h"

#include <QObject>
#include <QQmlEngine>
#include <QUuid>

#include <optional>

struct AppAlert {
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString message MEMBER message)
public:
    QUuid id = QUuid::createUuid();
    QString title;
    QString message;
    bool operator==(const AppAlert &) const = default;
};

// The one application-wide navigation state. Every assignment notifies, also of an equal value.
class AppState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application state is owned by the application")
    Q_PROPERTY(AppTabInfo::Value selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)
    Q_PROPERTY(bool showingPreFlight READ showingPreFlight WRITE setShowingPreFlight NOTIFY showingPreFlightChanged)
    Q_PROPERTY(bool hasActiveAlert READ hasActiveAlert NOTIFY activeAlertChanged)

public:
    explicit AppState(QObject *parent = nullptr);

    AppTab selectedTab() const { return m_selectedTab; }
    void setSelectedTab(AppTab tab);
    bool showingPreFlight() const { return m_showingPreFlight; }
    void setShowingPreFlight(bool v);
    const std::optional<AppAlert> &activeAlert() const { return m_activeAlert; }
    void setActiveAlert(const std::optional<AppAlert> &alert);
    bool hasActiveAlert() const { return m_activeAlert.has_value(); }
    // The mission planned on the Mission tab, as the aircraft would be handed it (none while
    // the plan is empty), for the checks before take-off.
    const std::optional<DJIWaypointMission> &plannedMission() const { return m_plannedMission; }
    void setPlannedMission(const std::optional<DJIWaypointMission> &mission);

Q_SIGNALS:
    void selectedTabChanged();
    void showingPreFlightChanged();
    void activeAlertChanged();
    void plannedMissionChanged();

private:
    AppTab m_selectedTab = AppTab::dashboard;
    bool m_showingPreFlight = false;
    std::optional<AppAlert> m_activeAlert;
    std::optional<DJIWaypointMission> m_plannedMission;
};
