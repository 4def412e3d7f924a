#pragma once

#include <functional>
#include <optional>

#include "DJISDKManager.h"
#include "FlightModel.h"
#include "SimClock.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

// Desktop stand-in for the aircraft SDK: after the connection request it reports the flight
// database download in a few steps, then connects a simulated aircraft (a FlightModel stepped
// on its clock) and streams its live values at 10 Hz. Commands act on the model. Everything
// arrives through the event loop on the main thread, as the real SDK's callbacks do.
class SimulatedDJISDK final : public QObject, public DJISDKManager
{
    Q_OBJECT
public:
    static constexpr auto kModelName = "Zeltrin Sim One";
    static constexpr double kParkedLatitude = 42.9986;
    static constexpr double kParkedLongitude = -84.0021;
    // The ground the aircraft flies over: metres above sea level at a place, none where unknown.
    // Without it the ground is unknown and the aircraft reports no height over it.
    using GroundAt = std::function<std::optional<double>(double latitude, double longitude)>;
    void setGround(GroundAt ground);

    // `clock` drives the flight (a real-time clock of its own when none is given; the SDK does
    // not own one that is given).
    explicit SimulatedDJISDK(int stepMs = 150, QObject *parent = nullptr, SimClock *clock = nullptr);
    void startConnectionToProduct() override;
    // The pilot ends the link: the aircraft flies on by itself, and a new connection request
    // finds it again.
    void stopConnectionToProduct() override;

    void takeOff(DJICompletion done) override;
    void land(DJICompletion done) override;
    void goHome(DJICompletion done) override;
    void startMission(const DJIWaypointMission &mission, DJICompletion done) override;
    void pauseMission(DJICompletion done) override;
    void resumeMission(DJICompletion done) override;
    void stopMission(DJICompletion done) override;
    void startIntelligentMode(const DJIModeSettings &settings, DJICompletion done) override;
    void stopIntelligentMode(DJIIntelligentMode mode, DJICompletion done) override;
    void updateIntelligentMode(const DJIModeSettings &settings, DJICompletion done) override;
    void capturePhoto(DJICompletion done) override;
    void setRecording(bool on, DJICompletion done) override;
    void setGimbalPitch(float degrees, DJICompletion done) override;
    void uploadMission(const DJIWaypointMission &mission, DJICompletion done) override;
    void setAltitudeCeiling(double metres, DJICompletion done) override;
    bool isSimulated() const override { return true; }
    std::optional<DJIReturnProfile> returnProfile() const override { return profile(); }
    // The simulated aircraft's own figures.
    static DJIReturnProfile profile();
    // Its way home from where the model is, and its wind as it reports it.
    static DJIReturnPosition returnPosition(const FlightModel &model);
    static DJIWindEstimate windEstimate(FlightModel::Point wind);

    // Scripted faults. A dropped link answers no connection request until it is restored.
    void dropLink();
    void restoreLink();
    void setDegraded(bool degraded) { m_model.setDegraded(degraded); }
    // A camera that takes no photo while failing: neither those asked for nor a mission's.
    void setCameraFailing(bool failing) { m_model.camera().setFailing(failing); }

    FlightModel &model() { return m_model; }
    SimClock *clock() const { return m_clock; }
    bool linkUp() const { return m_linkUp; }
    int photosTaken() const { return m_model.camera().taken(); }
    bool recording() const { return m_recording; }
    float gimbalPitch() const { return float(m_model.camera().gimbalPitch()); }

    // Local metres east and north of the parked point, and back.
    static DJIWaypoint toLatLon(FlightModel::Point p);
    static FlightModel::Point toLocal(double latitude, double longitude);

private:
    void step();
    void tick();
    void connectAircraft();
    DJITelemetryReading reading() const;
    // The camera's photos since the last call, as capture events reach the app.
    void reportPhotos(DJISDKManagerDelegate *d);
    void setGeofence(const DJIGeofenceSettings &settings);
    // The battery-aware return: home at the trigger level, or when the charge is down to what the
    // flight home needs with the reserve, whichever comes first.
    void setSmartReturn(const DJISmartReturnSettings &settings);
    // The model's waypoints for a mission, or why it cannot be flown.
    DJICommandError modelWaypoints(const DJIWaypointMission &mission, std::vector<FlightModel::Waypoint> &out) const;
    // Completes `done` through the event loop with `error`, or refuses when the link is down.
    void complete(DJICompletion done, const DJICommandError &error);
    template <typename Command>
    void command(DJICompletion done, Command &&run);

    QTimer m_timer; // member: stops with the SDK object, never fires into freed state
    int m_step = 0;
    FlightModel m_model;
    QPointer<SimClock> m_clock;
    bool m_linkUp = false;
    bool m_everConnected = false;
    bool m_dropped = false; // by a scripted fault, not by the pilot
    bool m_recording = false;
    // The aircraft's clock for its capture events: UTC at the SDK's creation, moved on by `m_clock`.
    qint64 m_epochMs = 0;
};
