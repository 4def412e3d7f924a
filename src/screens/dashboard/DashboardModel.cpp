#include "DashboardModel.h"

#include "NumberFormat.h"
#include "Palette.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>

using State = DJIDroneManager::ConnectionState;
using GPSLevel = DJIDroneManager::GPSLevel;

namespace {
constexpr double kMinGeofenceRadius = 50.0;
constexpr double kMaxGeofenceRadius = 2000.0;
} // namespace

DashboardModel::DashboardModel(QObject *parent) : QObject(parent) {}

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
    m_appState = state;
    Q_EMIT appStateChanged();
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

void DashboardModel::setShowActiveTrack(bool v) { m_showActiveTrack = v; Q_EMIT showActiveTrackChanged(); }
void DashboardModel::setActiveTrackEnabled(bool v)
{
    const bool was = m_activeTrackEnabled;
    m_activeTrackEnabled = v;
    Q_EMIT activeTrackEnabledChanged();
    forwardMode(QStringLiteral("activeTrack"), QStringLiteral("activeTrackEnabled"), was, v, {});
}
QString DashboardModel::activeTrackLabel() const
{
    return m_activeTrackEnabled ? QStringLiteral("Stop Track") : QStringLiteral("ActiveTrack");
}
QColor DashboardModel::activeTrackColor() const
{
    return m_activeTrackEnabled ? zeltrin::palette().themeRed : zeltrin::palette().themeGold;
}
void DashboardModel::setShowPOI(bool v) { m_showPOI = v; Q_EMIT showPOIChanged(); }
void DashboardModel::setPoiEnabled(bool v)
{
    const bool was = m_poiEnabled;
    m_poiEnabled = v;
    Q_EMIT poiEnabledChanged();
    QVariantMap settings;
    const QVariantMap target = m_poiTarget.toMap();
    if (target.contains(QStringLiteral("latitude")) && target.contains(QStringLiteral("longitude"))) {
        settings.insert(QStringLiteral("latitude"), target.value(QStringLiteral("latitude")));
        settings.insert(QStringLiteral("longitude"), target.value(QStringLiteral("longitude")));
    }
    forwardMode(QStringLiteral("poi"), QStringLiteral("poiEnabled"), was, v, settings);
}
void DashboardModel::setPoiTarget(const QVariant &v) { m_poiTarget = v; Q_EMIT poiTargetChanged(); }
void DashboardModel::setShowOrbit(bool v) { m_showOrbit = v; Q_EMIT showOrbitChanged(); }
void DashboardModel::setOrbitEnabled(bool v)
{
    const bool was = m_orbitEnabled;
    m_orbitEnabled = v;
    Q_EMIT orbitEnabledChanged();
    forwardMode(QStringLiteral("orbit"), QStringLiteral("orbitEnabled"), was, v, {});
}
void DashboardModel::setShowRTH(bool v) { m_showRTH = v; Q_EMIT showRTHChanged(); }
void DashboardModel::setRthEnabled(bool v)
{
    const bool was = m_rthEnabled;
    m_rthEnabled = v;
    Q_EMIT rthEnabledChanged();
    forwardMode(QStringLiteral("smartRTH"), QStringLiteral("rthEnabled"), was, v, {});
}
void DashboardModel::setShowGeofence(bool v) { m_showGeofence = v; Q_EMIT showGeofenceChanged(); }
void DashboardModel::setGeofenceEnabled(bool v)
{
    const bool was = m_geofenceEnabled;
    m_geofenceEnabled = v;
    Q_EMIT geofenceEnabledChanged();
    forwardMode(QStringLiteral("geofence"), QStringLiteral("geofenceEnabled"), was, v,
                {{QStringLiteral("radius"), m_geofenceRadius}, {QStringLiteral("autoReturn"), true}});
}

void DashboardModel::setModeSettings(const QString &enabledField, const QVariantMap &settings)
{
    m_modeSettings.insert(enabledField, settings);
}

void DashboardModel::updateModeSettings(const QString &enabledField, const QVariantMap &settings)
{
    m_modeSettings.insert(enabledField, settings);
    static const QHash<QString, QString> modes = {
        {QStringLiteral("poiEnabled"), QStringLiteral("poi")},
        {QStringLiteral("orbitEnabled"), QStringLiteral("orbit")},
        {QStringLiteral("rthEnabled"), QStringLiteral("smartRTH")},
        {QStringLiteral("geofenceEnabled"), QStringLiteral("geofence")},
        {QStringLiteral("activeTrackEnabled"), QStringLiteral("activeTrack")},
    };
    const QString mode = modes.value(enabledField);
    if (!mode.isEmpty() && m_drone && property(enabledField.toUtf8().constData()).toBool())
        m_drone->updateIntelligentMode(mode, settings);
}

// A mode flag turned on or off by its sheet also starts or stops the mode on the aircraft, with
// the sheet's own settings over the screen's.
void DashboardModel::forwardMode(const QString &mode, const QString &enabledField, bool was, bool now,
                                 QVariantMap settings)
{
    if (was == now || !m_drone)
        return;
    const QVariantMap own = m_modeSettings.value(enabledField);
    for (auto it = own.begin(); it != own.end(); ++it)
        settings.insert(it.key(), it.value());
    if (now)
        m_drone->startIntelligentMode(mode, settings);
    else
        m_drone->stopIntelligentMode(mode);
}

void DashboardModel::setGeofenceRadius(double v)
{
    // The boundary stays inside what the sheet offers; a non-number keeps the last radius.
    if (!std::isnan(v))
        m_geofenceRadius = std::clamp(v, kMinGeofenceRadius, kMaxGeofenceRadius);
    Q_EMIT geofenceRadiusChanged();
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

void DashboardModel::takeOff() { if (m_drone) m_drone->takeOff(); }
void DashboardModel::land() { if (m_drone) m_drone->land(); }
void DashboardModel::returnToHome() { if (m_drone) m_drone->returnToHome(); }

void DashboardModel::openMission()
{
    if (m_appState)
        m_appState->setSelectedTab(AppTab::flightPlan);
}

void DashboardModel::openPOI()
{
    if (m_drone) {
        const FlightData f = m_drone->flightData();
        setPoiTarget(QVariantMap{{QStringLiteral("latitude"), f.latitude}, {QStringLiteral("longitude"), f.longitude}});
    } else {
        setPoiTarget(QVariant()); // no link, no position to circle
    }
    setShowPOI(true);
}
