#pragma once

#include "FlightCamera.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A small multirotor flight model stepped on a fixed tick: position in metres east and north of
// the home point, height above it, limited speeds and accelerations, a battery that drains with
// time aloft and speed through the air, a wind that drifts slowly, and the automatic behaviours a
// pilot relies on (return at a low charge, at a geofence, and landing). It knows nothing of time
// or threads: whoever owns it calls step() with the tick's length.
class FlightModel
{
public:
    enum class Phase { onGround, takingOff, hovering, mission, goingHome, landing, orbiting };
    enum class MissionState { none, executing, paused, finished, stopped };
    // Why the aircraft is flying home: the pilot asked, or one of its automatic returns.
    enum class ReturnCause { none, pilot, lowBattery, geofence, smartReturn };

    struct Point {
        double east = 0, north = 0;
    };
    // A mission waypoint: where, how high above the home point, and what the camera does on
    // reaching it.
    struct Waypoint {
        Point at;
        double height = 50;
        std::vector<FlightCamera::Action> camera;
    };
    struct Limits {
        double maxHorizontalSpeed = 15; // m/s
        double horizontalAcceleration = 4; // m/s²
        double maxClimb = 5, maxDescent = 3; // m/s
        double verticalAcceleration = 3;   // m/s²
        double headingRate = 120;          // °/s
    };
    static constexpr double kTakeOffHeight = 1.2;   // m: where a take-off stops and hovers
    static constexpr double kSafeReturnHeight = 30; // m: climbed to before flying home
    static constexpr double kWaypointReach = 0.5;   // m: a waypoint counts as passed within this
    static constexpr double kDefaultReturnCharge = 25; // % at which the aircraft goes home
    // What flying costs, in % of charge per second: hovering (about 22 minutes from full), per
    // m/s of speed through the air, per m/s climbed or descended.
    static constexpr double kHoverDrain = 0.065;
    static constexpr double kAirspeedDrain = 0.004;
    static constexpr double kClimbDrain = 0.01;
    static constexpr double kHomeSpeed = 10;    // m/s flying home
    static constexpr double kLandingRate = 1.5; // m/s

    FlightModel();

    // One tick of `dt` seconds. Returns the alerts raised during it, in words for the pilot.
    std::vector<QString> step(double dt);

    // Commands: an error in words, or none when accepted.
    std::optional<QString> takeOff();
    std::optional<QString> land();
    // A return the pilot asks for unless `cause` says which automatic one it is.
    std::optional<QString> goHome(ReturnCause cause = ReturnCause::pilot);
    // Flies to each waypoint in turn at its own height, at up to `speed`; then hovers, or flies
    // home and lands when `goHomeAtEnd`.
    std::optional<QString> startMission(std::vector<Waypoint> waypoints, double speed, bool goHomeAtEnd = false);
    std::optional<QString> pauseMission();
    std::optional<QString> resumeMission();
    std::optional<QString> stopMission();
    // Circles `centre` at `radius` metres and `speed` m/s (orbit and point of interest).
    std::optional<QString> startOrbit(Point centre, double radius, double speed);
    std::optional<QString> stopOrbit();
    // A running orbit's new radius and speed, about the same centre.
    std::optional<QString> retuneOrbit(double radius, double speed);

    // Settings from the intelligent modes.
    void setReturnCharge(double percent) { m_returnCharge = percent; }
    double returnCharge() const { return m_returnCharge; }
    // `alertNear`: warn as the boundary nears. A return it causes is always told.
    void setGeofence(std::optional<double> radius, bool autoReturn, bool alertNear = true);
    std::optional<double> geofence() const { return m_geofence; }
    bool geofenceAutoReturn() const { return m_geofenceAutoReturn; }
    bool geofenceAlertNear() const { return m_geofenceAlertNear; }
    double orbitRadius() const { return m_orbitRadius; }
    double orbitSpeed() const { return m_orbitSpeed; }
    // The height it never climbs above, in metres above the home point (none: no limit).
    void setCeiling(std::optional<double> metres);
    std::optional<double> ceiling() const { return m_ceiling; }
    // Why a mission through these waypoints cannot be flown, or none when it can.
    std::optional<QString> missionRefusal(const std::vector<Waypoint> &waypoints) const;
    // A scripted degraded link: weaker signal and GPS at any distance.
    void setDegraded(bool degraded) { m_degraded = degraded; }
    void setBatteryCharge(double percent) { m_charge = percent; }
    // The air's velocity, m/s east and north (where it blows to); it drifts on from there.
    void setWind(Point wind) { m_wind = wind; }
    // A rule of the aircraft's own that may send it home, asked every tick in flight before the
    // low-charge return: the alert to raise, or none. Once per flight, like the low-charge return.
    using ReturnRule = std::function<std::optional<QString>(const FlightModel &)>;
    void setReturnRule(ReturnRule rule) { m_returnRule = std::move(rule); }
    void setHasGps(bool has) { m_hasGps = has; }
    // The ground under a point, in metres above the home point's ground; none where unknown. With
    // it the model reports its height over the ground and counts each touch of it in flight.
    using Ground = std::function<std::optional<double>(Point)>;
    void setGround(Ground ground) { m_ground = std::move(ground); }
    std::optional<double> heightAboveGround() const;
    int groundContacts() const { return m_groundContacts; }
    // The camera and its gimbal. Its distance trigger runs only on a mission, and goes off when
    // the mission ends or is left (a return, a landing, an orbit).
    FlightCamera &camera() { return m_camera; }
    const FlightCamera &camera() const { return m_camera; }
    // Where the aircraft is and how it is turned, as the camera records it.
    FlightCamera::Pose pose() const;

    // State.
    Phase phase() const { return m_phase; }
    bool isFlying() const { return m_phase != Phase::onGround; }
    Point position() const { return m_pos; }
    Point home() const { return m_home; }
    double height() const { return m_height; }
    double groundSpeed() const;
    double verticalSpeed() const { return m_vz; }
    double heading() const { return m_heading; }
    double distanceFromHome() const;
    double flightTime() const { return m_flightTime; }
    double charge() const { return m_charge; }
    double voltage() const;
    double temperature() const { return m_temperature; }
    double estimatedSecondsLeft() const;
    int signalPercent() const;
    int gpsLevel() const;
    Point wind() const { return m_wind; }
    // Speed through the air: the ground velocity less the wind's.
    double airspeed() const;
    MissionState missionState() const { return m_missionState; }
    // Why it is going home, until it lands or the pilot takes over (none otherwise).
    ReturnCause returnCause() const { return m_returnCause; }
    int missionWaypoint() const { return m_missionIndex; }
    int missionWaypointCount() const { return int(m_mission.size()); }
    const Limits &limits() const { return m_limits; }

private:
    // Flies toward `target` at up to `speed`, slowing to arrive with no overshoot.
    void steerTo(Point target, double speed, double dt);
    void holdPosition(double dt);
    void climbTo(double height, double dt, double rate = 0);
    // Tracks a height that moves at `rate` m/s (a leg's line under a moving aircraft): the rate
    // fed forward, the remaining gap closed in about a second.
    void trackHeight(double height, double rate, double dt);
    void turnToward(double courseDeg, double dt);
    void drain(double dt);
    void watchSafety(std::vector<QString> &alerts);

    Limits m_limits;
    Phase m_phase = Phase::onGround;
    Point m_pos, m_home;
    double m_vx = 0, m_vy = 0, m_vz = 0;
    double m_height = 0;
    double m_heading = 112;
    double m_flightTime = 0;
    double m_charge = 87;
    double m_temperature = 27.5;
    double m_drainRate = 0.07; // %/s, smoothed
    Point m_wind{2.1, -1.4};
    double m_windClock = 0;
    bool m_degraded = false;
    bool m_hasGps = true;

    Ground m_ground;
    int m_groundContacts = 0;
    bool m_touching = false;

    std::vector<Waypoint> m_mission;
    // Where the leg being flown began, and how high: a leg is flown on the straight line between
    // its two waypoints' heights.
    Point m_legFrom;
    double m_legFromHeight = 0;
    int m_missionIndex = -1;
    double m_missionSpeed = 8;
    bool m_goHomeAtEnd = false;
    MissionState m_missionState = MissionState::none;

    enum class HomeLeg { climb, fly, descend };
    HomeLeg m_homeLeg = HomeLeg::climb;
    double m_returnCharge = kDefaultReturnCharge;
    bool m_lowChargeHandled = false;
    ReturnRule m_returnRule;

    std::optional<double> m_geofence;
    bool m_geofenceAutoReturn = false;
    bool m_geofenceAlertNear = true;
    bool m_geofenceWarned = false;

    std::optional<double> m_ceiling;
    ReturnCause m_returnCause = ReturnCause::none;

    Point m_orbitCentre;
    double m_orbitRadius = 30, m_orbitSpeed = 5, m_orbitAngle = 0;

    FlightCamera m_camera;
};
