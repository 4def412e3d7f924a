#include "DashboardModel.h"

#include "NumberFormat.h"
#include "Palette.h"
#include "SettingsModel.h"

#include <QVariantMap>

using State = DJIDroneManager::ConnectionState;
using GPSLevel = DJIDroneManager::GPSLevel;

DashboardModel::DashboardModel(QObject *parent) : QObject(parent)
{
    connect(&m_activeTrack, &FlightModeLink::isEnabledChanged, this, &DashboardModel::activeTrackEnabledChanged);
    connect(&m_poi, &FlightModeLink::isEnabledChanged, this, &DashboardModel::poiEnabledChanged);
    connect(&m_poi, &PointOfInterestLink::targetChanged, this, &DashboardModel::poiTargetChanged);
    connect(&m_orbit, &FlightModeLink::isEnabledChanged, this, &DashboardModel::orbitEnabledChanged);
    connect(&m_rth, &FlightModeLink::isEnabledChanged, this, &DashboardModel::rthEnabledChanged);
    connect(&m_geofence, &FlightModeLink::isEnabledChanged, this, &DashboardModel::geofenceEnabledChanged);
    connect(&m_geofence, &GeofenceLink::radiusChanged, this, &DashboardModel::geofenceRadiusChanged);
    for (auto sig : {&DashboardModel::linkChanged, &DashboardModel::statsChanged})
        connect(this, sig, this, &DashboardModel::actionsChanged);
    for (auto sig : {&DashboardModel::rthEnabledChanged, &DashboardModel::geofenceEnabledChanged,
                     &DashboardModel::geofenceRadiusChanged})
        connect(this, sig, this, &DashboardModel::updateChecklistInputs);
}

QString DashboardModel::batteryText(qint64 percentage) { return zeltrin::format("%d%%", percentage); }
QColor DashboardModel::batteryColor(qint64 percentage)
{
    return percentage < 20 ? zeltrin::palette().themeRed : zeltrin::palette().themeGreen;
}
QString DashboardModel::signalText(qint64 strength) { return zeltrin::format("%d%%", strength); }
QColor DashboardModel::signalColor(qint64 strength)
{
    return strength > 39 ? zeltrin::palette().themeGold : zeltrin::palette().themeRed;
}
QString DashboardModel::gpsText(GPSLevel level) { return zeltrin::format("%d/4", DJIDroneManager::rawValue(level)); }
QColor DashboardModel::gpsColor(GPSLevel level)
{
    return DJIDroneManager::rawValue(level) > 1 ? zeltrin::palette().themeBlue : zeltrin::palette().themeRed;
}
QString DashboardModel::titleFor(const QString &model) { return model.isEmpty() ? QStringLiteral("No Aircraft") : model; }
QString DashboardModel::headingText(double degrees) { return zeltrin::format("%.0f\u00B0", degrees); }
QString DashboardModel::verticalSpeedText(double v) { return zeltrin::format("%+.1f m/s", v); }

QString DashboardModel::flightTimeText(double seconds)
{
    // A time that is not a finite number in range has no minutes and seconds to show.
    const auto t = zeltrin::checkedTruncate(seconds);
    if (!t)
        return zeltrin::kPlaceholder;
    const long long minutes = *t / 60;
    return zeltrin::format("%02d:%02d", minutes, *t - 60 * minutes);
}

QString DashboardModel::linkIcon(State state)
{
    return state == State::connected ? QStringLiteral("antenna.radiowaves.left.and.right")
                                     : QStringLiteral("antenna.radiowaves.left.and.right.slash");
}

void DashboardModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone)
        QObject::disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    m_notice.setDrone(drone);
    m_checklist.setDrone(drone);
    for (FlightModeLink *link : {&m_activeTrack, &m_orbit, &m_rth, static_cast<FlightModeLink *>(&m_poi),
                                 static_cast<FlightModeLink *>(&m_geofence)})
        link->setDrone(drone);
    if (m_drone) {
        QObject::connect(m_drone, &DJIDroneManager::connectionStateChanged, this, &DashboardModel::linkChanged);
        QObject::connect(m_drone, &DJIDroneManager::aircraftChanged, this, &DashboardModel::aircraftChanged);
        for (auto sig : {&DJIDroneManager::batteryChanged, &DJIDroneManager::signalStrengthChanged,
                         &DJIDroneManager::gpsSignalChanged, &DJIDroneManager::isFlyingChanged})
            QObject::connect(m_drone, sig, this, &DashboardModel::statsChanged);
        QObject::connect(m_drone, &DJIDroneManager::flightDataChanged, this, &DashboardModel::flightDataChanged);
        QObject::connect(m_drone, &QObject::destroyed, this, &DashboardModel::emitAll, Qt::QueuedConnection);
    }
    Q_EMIT droneChanged();
    emitAll();
}

void DashboardModel::emitAll()
{
    Q_EMIT linkChanged();
    Q_EMIT aircraftChanged();
    Q_EMIT statsChanged();
    Q_EMIT flightDataChanged();
}

void DashboardModel::setAppState(AppState *state)
{
    if (m_appState)
        QObject::disconnect(m_appState, nullptr, this, nullptr);
    m_appState = state;
    if (state)
        QObject::connect(state, &AppState::plannedMissionChanged, this, &DashboardModel::updateChecklistInputs);
    updateChecklistInputs();
    Q_EMIT appStateChanged();
}

void DashboardModel::updateChecklistInputs()
{
    // Without Smart RTH the aircraft goes home at its own level, which the mode's defaults are.
    const DJIModeSettings rth = m_rth.settings();
    const auto *smart = std::get_if<DJISmartReturnSettings>(&rth);
    m_checklist.setReturnTrigger(m_rth.isEnabled() && smart ? smart->batteryThreshold
                                                            : DJISmartReturnSettings{}.batteryThreshold);
    m_checklist.setGeofence(m_geofence.isEnabled() ? std::optional(m_geofence.radius()) : std::nullopt);
    m_checklist.setMission(m_appState ? m_appState->plannedMission() : std::nullopt);
}

QString DashboardModel::takeOffBlockedReason(State state, bool flying)
{
    if (state != State::connected)
        return QStringLiteral("No aircraft connected");
    return flying ? QStringLiteral("Already flying") : QString();
}

QString DashboardModel::landBlockedReason(State state, bool flying)
{
    if (state != State::connected)
        return QStringLiteral("No aircraft connected");
    return flying ? QString() : QStringLiteral("Not flying");
}

QString DashboardModel::takeOffBlockedReason() const
{
    return takeOffBlockedReason(state(), m_drone && m_drone->isFlying());
}

QString DashboardModel::landBlockedReason() const
{
    return landBlockedReason(state(), m_drone && m_drone->isFlying());
}

bool DashboardModel::checklistRequired() const
{
    QSettings store;
    return SettingsModel::storedPreflight(store);
}

State DashboardModel::state() const { return m_drone ? m_drone->connectionState() : State::disconnected; }
DJIDroneManager::BatteryInfo DashboardModel::battery() const { return m_drone ? m_drone->battery() : BatteryInfo{}; }
DJIDroneManager::FlightData DashboardModel::flight() const { return m_drone ? m_drone->flightData() : FlightData::zero; }

QString DashboardModel::title() const { return titleFor(m_drone ? m_drone->aircraft().model : AircraftInfo{}.model); }
QString DashboardModel::connectionText() const { return DJIDroneManager::rawValue(state()); }
QColor DashboardModel::connectionColor() const { return DJIDroneManager::color(state()); }
QString DashboardModel::batteryText() const { return batteryText(battery().percentage); }
QColor DashboardModel::batteryColor() const { return batteryColor(battery().percentage); }
QString DashboardModel::signalText() const { return signalText(m_drone ? m_drone->signalStrength() : 0); }
QColor DashboardModel::signalColor() const { return signalColor(m_drone ? m_drone->signalStrength() : 0); }
QString DashboardModel::gpsText() const { return gpsText(m_drone ? m_drone->gpsSignal() : GPSLevel::none); }
QColor DashboardModel::gpsColor() const { return gpsColor(m_drone ? m_drone->gpsSignal() : GPSLevel::none); }
QString DashboardModel::statusText() const
{
    return m_drone && m_drone->isFlying() ? QStringLiteral("Flying") : QStringLiteral("Grounded");
}
QColor DashboardModel::statusColor() const
{
    return m_drone && m_drone->isFlying() ? zeltrin::palette().themeGold : zeltrin::palette().themeGrey;
}
QString DashboardModel::altitudeText() const { return zeltrin::format("%.1f m", flight().altitude); }
QString DashboardModel::groundSpeedText() const { return zeltrin::format("%.1f m/s", flight().groundSpeed); }
QString DashboardModel::headingText() const { return headingText(flight().heading); }
QString DashboardModel::verticalSpeedText() const { return verticalSpeedText(flight().verticalSpeed); }
QString DashboardModel::homeDistanceText() const { return zeltrin::format("%.0f m", flight().distanceFromHome); }
QString DashboardModel::flightTimeText() const { return flightTimeText(flight().flightTime); }
QString DashboardModel::linkIcon() const { return linkIcon(state()); }
QColor DashboardModel::linkColor() const { return DJIDroneManager::color(state()); }

void DashboardModel::setShowActiveTrack(bool v)
{
    m_showActiveTrack = v;
    Q_EMIT showActiveTrackChanged();
}
QString DashboardModel::activeTrackLabel() const
{
    return activeTrackEnabled() ? QStringLiteral("Stop Track") : QStringLiteral("ActiveTrack");
}
QColor DashboardModel::activeTrackColor() const
{
    return activeTrackEnabled() ? zeltrin::palette().themeRed : zeltrin::palette().themeGold;
}
void DashboardModel::setShowPOI(bool v) { m_showPOI = v; Q_EMIT showPOIChanged(); }
QVariant DashboardModel::poiTarget() const
{
    const auto t = m_poi.target();
    if (!t)
        return {};
    return QVariantMap{{QStringLiteral("latitude"), t->latitude}, {QStringLiteral("longitude"), t->longitude}};
}

void DashboardModel::setPoiTarget(const QVariant &v)
{
    // A target is a place: both coordinates, as numbers. Anything else is no target.
    const QVariantMap m = v.toMap();
    bool latOk = false, lonOk = false;
    const double lat = m.value(QStringLiteral("latitude")).toDouble(&latOk);
    const double lon = m.value(QStringLiteral("longitude")).toDouble(&lonOk);
    m_poi.setTarget(latOk && lonOk ? std::optional(zeltrin::Coordinate{lat, lon}) : std::nullopt);
}

void DashboardModel::setShowOrbit(bool v)
{
    m_showOrbit = v;
    Q_EMIT showOrbitChanged();
}
void DashboardModel::setShowRTH(bool v)
{
    m_showRTH = v;
    Q_EMIT showRTHChanged();
}
void DashboardModel::setShowGeofence(bool v)
{
    m_showGeofence = v;
    Q_EMIT showGeofenceChanged();
}

void DashboardModel::toggleLink()
{
    if (!m_drone)
        return;
    if (m_drone->connectionState() == State::connected)
        m_drone->disconnect();
    else
        m_drone->connect();
}

void DashboardModel::requestTakeOff()
{
    if (const QString why = takeOffBlockedReason(); !why.isEmpty()) {
        m_notice.show(why, false);
        return;
    }
    if (!checklistRequired()) {
        Q_EMIT takeOffHoldRequested();
        return;
    }
    updateChecklistInputs();
    m_checklist.reset();
    if (m_appState)
        m_appState->setShowingPreFlight(true);
}

void DashboardModel::continueFromChecklist()
{
    if (!m_checklist.allPassed())
        return;
    if (m_appState)
        m_appState->setShowingPreFlight(false);
    Q_EMIT takeOffHoldRequested();
}

// The checklist is read again at the hold's end: live values may have changed meanwhile.
void DashboardModel::takeOff()
{
    if (!m_drone)
        return;
    if (const QString why = takeOffBlockedReason(); !why.isEmpty()) {
        m_notice.show(why, false);
        return;
    }
    if (checklistRequired() && !m_checklist.allPassed()) {
        m_notice.show(QStringLiteral("Take Off: the pre-flight checklist is not complete"), true);
        return;
    }
    m_drone->takeOff();
}

void DashboardModel::land()
{
    if (const QString why = landBlockedReason(); !why.isEmpty())
        m_notice.show(why, false);
    else if (m_drone)
        m_drone->land();
}

void DashboardModel::returnToHome()
{
    if (const QString why = rthBlockedReason(); !why.isEmpty())
        m_notice.show(why, false);
    else if (m_drone)
        m_drone->returnToHome();
}

void DashboardModel::openMission()
{
    if (m_appState)
        m_appState->setSelectedTab(AppTab::flightPlan);
}

void DashboardModel::openPOI()
{
    if (m_drone) {
        const FlightData f = m_drone->flightData();
        m_poi.setTarget(zeltrin::Coordinate{f.latitude, f.longitude});
    } else {
        m_poi.setTarget(std::nullopt); // no link, no position to circle
    }
    setShowPOI(true);
}
