#pragma once

#include "DJIIntelligentModes.h"
#include "DJIReturnEstimate.h"
#include "DJIWaypointMission.h"
#include "DroneTypes.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The slice of the aircraft vendor's SDK that the app relies on. On a phone this wraps the
// vendor's SDK manager; desktop builds use a simulation, and tests drive a double.

// A product the SDK reports: its model name, if any, and whether it is an aircraft.
struct DJIBaseProduct {
    std::optional<QString> model;
    bool isAircraft = false;
};

struct DJISDKProgress {
    double fractionCompleted = 0.0; // 0 to 1
};

// Where the aircraft is in its mission.
struct DJIMissionProgress {
    enum class State { none, executing, paused, finished, stopped };
    State state = State::none;
    int currentWaypoint = -1; // 0-based: the waypoint being flown to
    int waypointCount = 0;
    bool operator==(const DJIMissionProgress &) const = default;
};

// Why the aircraft is flying home: the pilot asked, or one of its automatic returns (the
// geofence, a low battery, or the battery the flight home needs).
enum class DJIReturnCause { none, pilot, lowBattery, geofence, smartReturn };

// One reading of the aircraft's live values; a field left empty was not part of the reading.
struct DJITelemetryReading {
    std::optional<BatteryInfo> battery;
    std::optional<FlightData> flightData;
    std::optional<qint64> signalStrength;
    std::optional<int> gpsLevel; // 0 to 4
    std::optional<bool> isFlying;
    std::optional<DJIMissionProgress> mission;
    std::optional<double> homeLatitude, homeLongitude;
    std::optional<DJIWindEstimate> wind; // the aircraft's estimate of the wind where it is
    std::optional<DJIReturnCause> returnCause;
};

// A photo the aircraft's camera took, as its capture event reports it: when, where the aircraft
// was and how it was turned. A value the aircraft did not give is NaN.
struct DJIPhotoCapture {
    qint64 timeMs = 0;                  // UTC, milliseconds since the epoch, by the aircraft's clock
    double latitude = 0, longitude = 0; // degrees
    double height = 0;                  // metres above the take-off point
    double heading = 0;                 // degrees clockwise from north
    double gimbalPitch = 0;             // degrees: 0 level, -90 straight down
    int index = 0;                      // 1 for the first photo since take-off
    bool operator==(const DJIPhotoCapture &) const = default;
};

// How a command ended: no value on success, else the reason, in words for the pilot.
using DJICommandError = std::optional<QString>;
using DJICompletion = std::function<void(const DJICommandError &)>;

// Receives the SDK's product callbacks, always on the main thread.
class DJISDKManagerDelegate
{
public:
    virtual ~DJISDKManagerDelegate() = default;
    virtual void productConnected(const DJIBaseProduct *product) = 0; // product may be absent
    virtual void productDisconnected() = 0;
    virtual void didUpdateDatabaseDownloadProgress(const DJISDKProgress &progress) = 0;
    virtual void didUpdateTelemetry(const DJITelemetryReading &) {}
    // Something the pilot must know at once (a geofence being reached, a low battery return).
    virtual void didReceiveAlert(const QString &) {}
    // The camera took a photo: one the pilot asked for, or one of a mission's camera actions.
    virtual void didCapturePhoto(const DJIPhotoCapture &) {}
};

class DJISDKManager
{
public:
    virtual ~DJISDKManager() = default;
    void setDelegate(DJISDKManagerDelegate *delegate) { m_delegate = delegate; }
    DJISDKManagerDelegate *delegate() const { return m_delegate; }
    virtual void startConnectionToProduct() = 0;
    // Ends the link to the product; an SDK that had one then reports productDisconnected.
    virtual void stopConnectionToProduct() {}

    // Aircraft commands. Each completes later, on the main thread, exactly once. An SDK without
    // an aircraft refuses them all.
    virtual void takeOff(DJICompletion done) { refuse(std::move(done)); }
    virtual void land(DJICompletion done) { refuse(std::move(done)); }
    virtual void goHome(DJICompletion done) { refuse(std::move(done)); }
    virtual void startMission(const DJIWaypointMission &, DJICompletion done) { refuse(std::move(done)); }
    virtual void pauseMission(DJICompletion done) { refuse(std::move(done)); }
    virtual void resumeMission(DJICompletion done) { refuse(std::move(done)); }
    virtual void stopMission(DJICompletion done) { refuse(std::move(done)); }
    // Starts the mode whose settings these are.
    virtual void startIntelligentMode(const DJIModeSettings &, DJICompletion done) { refuse(std::move(done)); }
    virtual void stopIntelligentMode(DJIIntelligentMode, DJICompletion done) { refuse(std::move(done)); }
    // New settings for a mode that is running (a radius, a speed, a trigger level).
    virtual void updateIntelligentMode(const DJIModeSettings &, DJICompletion done) { refuse(std::move(done)); }
    virtual void capturePhoto(DJICompletion done) { refuse(std::move(done)); }
    virtual void setRecording(bool, DJICompletion done) { refuse(std::move(done)); }
    virtual void setGimbalPitch(float, DJICompletion done) { refuse(std::move(done)); }
    // Hands the aircraft a mission to check and keep, without flying it; startMission flies one.
    virtual void uploadMission(const DJIWaypointMission &, DJICompletion done) { refuse(std::move(done)); }
    // The height above the take-off point that the aircraft never climbs above, in any mode.
    virtual void setAltitudeCeiling(double, DJICompletion done) { refuse(std::move(done)); }
    // True for a simulated aircraft, which the screens mark as such.
    virtual bool isSimulated() const { return false; }
    // How the connected aircraft flies home and what it costs, when it says.
    virtual std::optional<DJIReturnProfile> returnProfile() const { return std::nullopt; }

    static QString notConnectedReason() { return QStringLiteral("Aircraft is not connected"); }
    // What an aircraft on the ground says to a command that needs it in the air.
    static QString notFlyingReason() { return QStringLiteral("Aircraft is not flying"); }

    // Completes `done` with the reason that no aircraft is connected, through the event loop.
    static void refuse(DJICompletion done);

private:
    DJISDKManagerDelegate *m_delegate = nullptr;
};

// An SDK that never reports a product (a build without any aircraft SDK).
class NullDJISDK final : public DJISDKManager
{
public:
    void startConnectionToProduct() override {}
};

// The SDK a build uses: ZELTRIN_SDK in the environment ("simulated" or "none"), else the
// build's default.
std::unique_ptr<DJISDKManager> makeDefaultSDK();
