#include "DJIDroneManager.h"

#include <QPointer>
#include <cmath>

#include "NumberFormat.h"
#include "Palette.h"

#include <QVariantMap>

#include <cstdio>

QString DJIDroneManager::rawValue(ConnectionState s)
{
    switch (s) {
    case ConnectionState::disconnected: return QStringLiteral("Disconnected");
    case ConnectionState::connecting: return QStringLiteral("Connecting\u2026");
    case ConnectionState::connected: return QStringLiteral("Connected");
    case ConnectionState::error: return QStringLiteral("Error");
    }
    return {};
}

std::optional<DJIDroneManager::ConnectionState> DJIDroneManager::connectionStateFromRaw(QStringView raw)
{
    for (ConnectionState s : allConnectionStates)
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

QColor DJIDroneManager::color(ConnectionState s)
{
    const auto &p = zeltrin::palette();
    switch (s) {
    case ConnectionState::disconnected: return p.themeGrey;
    case ConnectionState::connecting: return p.themeGold;
    case ConnectionState::connected: return p.themeGreen;
    case ConnectionState::error: return p.themeRed;
    }
    return p.themeGrey;
}

std::optional<DJIDroneManager::GPSLevel> DJIDroneManager::gpsLevelFromRaw(long long raw)
{
    if (raw < 0 || raw > 4)
        return std::nullopt;
    return GPSLevel(raw);
}

DJIDroneManager::DJIDroneManager(DJISDKManager *sdk, QObject *parent) : QObject(parent), m_sdk(sdk)
{
    if (m_sdk)
        m_sdk->setDelegate(this);
    m_connectTimer.setSingleShot(true);
    QObject::connect(&m_connectTimer, &QTimer::timeout, this, &DJIDroneManager::connectTimedOut);
}

DJIDroneManager::~DJIDroneManager()
{
    if (m_sdk && m_sdk->delegate() == this)
        m_sdk->setDelegate(nullptr);
}

void DJIDroneManager::setLogSink(LogSink sink) { m_logSink = std::move(sink); }

void DJIDroneManager::log(const QString &line)
{
    if (m_logSink) {
        m_logSink(line);
        return;
    }
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void DJIDroneManager::setConnectionState(ConnectionState v) { m_connectionState = v; Q_EMIT connectionStateChanged(); }
void DJIDroneManager::setAircraft(const AircraftInfo &v) { m_aircraft = v; Q_EMIT aircraftChanged(); }
void DJIDroneManager::setBattery(const BatteryInfo &v) { m_battery = v; Q_EMIT batteryChanged(); }
void DJIDroneManager::setFlightData(const FlightData &v) { m_flightData = v; Q_EMIT flightDataChanged(); }
void DJIDroneManager::setSignalStrength(qint64 v) { m_signalStrength = v; Q_EMIT signalStrengthChanged(); }
void DJIDroneManager::setIsRecording(bool v) { m_isRecording = v; Q_EMIT isRecordingChanged(); }
void DJIDroneManager::setIsFlying(bool v) { m_isFlying = v; Q_EMIT isFlyingChanged(); }
void DJIDroneManager::setGpsSignal(GPSLevel v) { m_gpsSignal = v; Q_EMIT gpsSignalChanged(); }

QVariantList DJIDroneManager::connectionStateCases() const
{
    QVariantList out;
    for (ConnectionState s : allConnectionStates)
        out << QVariantMap{{QStringLiteral("text"), rawValue(s)}, {QStringLiteral("color"), color(s)}};
    return out;
}

void DJIDroneManager::startConnection()
{
    if (m_sdk)
        m_sdk->startConnectionToProduct();
}

// The pilot asks for the link: the state is "Connecting…" until the SDK reports a product, and
// falls back to "Disconnected" when none comes in time. A product arriving later still connects.
void DJIDroneManager::connect()
{
    if (m_connectionState == ConnectionState::connected || m_connectTimer.isActive())
        return;
    setConnectionState(ConnectionState::connecting);
    m_connectTimer.start(m_connectTimeoutMs);
    if (m_sdk)
        m_sdk->startConnectionToProduct();
}

void DJIDroneManager::connectTimedOut()
{
    if (m_connectionState != ConnectionState::connecting)
        return;
    setConnectionState(ConnectionState::disconnected);
    Q_EMIT connectionTimedOut(
        zeltrin::format("No aircraft answered within %.0f s. Check that it and the remote controller are on.",
                        m_connectTimeoutMs / 1000.0));
}

void DJIDroneManager::setConnectTimeoutMs(int ms)
{
    m_connectTimeoutMs = std::max(0, ms);
    Q_EMIT connectTimeoutMsChanged();
}

// Ends the link; the state follows the SDK's productDisconnected, and the last values stay.
void DJIDroneManager::disconnect()
{
    m_connectTimer.stop();
    if (m_sdk && m_connectionState == ConnectionState::connected)
        m_sdk->stopConnectionToProduct();
}

void DJIDroneManager::setAltitudeCeiling(double metres)
{
    if (!std::isfinite(metres) || metres <= 0)
        return;
    const bool changed = m_ceiling != metres;
    m_ceiling = metres;
    Q_EMIT altitudeCeilingChanged();
    if (changed && m_connectionState == ConnectionState::connected)
        sendAltitudeCeiling();
}

void DJIDroneManager::sendAltitudeCeiling()
{
    if (m_sdk && m_ceiling)
        m_sdk->setAltitudeCeiling(*m_ceiling, outcome(QStringLiteral("Max Altitude")));
}

QString DJIDroneManager::autoReturnText(DJIReturnCause cause)
{
    switch (cause) {
    case DJIReturnCause::lowBattery: return QStringLiteral("Returning home — low battery");
    case DJIReturnCause::geofence: return QStringLiteral("Returning home — geofence reached");
    case DJIReturnCause::smartReturn: return QStringLiteral("Returning home — Smart RTH");
    case DJIReturnCause::none:
    case DJIReturnCause::pilot: return {};
    }
    return {};
}

// Each command reaches the aircraft; its outcome arrives later through the SDK's completion.
// The published fields move only with the aircraft's own reports (the recording flag also at
// once, as the camera screen expects).
void DJIDroneManager::startRecording()
{
    setIsRecording(true);
    if (m_sdk)
        m_sdk->setRecording(true, outcome(QStringLiteral("Record")));
}
void DJIDroneManager::stopRecording()
{
    setIsRecording(false);
    if (m_sdk)
        m_sdk->setRecording(false, outcome(QStringLiteral("Stop Recording")));
}
void DJIDroneManager::capturePhoto()
{
    if (m_sdk)
        m_sdk->capturePhoto(outcome(QStringLiteral("Capture")));
}
void DJIDroneManager::setGimbalPitch(float degrees)
{
    if (m_sdk)
        m_sdk->setGimbalPitch(degrees, outcome(QStringLiteral("Gimbal")));
}
void DJIDroneManager::takeOff()
{
    if (m_sdk)
        m_sdk->takeOff(outcome(QStringLiteral("Take Off")));
}
void DJIDroneManager::land()
{
    if (m_sdk)
        m_sdk->land(outcome(QStringLiteral("Land")));
}
void DJIDroneManager::returnToHome()
{
    if (m_sdk)
        m_sdk->goHome(outcome(QStringLiteral("RTH")));
}

void DJIDroneManager::executeMission(const DJIWaypointMission &mission, QObject *context, Answer answered)
{
    DJICompletion done = outcome(QStringLiteral("Mission"), context, std::move(answered));
    if (m_sdk)
        m_sdk->startMission(mission, std::move(done));
    else
        DJISDKManager::refuse(std::move(done));
}

void DJIDroneManager::uploadMission(const DJIWaypointMission &mission, QObject *context, Answer answered)
{
    DJICompletion done = outcome(QStringLiteral("Upload"), context, std::move(answered));
    if (m_sdk)
        m_sdk->uploadMission(mission, std::move(done));
    else
        DJISDKManager::refuse(std::move(done));
}

void DJIDroneManager::pauseMission()
{
    if (m_sdk)
        m_sdk->pauseMission(outcome(QStringLiteral("Pause")));
}
void DJIDroneManager::resumeMission()
{
    if (m_sdk)
        m_sdk->resumeMission(outcome(QStringLiteral("Resume")));
}
void DJIDroneManager::stopMission()
{
    if (m_sdk)
        m_sdk->stopMission(outcome(QStringLiteral("Stop")));
}

QString DJIDroneManager::commandName(DJIIntelligentMode mode)
{
    switch (mode) {
    case DJIIntelligentMode::pointOfInterest: return QStringLiteral("poi");
    case DJIIntelligentMode::orbit: return QStringLiteral("orbit");
    case DJIIntelligentMode::smartReturnToHome: return QStringLiteral("smartRTH");
    case DJIIntelligentMode::geofence: return QStringLiteral("geofence");
    case DJIIntelligentMode::activeTrack: return QStringLiteral("activeTrack");
    }
    return {};
}

void DJIDroneManager::startIntelligentMode(const DJIModeSettings &settings, QObject *context, Answer answered)
{
    DJICompletion done = outcome(commandName(modeOf(settings)), context, std::move(answered));
    if (m_sdk)
        m_sdk->startIntelligentMode(settings, std::move(done));
    else
        DJISDKManager::refuse(std::move(done));
}

void DJIDroneManager::updateIntelligentMode(const DJIModeSettings &settings)
{
    if (m_sdk)
        m_sdk->updateIntelligentMode(settings, outcome(commandName(modeOf(settings))));
}

void DJIDroneManager::stopIntelligentMode(DJIIntelligentMode mode)
{
    if (m_sdk)
        m_sdk->stopIntelligentMode(mode, outcome(commandName(mode)));
}

DJICompletion DJIDroneManager::outcome(const QString &name, QObject *context, Answer answered)
{
    return [self = QPointer<DJIDroneManager>(this), name, caller = QPointer<QObject>(context),
            hasCaller = context != nullptr, answered = std::move(answered)](const DJICommandError &error) {
        if (!self)
            return;
        // The caller hears first, so what it shows has changed before the notices go out.
        if (answered && (!hasCaller || caller))
            answered(error);
        if (!self)
            return;
        if (error)
            Q_EMIT self->commandFailed(name, *error);
        else
            Q_EMIT self->commandSucceeded(name);
    };
}

QString DJIDroneManager::missionState() const
{
    switch (m_mission.state) {
    case DJIMissionProgress::State::none: return QStringLiteral("none");
    case DJIMissionProgress::State::executing: return QStringLiteral("executing");
    case DJIMissionProgress::State::paused: return QStringLiteral("paused");
    case DJIMissionProgress::State::finished: return QStringLiteral("finished");
    case DJIMissionProgress::State::stopped: return QStringLiteral("stopped");
    }
    return QStringLiteral("none");
}

void DJIDroneManager::setValuesAreLive(bool live)
{
    if (m_valuesAreLive == live)
        return;
    m_valuesAreLive = live;
    m_hadLiveValues = m_hadLiveValues || live;
    Q_EMIT valuesAreLiveChanged();
}

void DJIDroneManager::didReceiveAlert(const QString &message) { Q_EMIT alertRaised(message); }

void DJIDroneManager::didCapturePhoto(const DJIPhotoCapture &photo)
{
    ++m_photoCount;
    Q_EMIT photoCountChanged();
    Q_EMIT photoCaptured(photo);
}

void DJIDroneManager::productConnected(const DJIBaseProduct *product)
{
    const QString unknown = QStringLiteral("Unknown");
    const QString model = product && product->model ? *product->model : unknown;
    log(QStringLiteral("[DJI] Product connected: ") + model);
    m_connectTimer.stop();
    setConnectionState(ConnectionState::connected);
    if (product && product->isAircraft) {
        AircraftInfo info = m_aircraft;
        info.model = product->model.value_or(unknown);
        setAircraft(info);
        // The specified sequence: connecting, then connected, in one step.
        setConnectionState(ConnectionState::connecting);
        setConnectionState(ConnectionState::connected);
        sendAltitudeCeiling();
    }
}

void DJIDroneManager::productDisconnected()
{
    log(QStringLiteral("[DJI] Product disconnected"));
    setConnectionState(ConnectionState::disconnected);
    setValuesAreLive(false);
}

void DJIDroneManager::didUpdateDatabaseDownloadProgress(const DJISDKProgress &progress)
{
    log(QStringLiteral("[DJI] Database download progress: ") + zeltrin::shortestDouble(progress.fractionCompleted * 100.0)
        + QLatin1Char('%'));
}

// A live reading is only assigned: the manager keeps no timers and derives nothing from it.
void DJIDroneManager::didUpdateTelemetry(const DJITelemetryReading &reading)
{
    if (reading.battery)
        setBattery(*reading.battery);
    if (reading.flightData)
        setFlightData(*reading.flightData);
    if (reading.signalStrength)
        setSignalStrength(*reading.signalStrength);
    if (reading.gpsLevel)
        if (auto level = gpsLevelFromRaw(*reading.gpsLevel))
            setGpsSignal(*level);
    if (reading.isFlying) {
        // A take-off starts the count of the flight's photos.
        if (*reading.isFlying && !m_isFlying && m_photoCount != 0) {
            m_photoCount = 0;
            Q_EMIT photoCountChanged();
        }
        setIsFlying(*reading.isFlying);
    }
    if (reading.mission && !(*reading.mission == m_mission)) {
        m_mission = *reading.mission;
        Q_EMIT missionProgressChanged();
    }
    if (reading.homeLatitude && reading.homeLongitude && std::isfinite(*reading.homeLatitude)
        && std::isfinite(*reading.homeLongitude)
        && (!m_home || m_home->latitude != *reading.homeLatitude || m_home->longitude != *reading.homeLongitude)) {
        m_home = Home{*reading.homeLatitude, *reading.homeLongitude};
        Q_EMIT homeChanged();
    }
    if (reading.wind && m_wind != reading.wind) {
        m_wind = reading.wind;
        Q_EMIT windChanged();
    }
    if (reading.returnCause && *reading.returnCause != m_returnCause) {
        m_returnCause = *reading.returnCause;
        Q_EMIT returnCauseChanged();
    }
    if (m_connectionState == ConnectionState::connected)
        setValuesAreLive(true);
}

std::optional<DJIReturnProfile> DJIDroneManager::returnProfile() const
{
    return m_sdk ? m_sdk->returnProfile() : std::nullopt;
}
