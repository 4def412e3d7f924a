#pragma once

#include "DroneTypes.h"
#include "DJISDKManager.h"

#include <QColor>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

// The single owner of the link to the aircraft: receives the SDK's product callbacks and
// publishes what the screens show. Every assignment notifies, also of an equal value.
class DJIDroneManager : public QObject, public DJISDKManagerDelegate
{
    Q_OBJECT

    Q_PROPERTY(ConnectionState connectionState READ connectionState WRITE setConnectionState NOTIFY connectionStateChanged)
    Q_PROPERTY(QString connectionStateText READ connectionStateText NOTIFY connectionStateChanged)
    Q_PROPERTY(QColor connectionStateColor READ connectionStateColor NOTIFY connectionStateChanged)
    Q_PROPERTY(AircraftInfo aircraft READ aircraft WRITE setAircraft NOTIFY aircraftChanged)
    Q_PROPERTY(BatteryInfo battery READ battery WRITE setBattery NOTIFY batteryChanged)
    Q_PROPERTY(FlightData flightData READ flightData WRITE setFlightData NOTIFY flightDataChanged)
    Q_PROPERTY(qint64 signalStrength READ signalStrength WRITE setSignalStrength NOTIFY signalStrengthChanged)
    Q_PROPERTY(bool isRecording READ isRecording WRITE setIsRecording NOTIFY isRecordingChanged)
    Q_PROPERTY(bool isFlying READ isFlying WRITE setIsFlying NOTIFY isFlyingChanged)
    Q_PROPERTY(GPSLevel gpsSignal READ gpsSignal WRITE setGpsSignal NOTIFY gpsSignalChanged)
    // Beyond the published record: what a flying aircraft also reports.
    Q_PROPERTY(bool isSimulated READ isSimulated CONSTANT)
    Q_PROPERTY(bool valuesAreLive READ valuesAreLive NOTIFY valuesAreLiveChanged)
    Q_PROPERTY(bool valuesAreStale READ valuesAreStale NOTIFY valuesAreLiveChanged)
    Q_PROPERTY(QString missionState READ missionState NOTIFY missionProgressChanged)
    Q_PROPERTY(int missionWaypoint READ missionWaypoint NOTIFY missionProgressChanged)
    Q_PROPERTY(int missionWaypointCount READ missionWaypointCount NOTIFY missionProgressChanged)
    Q_PROPERTY(bool hasHome READ hasHome NOTIFY homeChanged)
    Q_PROPERTY(double homeLatitude READ homeLatitude NOTIFY homeChanged)
    Q_PROPERTY(double homeLongitude READ homeLongitude NOTIFY homeChanged)
    // The height the aircraft is told never to climb above ("Max Altitude" in the settings).
    Q_PROPERTY(bool hasAltitudeCeiling READ hasAltitudeCeiling NOTIFY altitudeCeilingChanged)
    Q_PROPERTY(double altitudeCeiling READ altitudeCeilingOrZero NOTIFY altitudeCeilingChanged)
    // "Returning home — low battery" while an automatic return lasts, else empty.
    Q_PROPERTY(QString autoReturnText READ autoReturnText NOTIFY returnCauseChanged)
    // Photos the camera reported since the last take-off.
    Q_PROPERTY(int photoCount READ photoCount NOTIFY photoCountChanged)
    // How long `connect` waits for a product; 10 s, shorter in tests and the tour.
    Q_PROPERTY(int connectTimeoutMs READ connectTimeoutMs WRITE setConnectTimeoutMs NOTIFY connectTimeoutMsChanged)

public:
    enum class ConnectionState { disconnected, connecting, connected, error };
    Q_ENUM(ConnectionState)
    enum class GPSLevel { none = 0, poor = 1, fair = 2, good = 3, excellent = 4 };
    Q_ENUM(GPSLevel)

    using AircraftInfo = ::AircraftInfo;
    using BatteryInfo = ::BatteryInfo;
    using FlightData = ::FlightData;

    static constexpr int kConnectTimeoutMs = 10000;

    // Raw values: the text shown for a link state, and the integer of a GPS level.
    static QString rawValue(ConnectionState s);
    static std::optional<ConnectionState> connectionStateFromRaw(QStringView raw);
    static QColor color(ConnectionState s);
    static constexpr std::array<ConnectionState, 4> allConnectionStates{
        ConnectionState::disconnected, ConnectionState::connecting, ConnectionState::connected, ConnectionState::error};
    static int rawValue(GPSLevel l) { return int(l); }
    static std::optional<GPSLevel> gpsLevelFromRaw(long long raw);

    // The manager becomes the SDK's delegate; it does not own the SDK.
    explicit DJIDroneManager(DJISDKManager *sdk, QObject *parent = nullptr);
    ~DJIDroneManager() override;

    // Where console lines go; standard output unless a test captures them.
    using LogSink = std::function<void(const QString &line)>;
    void setLogSink(LogSink sink);

    ConnectionState connectionState() const { return m_connectionState; }
    QString connectionStateText() const { return rawValue(m_connectionState); }
    QColor connectionStateColor() const { return color(m_connectionState); }
    AircraftInfo aircraft() const { return m_aircraft; }
    BatteryInfo battery() const { return m_battery; }
    FlightData flightData() const { return m_flightData; }
    qint64 signalStrength() const { return m_signalStrength; }
    bool isRecording() const { return m_isRecording; }
    bool isFlying() const { return m_isFlying; }
    GPSLevel gpsSignal() const { return m_gpsSignal; }
    bool isSimulated() const { return m_sdk && m_sdk->isSimulated(); }
    // False once the link has dropped: the values shown are the last ones received.
    bool valuesAreLive() const { return m_valuesAreLive; }
    // True when live values were received and the link has since dropped.
    bool valuesAreStale() const { return m_hadLiveValues && !m_valuesAreLive; }
    // "none", "executing", "paused", "finished" or "stopped".
    QString missionState() const;
    DJIMissionProgress missionProgress() const { return m_mission; }
    int missionWaypoint() const { return m_mission.currentWaypoint; }
    int missionWaypointCount() const { return m_mission.waypointCount; }
    bool hasHome() const { return m_home.has_value(); }
    double homeLatitude() const { return m_home ? m_home->latitude : 0.0; }
    double homeLongitude() const { return m_home ? m_home->longitude : 0.0; }
    // The aircraft's last wind estimate, if it gave one (live or not: see valuesAreLive).
    std::optional<DJIWindEstimate> wind() const { return m_wind; }
    // How the connected aircraft flies home, if it says.
    std::optional<DJIReturnProfile> returnProfile() const;
    std::optional<double> altitudeCeiling() const { return m_ceiling; }
    bool hasAltitudeCeiling() const { return m_ceiling.has_value(); }
    double altitudeCeilingOrZero() const { return m_ceiling.value_or(0.0); }
    // Kept, and sent to the aircraft now when connected and at every connection. A height that
    // is not a positive number is ignored.
    Q_INVOKABLE void setAltitudeCeiling(double metres);
    DJIReturnCause returnCause() const { return m_returnCause; }
    QString autoReturnText() const { return autoReturnText(m_returnCause); }
    // The pilot's words for an automatic return; empty for none and for the pilot's own.
    static QString autoReturnText(DJIReturnCause cause);
    int connectTimeoutMs() const { return m_connectTimeoutMs; }
    void setConnectTimeoutMs(int ms);
    int photoCount() const { return m_photoCount; }

    // Plain assignments of the published fields (used by the callbacks and by live feeds).
    void setConnectionState(ConnectionState v);
    void setAircraft(const AircraftInfo &v);
    void setBattery(const BatteryInfo &v);
    void setFlightData(const FlightData &v);
    void setSignalStrength(qint64 v);
    void setIsRecording(bool v);
    void setIsFlying(bool v);
    void setGpsSignal(GPSLevel v);

    // Every link state with its text and colour, in declaration order (for pickers and galleries).
    Q_INVOKABLE QVariantList connectionStateCases() const;

    Q_INVOKABLE void startConnection();
    Q_INVOKABLE void connect();
    Q_INVOKABLE void disconnect();
    Q_INVOKABLE void startRecording();
    Q_INVOKABLE void stopRecording();
    Q_INVOKABLE void capturePhoto();
    Q_INVOKABLE void setGimbalPitch(float degrees);
    Q_INVOKABLE void takeOff();
    Q_INVOKABLE void land();
    Q_INVOKABLE void returnToHome();

    // How a caller hears the aircraft's answer to its own command, on the main thread, once,
    // while `context` lives (commandFailed and commandSucceeded are emitted as well).
    using Answer = std::function<void(const DJICommandError &)>;

    // Mission and intelligent-mode commands. Each failure is reported by commandFailed.
    void executeMission(const DJIWaypointMission &mission, QObject *context = nullptr, Answer answered = {});
    // The aircraft checks the mission and keeps it, without flying it.
    void uploadMission(const DJIWaypointMission &mission, QObject *context, Answer answered);
    Q_INVOKABLE void pauseMission();
    Q_INVOKABLE void resumeMission();
    Q_INVOKABLE void stopMission();
    // Starts the mode these settings are for.
    void startIntelligentMode(const DJIModeSettings &settings, QObject *context = nullptr, Answer answered = {});
    void stopIntelligentMode(DJIIntelligentMode mode);
    // New settings for a running mode.
    void updateIntelligentMode(const DJIModeSettings &settings);
    // The name a mode's commands are reported under ("poi", "orbit", "smartRTH", "geofence",
    // "activeTrack").
    static QString commandName(DJIIntelligentMode mode);

    // SDK callbacks.
    void productConnected(const DJIBaseProduct *product) override;
    void productDisconnected() override;
    void didUpdateDatabaseDownloadProgress(const DJISDKProgress &progress) override;
    void didUpdateTelemetry(const DJITelemetryReading &reading) override;
    void didReceiveAlert(const QString &message) override;
    void didCapturePhoto(const DJIPhotoCapture &photo) override;

Q_SIGNALS:
    void connectionStateChanged();
    void aircraftChanged();
    void batteryChanged();
    void flightDataChanged();
    void signalStrengthChanged();
    void isRecordingChanged();
    void isFlyingChanged();
    void gpsSignalChanged();
    void valuesAreLiveChanged();
    void missionProgressChanged();
    void homeChanged();
    void windChanged();
    // A command the aircraft refused or could not carry out: `command` names it ("Take Off"),
    // `reason` is for the pilot.
    void commandFailed(const QString &command, const QString &reason);
    void commandSucceeded(const QString &command);
    // Something the aircraft reports that the pilot must see at once.
    void alertRaised(const QString &message);
    // `connect` found no product in time; `reason` is for the pilot.
    void connectionTimedOut(const QString &reason);
    void altitudeCeilingChanged();
    void returnCauseChanged();
    void connectTimeoutMsChanged();
    // The camera took a photo (photoCount has counted it).
    void photoCaptured(const DJIPhotoCapture &photo);
    void photoCountChanged();

private:
    void log(const QString &line);
    // The completion of a command named `name`, reporting its outcome while this manager lives.
    DJICompletion outcome(const QString &name, QObject *context = nullptr, Answer answered = {});
    void sendAltitudeCeiling();
    void connectTimedOut();
    void setValuesAreLive(bool live);

    DJISDKManager *m_sdk;
    LogSink m_logSink;
    ConnectionState m_connectionState = ConnectionState::disconnected;
    AircraftInfo m_aircraft;
    BatteryInfo m_battery;
    FlightData m_flightData = FlightData::zero;
    qint64 m_signalStrength = 0;
    bool m_isRecording = false;
    bool m_isFlying = false;
    GPSLevel m_gpsSignal = GPSLevel::none;
    bool m_valuesAreLive = false;
    bool m_hadLiveValues = false;
    DJIMissionProgress m_mission;
    struct Home {
        double latitude, longitude;
    };
    std::optional<Home> m_home;
    std::optional<DJIWindEstimate> m_wind;
    QTimer m_connectTimer; // member: stops with the manager
    int m_connectTimeoutMs = kConnectTimeoutMs;
    std::optional<double> m_ceiling;
    DJIReturnCause m_returnCause = DJIReturnCause::none;
    int m_photoCount = 0;
};
