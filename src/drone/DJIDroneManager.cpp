#include "DJIDroneManager.h"

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

void DJIDroneManager::connect()
{
    setConnectionState(ConnectionState::connecting);
    setConnectionState(ConnectionState::connected);
}

// These carry no effect yet: the link ends only when the SDK reports the product gone,
// and flight, camera and gimbal commands are not sent to the aircraft.
void DJIDroneManager::disconnect() {}
void DJIDroneManager::startRecording() { setIsRecording(true); }
void DJIDroneManager::stopRecording() { setIsRecording(false); }
void DJIDroneManager::capturePhoto() {}
void DJIDroneManager::setGimbalPitch(float) {}
void DJIDroneManager::takeOff() {}
void DJIDroneManager::land() {}
void DJIDroneManager::returnToHome() {}

void DJIDroneManager::productConnected(const DJIBaseProduct *product)
{
    const QString unknown = QStringLiteral("Unknown");
    const QString model = product && product->model ? *product->model : unknown;
    log(QStringLiteral("[DJI] Product connected: ") + model);
    setConnectionState(ConnectionState::connected);
    if (product && product->isAircraft) {
        AircraftInfo info = m_aircraft;
        info.model = product->model.value_or(unknown);
        setAircraft(info);
        connect();
    }
}

void DJIDroneManager::productDisconnected()
{
    log(QStringLiteral("[DJI] Product disconnected"));
    setConnectionState(ConnectionState::disconnected);
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
    if (reading.isFlying)
        setIsFlying(*reading.isFlying);
}
