#include "FlightModel.h"

#include "NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMinTakeOffCharge = 15; // %
constexpr double kGeofenceMargin = 10;   // m inside the radius where the pilot is warned
constexpr double kWindTurn = 0.2;        // °/s the wind's direction drifts

double toRad(double deg) { return deg * std::numbers::pi / 180.0; }
double toDeg(double rad) { return rad * 180.0 / std::numbers::pi; }
double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

} // namespace

FlightModel::FlightModel() = default;

double FlightModel::groundSpeed() const { return std::hypot(m_vx, m_vy); }
double FlightModel::airspeed() const
{
    return std::hypot(m_vx - m_wind.east, m_vy - m_wind.north);
}

FlightCamera::Pose FlightModel::pose() const
{
    return {m_pos.east, m_pos.north, m_height, m_heading, m_flightTime};
}

double FlightModel::distanceFromHome() const
{
    return std::hypot(m_pos.east - m_home.east, m_pos.north - m_home.north);
}

// A four-cell pack: 13.6 V empty to 16.15 V full.
double FlightModel::voltage() const { return 13.6 + 2.55 * std::clamp(m_charge, 0.0, 100.0) / 100.0; }

double FlightModel::estimatedSecondsLeft() const
{
    const double rate = isFlying() ? m_drainRate : kHoverDrain;
    return std::max(0.0, m_charge) / std::max(rate, 1e-3);
}

int FlightModel::signalPercent() const
{
    double s = 100.0 - distanceFromHome() / 40.0;
    if (m_degraded)
        s -= 45;
    return int(std::lround(std::clamp(s, 0.0, 100.0)));
}

int FlightModel::gpsLevel() const
{
    if (!m_hasGps)
        return 0;
    if (m_degraded)
        return 1;
    return distanceFromHome() < 2000 ? 4 : 3;
}

void FlightModel::setGeofence(std::optional<double> radius, bool autoReturn, bool alertNear)
{
    m_geofence = radius && std::isfinite(*radius) && *radius > 0 ? radius : std::nullopt;
    m_geofenceAutoReturn = autoReturn;
    m_geofenceAlertNear = alertNear;
    m_geofenceWarned = false;
}

std::optional<QString> FlightModel::takeOff()
{
    if (isFlying())
        return QStringLiteral("Aircraft is already flying");
    if (!m_hasGps)
        return QStringLiteral("No GPS");
    if (m_charge < kMinTakeOffCharge)
        return QStringLiteral("Battery too low for take-off");
    m_home = m_pos;
    m_flightTime = 0;
    m_lowChargeHandled = false;
    m_geofenceWarned = false;
    m_returnCause = ReturnCause::none;
    m_phase = Phase::takingOff;
    m_camera.stopDistance();
    m_camera.newFlight();
    return std::nullopt;
}

std::optional<QString> FlightModel::land()
{
    if (!isFlying())
        return QStringLiteral("Aircraft is not flying");
    if (m_missionState == MissionState::executing || m_missionState == MissionState::paused)
        m_missionState = MissionState::stopped;
    m_phase = Phase::landing;
    m_returnCause = ReturnCause::none; // the pilot takes over
    m_camera.stopDistance();
    return std::nullopt;
}

std::optional<QString> FlightModel::goHome(ReturnCause cause)
{
    if (!isFlying())
        return QStringLiteral("Aircraft is not flying");
    if (m_missionState == MissionState::executing || m_missionState == MissionState::paused)
        m_missionState = MissionState::stopped;
    m_returnCause = cause == ReturnCause::none ? ReturnCause::pilot : cause;
    m_phase = Phase::goingHome;
    m_homeLeg = HomeLeg::climb;
    m_camera.stopDistance(); // no photos on the way home
    return std::nullopt;
}

namespace {
// The height a mission waypoint is flown at.
double flownHeight(double height)
{
    return std::clamp(finiteOr(height, 50), 2.0, 500.0);
}
} // namespace

void FlightModel::setCeiling(std::optional<double> metres)
{
    m_ceiling = metres && std::isfinite(*metres) && *metres > 0 ? metres : std::nullopt;
}

std::optional<QString> FlightModel::missionRefusal(const std::vector<Waypoint> &waypoints) const
{
    if (waypoints.empty())
        return QStringLiteral("The mission has no waypoints");
    double highest = 0;
    for (const Waypoint &w : waypoints) {
        if (!std::isfinite(w.at.east) || !std::isfinite(w.at.north))
            return QStringLiteral("The mission has a waypoint without a position");
        highest = std::max(highest, flownHeight(w.height));
    }
    if (m_ceiling && highest > *m_ceiling + 1e-9) {
        // Whole metres, unless rounding would make the two look equal.
        const bool close = zeltrin::format("%.0f", highest) == zeltrin::format("%.0f", *m_ceiling);
        const char *f = close ? "Mission altitude %.1f m is above the %.1f m ceiling"
                              : "Mission altitude %.0f m is above the %.0f m ceiling";
        return zeltrin::format(f, highest, *m_ceiling);
    }
    return std::nullopt;
}

std::optional<QString> FlightModel::startMission(std::vector<Waypoint> waypoints, double speed, bool goHomeAtEnd)
{
    if (auto refused = missionRefusal(waypoints))
        return refused;
    if (!isFlying()) {
        if (auto refused = takeOff())
            return refused;
    }
    for (Waypoint &w : waypoints)
        w.height = flownHeight(w.height);
    m_camera.stopDistance(); // a mission taking another's place starts with the camera idle
    m_returnCause = ReturnCause::none;
    m_mission = std::move(waypoints);
    m_missionIndex = 0;
    m_legFrom = m_pos;
    m_legFromHeight = m_height;
    m_missionSpeed = std::clamp(finiteOr(speed, 8), 0.5, m_limits.maxHorizontalSpeed);
    m_missionState = MissionState::executing;
    m_phase = Phase::mission;
    m_goHomeAtEnd = goHomeAtEnd;
    return std::nullopt;
}

std::optional<QString> FlightModel::pauseMission()
{
    if (m_missionState != MissionState::executing)
        return QStringLiteral("No mission is running");
    m_missionState = MissionState::paused;
    return std::nullopt;
}

std::optional<QString> FlightModel::resumeMission()
{
    if (m_missionState != MissionState::paused)
        return QStringLiteral("No mission is paused");
    m_missionState = MissionState::executing;
    m_phase = Phase::mission;
    return std::nullopt;
}

std::optional<QString> FlightModel::stopMission()
{
    if (m_missionState != MissionState::executing && m_missionState != MissionState::paused)
        return QStringLiteral("No mission is running");
    m_missionState = MissionState::stopped;
    if (m_phase == Phase::mission)
        m_phase = Phase::hovering;
    m_camera.stopDistance();
    return std::nullopt;
}

std::optional<QString> FlightModel::startOrbit(Point centre, double radius, double speed)
{
    if (!isFlying())
        return QStringLiteral("Aircraft is not flying");
    m_orbitCentre = centre;
    m_orbitRadius = std::clamp(finiteOr(radius, 30), 5.0, 500.0);
    m_orbitSpeed = std::clamp(finiteOr(speed, 5), 0.5, m_limits.maxHorizontalSpeed);
    m_orbitAngle = std::atan2(m_pos.east - centre.east, m_pos.north - centre.north);
    m_returnCause = ReturnCause::none;
    m_phase = Phase::orbiting;
    m_camera.stopDistance();
    return std::nullopt;
}

std::optional<QString> FlightModel::retuneOrbit(double radius, double speed)
{
    if (m_phase != Phase::orbiting)
        return QStringLiteral("No orbit is running");
    m_orbitRadius = std::clamp(finiteOr(radius, m_orbitRadius), 5.0, 500.0);
    m_orbitSpeed = std::clamp(finiteOr(speed, m_orbitSpeed), 0.5, m_limits.maxHorizontalSpeed);
    return std::nullopt;
}

std::optional<QString> FlightModel::stopOrbit()
{
    if (m_phase != Phase::orbiting)
        return QStringLiteral("No orbit is running");
    m_phase = Phase::hovering;
    return std::nullopt;
}

void FlightModel::turnToward(double courseDeg, double dt)
{
    double diff = std::remainder(courseDeg - m_heading, 360.0);
    const double maxTurn = m_limits.headingRate * dt;
    diff = std::clamp(diff, -maxTurn, maxTurn);
    m_heading = std::fmod(m_heading + diff + 360.0, 360.0);
}

void FlightModel::steerTo(Point target, double speed, double dt)
{
    const double dx = target.east - m_pos.east, dy = target.north - m_pos.north;
    const double dist = std::hypot(dx, dy);
    const double a = m_limits.horizontalAcceleration;
    // Slow down in time to stop on the target: v² = 2 a d.
    const double want = std::min(std::clamp(speed, 0.0, m_limits.maxHorizontalSpeed), std::sqrt(2 * a * dist));
    const double wx = dist > 1e-9 ? dx / dist * want : 0, wy = dist > 1e-9 ? dy / dist * want : 0;
    double cx = wx - m_vx, cy = wy - m_vy;
    const double change = std::hypot(cx, cy), maxChange = a * dt;
    if (change > maxChange) {
        cx *= maxChange / change;
        cy *= maxChange / change;
    }
    m_vx += cx;
    m_vy += cy;
    const double stepLen = std::hypot(m_vx, m_vy) * dt;
    if (stepLen >= dist) {
        m_pos = target;
        if (want < 1e-6)
            m_vx = m_vy = 0;
    } else {
        m_pos.east += m_vx * dt;
        m_pos.north += m_vy * dt;
    }
    if (groundSpeed() > 0.5)
        turnToward(toDeg(std::atan2(m_vx, m_vy)), dt);
}

void FlightModel::holdPosition(double dt)
{
    const double a = m_limits.horizontalAcceleration * dt;
    const double v = groundSpeed();
    if (v <= a) {
        m_vx = m_vy = 0;
    } else {
        m_vx -= m_vx / v * a;
        m_vy -= m_vy / v * a;
    }
    m_pos.east += m_vx * dt;
    m_pos.north += m_vy * dt;
}

void FlightModel::trackHeight(double height, double rate, double dt)
{
    if (m_ceiling)
        height = std::min(height, *m_ceiling);
    const double a = m_limits.verticalAcceleration;
    const double want = std::clamp(rate + (height - m_height), -m_limits.maxDescent, m_limits.maxClimb);
    m_vz += std::clamp(want - m_vz, -a * dt, a * dt);
    m_height += m_vz * dt;
}

void FlightModel::climbTo(double height, double dt, double rate)
{
    // Every climb and hold goes through here, so no mode takes the aircraft above its ceiling;
    // above it (the ceiling was lowered) it comes down to it.
    if (m_ceiling)
        height = std::min(height, *m_ceiling);
    const double dz = height - m_height;
    const double a = m_limits.verticalAcceleration;
    double limit = dz > 0 ? m_limits.maxClimb : m_limits.maxDescent;
    if (rate > 0)
        limit = std::min(limit, rate);
    const double want = std::copysign(std::min(limit, std::sqrt(2 * a * std::abs(dz))), dz);
    m_vz += std::clamp(want - m_vz, -a * dt, a * dt);
    const double next = m_height + m_vz * dt;
    if ((dz >= 0 && next >= height) || (dz <= 0 && next <= height)) {
        m_height = height;
        if (std::abs(want) < 1e-6)
            m_vz = 0;
    } else {
        m_height = next;
    }
}

void FlightModel::drain(double dt)
{
    const double rate = kHoverDrain + kAirspeedDrain * airspeed() + kClimbDrain * std::abs(m_vz);
    m_charge = std::max(0.0, m_charge - rate * dt);
    // Smoothed over about ten seconds, so the estimate does not jump with every manoeuvre.
    const double k = std::min(1.0, dt / 10.0);
    m_drainRate += (rate - m_drainRate) * k;
    m_temperature += (45.0 - m_temperature) * 0.002 * dt;
}

void FlightModel::watchSafety(std::vector<QString> &alerts)
{
    const bool returning = m_phase == Phase::goingHome || m_phase == Phase::landing;
    if (!m_lowChargeHandled && !returning) {
        std::optional<QString> why = m_returnRule ? m_returnRule(*this) : std::nullopt;
        ReturnCause cause = ReturnCause::smartReturn;
        if (!why && m_charge <= m_returnCharge) {
            why = QStringLiteral("Battery low: returning home");
            cause = ReturnCause::lowBattery;
        }
        if (why) {
            m_lowChargeHandled = true;
            alerts.push_back(*why);
            goHome(cause);
            return;
        }
    }
    if (m_geofence) {
        const double d = distanceFromHome();
        if (!m_geofenceWarned && d >= *m_geofence - kGeofenceMargin) {
            m_geofenceWarned = true;
            if (m_geofenceAutoReturn && !returning) {
                alerts.push_back(QStringLiteral("Geofence reached: returning home"));
                goHome(ReturnCause::geofence);
            } else if (m_geofenceAlertNear) {
                alerts.push_back(QStringLiteral("Approaching the geofence"));
            }
        } else if (m_geofenceWarned && d < *m_geofence - 2 * kGeofenceMargin) {
            m_geofenceWarned = false;
        }
    }
}

std::optional<double> FlightModel::heightAboveGround() const
{
    if (!m_ground)
        return std::nullopt;
    const std::optional<double> g = m_ground(m_pos);
    return g ? std::optional(m_height - *g) : std::nullopt;
}

std::vector<QString> FlightModel::step(double dt)
{
    std::vector<QString> alerts;
    if (!(dt > 0) || !std::isfinite(dt))
        return alerts;
    m_windClock += dt;
    const double windAngle = toRad(kWindTurn * dt);
    m_wind = {m_wind.east * std::cos(windAngle) - m_wind.north * std::sin(windAngle),
              m_wind.east * std::sin(windAngle) + m_wind.north * std::cos(windAngle)};
    if (m_phase == Phase::onGround) {
        m_vx = m_vy = m_vz = 0;
        m_temperature += (25.0 - m_temperature) * 0.002 * dt;
        return alerts;
    }
    const FlightCamera::Pose before = pose();
    m_flightTime += dt;
    switch (m_phase) {
    case Phase::onGround:
        break;
    case Phase::takingOff:
        holdPosition(dt);
        climbTo(kTakeOffHeight, dt);
        if (m_height >= kTakeOffHeight - 1e-9)
            m_phase = Phase::hovering;
        break;
    case Phase::hovering:
        holdPosition(dt);
        climbTo(m_height, dt);
        break;
    case Phase::mission: {
        // A paused mission keeps its camera on: photos by distance while it brakes to a stop.
        if (m_missionState != MissionState::executing || m_missionIndex < 0
            || m_missionIndex >= int(m_mission.size())) {
            holdPosition(dt);
            climbTo(m_height, dt);
            m_camera.flown(before, pose());
            break;
        }
        const Waypoint &next = m_mission[size_t(m_missionIndex)];
        // The first leg climbs to its height at once (it starts wherever the aircraft was); the
        // others follow the line between their waypoints' heights, as they were planned over
        // the ground.
        double height = next.height;
        if (m_missionIndex > 0) {
            const double dx = next.at.east - m_legFrom.east, dy = next.at.north - m_legFrom.north;
            const double length = std::hypot(dx, dy);
            const double left = std::hypot(next.at.east - m_pos.east, next.at.north - m_pos.north);
            const double done = length > 1e-9 ? std::clamp(1.0 - left / length, 0.0, 1.0) : 1.0;
            height = m_legFromHeight + (next.height - m_legFromHeight) * done;
            // The line rises as fast as the aircraft moves along the leg.
            const double along = length > 1e-9 ? (m_vx * dx + m_vy * dy) / length : 0.0;
            const double rate = length > 1e-9 ? (next.height - m_legFromHeight) / length * along : 0.0;
            trackHeight(height, rate, dt);
        } else {
            climbTo(height, dt);
        }
        const Point target = next.at;
        steerTo(target, m_missionSpeed, dt);
        m_camera.flown(before, pose());
        // The first waypoint is reached at its height too: the legs after it start from there.
        if (const double gap = std::hypot(target.east - m_pos.east, target.north - m_pos.north);
            gap <= kWaypointReach && (m_missionIndex > 0 || std::abs(m_height - height) < kWaypointReach)) {
            m_camera.arrive(next.camera, pose(), gap);
            m_legFrom = next.at;
            m_legFromHeight = next.height;
            if (++m_missionIndex >= int(m_mission.size())) {
                m_missionIndex = int(m_mission.size()) - 1;
                m_missionState = MissionState::finished;
                m_phase = Phase::hovering;
                m_camera.stopDistance();
                if (m_goHomeAtEnd)
                    goHome();
            }
        }
        break;
    }
    case Phase::orbiting: {
        m_orbitAngle += m_orbitSpeed / m_orbitRadius * dt;
        const Point on{m_orbitCentre.east + m_orbitRadius * std::sin(m_orbitAngle),
                       m_orbitCentre.north + m_orbitRadius * std::cos(m_orbitAngle)};
        steerTo(on, m_orbitSpeed * 1.5, dt);
        climbTo(m_height, dt);
        break;
    }
    case Phase::goingHome:
        switch (m_homeLeg) {
        case HomeLeg::climb: {
            const double safe = m_ceiling ? std::min(kSafeReturnHeight, *m_ceiling) : kSafeReturnHeight;
            holdPosition(dt);
            climbTo(std::max(safe, m_height), dt);
            if (m_height >= safe - 1e-9 && std::abs(m_vz) < 1e-6)
                m_homeLeg = HomeLeg::fly;
            break;
        }
        case HomeLeg::fly:
            climbTo(m_height, dt);
            steerTo(m_home, kHomeSpeed, dt);
            if (distanceFromHome() < 1e-6 && groundSpeed() < 1e-6)
                m_homeLeg = HomeLeg::descend;
            break;
        case HomeLeg::descend:
            m_phase = Phase::landing;
            break;
        }
        break;
    case Phase::landing:
        holdPosition(dt);
        climbTo(0, dt, kLandingRate);
        if (m_height <= 0) {
            m_height = 0;
            m_vz = 0;
            m_phase = Phase::onGround;
            m_returnCause = ReturnCause::none;
        }
        break;
    }
    drain(dt);
    if (isFlying())
        watchSafety(alerts);
    // Under the ground's surface in flight (not landing or lifting off) is a touch of it: counted
    // once for each time it goes under.
    const std::optional<double> agl = heightAboveGround();
    const bool touching = agl && *agl < -0.01 && m_phase != Phase::landing && m_phase != Phase::takingOff
        && m_phase != Phase::onGround;
    if (touching && !m_touching)
        ++m_groundContacts;
    m_touching = touching;
    return alerts;
}
