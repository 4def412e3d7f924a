#include "SimulatedDJISDK.h"

#include "NumberFormat.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <variant>

namespace {
constexpr double kProgressSteps[] = {0.25, 0.5, 0.75, 1.0};

// Metres per degree of latitude and of longitude at the parked point, from the WGS 84 ellipsoid's
// radii of curvature there: the aircraft's metres are the ground's, as a survey planned on the
// ellipsoid measures them, so a photo every 16 m lands where the plan put it.
struct DegreeLengths {
    double north = 0, east = 0;
};
DegreeLengths degreeLengths()
{
    constexpr double a = 6378137.0, e2 = 0.00669437999014;
    const double phi = SimulatedDJISDK::kParkedLatitude * std::numbers::pi / 180.0;
    const double w = 1.0 - e2 * std::sin(phi) * std::sin(phi);
    const double perRadian = std::numbers::pi / 180.0;
    return {a * (1.0 - e2) / (w * std::sqrt(w)) * perRadian, a / std::sqrt(w) * std::cos(phi) * perRadian};
}
const DegreeLengths kDegree = degreeLengths();

double finiteOr(double v, double fallback)
{
    return std::isfinite(v) ? v : fallback;
}

// The visitor of a settings variant: one lambda per mode.
template<typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template<typename... F>
Overloaded(F...) -> Overloaded<F...>;

// Why a waypoint's height cannot be flown, or empty when it can.
QString heightReferenceRefusal(DJIHeightReference reference)
{
    switch (reference) {
    case DJIHeightReference::aboveTakeOff: return {};
    case DJIHeightReference::aboveGround: return QStringLiteral("height above ground is not supported yet");
    case DJIHeightReference::aboveSeaLevel: return QStringLiteral("height above sea level is not supported yet");
    }
    return QStringLiteral("its height has no known reference");
}

FlightCamera::Action cameraAction(const DJICameraAction &action)
{
    using Kind = FlightCamera::Action::Kind;
    return std::visit(Overloaded{
                          [](const DJITakePhoto &) {
                              return FlightCamera::Action{Kind::takePhoto, 0};
                          },
                          [](const DJIStartDistancePhotos &a) {
                              return FlightCamera::Action{Kind::startDistance, a.metres};
                          },
                          [](const DJIStopDistancePhotos &) {
                              return FlightCamera::Action{Kind::stopDistance, 0};
                          },
                          [](const DJISetGimbalPitch &a) {
                              return FlightCamera::Action{Kind::gimbalPitch, a.degrees};
                          },
                      },
                      action);
}

} // namespace

SimulatedDJISDK::SimulatedDJISDK(int stepMs, QObject *parent, SimClock *clock) : QObject(parent), m_clock(clock)
{
    m_epochMs = QDateTime::currentMSecsSinceEpoch();
    m_timer.setInterval(stepMs);
    connect(&m_timer, &QTimer::timeout, this, &SimulatedDJISDK::step);
    if (!m_clock)
        m_clock = new RealTimeClock(this);
    connect(m_clock, &SimClock::ticked, this, &SimulatedDJISDK::tick);
}

DJIWaypoint SimulatedDJISDK::toLatLon(FlightModel::Point p)
{
    DJIWaypoint w;
    w.latitude = kParkedLatitude + p.north / kDegree.north;
    w.longitude = kParkedLongitude + p.east / kDegree.east;
    return w;
}

FlightModel::Point SimulatedDJISDK::toLocal(double latitude, double longitude)
{
    return {(longitude - kParkedLongitude) * kDegree.east, (latitude - kParkedLatitude) * kDegree.north};
}

void SimulatedDJISDK::setGround(GroundAt ground)
{
    if (!ground) {
        m_model.setGround({});
        return;
    }
    // Heights above sea level become heights over the home point's ground, where the model
    // measures from.
    m_model.setGround([this, ground = std::move(ground)](FlightModel::Point p) -> std::optional<double> {
        const DJIWaypoint home = toLatLon(m_model.home()), at = toLatLon(p);
        const std::optional<double> base = ground(home.latitude, home.longitude);
        const std::optional<double> here = ground(at.latitude, at.longitude);
        return base && here ? std::optional(*here - *base) : std::nullopt;
    });
}

void SimulatedDJISDK::startConnectionToProduct()
{
    if (m_timer.isActive() || m_linkUp || m_dropped)
        return;
    // The flight database is downloaded once; a later connection finds the aircraft at once.
    m_step = m_everConnected ? int(std::size(kProgressSteps)) : 0;
    m_timer.start();
}

void SimulatedDJISDK::stopConnectionToProduct()
{
    m_timer.stop();
    if (!m_linkUp)
        return;
    m_linkUp = false;
    // Reported through the event loop, as the vendor's SDK reports it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (DJISDKManagerDelegate *d = delegate(); d && !m_linkUp)
                d->productDisconnected();
        },
        Qt::QueuedConnection);
}

void SimulatedDJISDK::step()
{
    DJISDKManagerDelegate *d = delegate();
    const int progressCount = int(std::size(kProgressSteps));
    if (m_step < progressCount) {
        if (d)
            d->didUpdateDatabaseDownloadProgress({kProgressSteps[m_step]});
        ++m_step;
        return;
    }
    m_timer.stop();
    connectAircraft();
}

void SimulatedDJISDK::connectAircraft()
{
    m_linkUp = true;
    m_dropped = false;
    m_everConnected = true;
    if (DJISDKManagerDelegate *d = delegate()) {
        const DJIBaseProduct aircraft{QString::fromLatin1(kModelName), true};
        d->productConnected(&aircraft);
        d->didUpdateTelemetry(reading());
    }
    if (m_clock)
        m_clock->start();
}

void SimulatedDJISDK::dropLink()
{
    if (!m_linkUp)
        return;
    m_linkUp = false;
    m_dropped = true;
    if (DJISDKManagerDelegate *d = delegate())
        d->productDisconnected();
}

void SimulatedDJISDK::restoreLink()
{
    if (m_linkUp || !m_everConnected)
        return;
    m_timer.stop();
    connectAircraft();
}

// The aircraft flies on whether or not the link is up; only what reaches the app stops.
void SimulatedDJISDK::tick()
{
    const std::vector<QString> alerts = m_model.step(SimClock::kTickMs / 1000.0);
    DJISDKManagerDelegate *d = m_linkUp ? delegate() : nullptr;
    if (!d) {
        m_model.camera().takePhotos(); // on the card, but their events never reach the app
        return;
    }
    for (const QString &a : alerts)
        d->didReceiveAlert(a);
    d->didUpdateTelemetry(reading());
    reportPhotos(d);
}

void SimulatedDJISDK::reportPhotos(DJISDKManagerDelegate *d)
{
    const qint64 now = m_epochMs + (m_clock ? m_clock->nowMs() : 0);
    const double flightTime = m_model.flightTime();
    for (const FlightCamera::Photo &p : m_model.camera().takePhotos()) {
        DJIPhotoCapture c;
        const DJIWaypoint at = toLatLon({p.pose.east, p.pose.north});
        // Taken during the tick that just ended: its moment, on the aircraft's clock.
        const double ago = std::clamp(flightTime - p.pose.flightTime, 0.0, 1.0);
        c.timeMs = now - qint64(std::lround(ago * 1000.0));
        c.latitude = at.latitude;
        c.longitude = at.longitude;
        c.height = p.pose.height;
        c.heading = p.pose.heading;
        c.gimbalPitch = p.gimbalPitch;
        c.index = p.index;
        d->didCapturePhoto(c);
    }
}

DJITelemetryReading SimulatedDJISDK::reading() const
{
    const FlightModel &m = m_model;
    DJITelemetryReading r;
    BatteryInfo b;
    b.percentage = qint64(std::lround(std::clamp(m.charge(), 0.0, 100.0)));
    b.voltage = m.voltage();
    b.temperature = m.temperature();
    b.chargeCount = 23;
    b.estimatedFlightTime = qint64(std::lround(std::clamp(m.estimatedSecondsLeft(), 0.0, 1e7)));
    r.battery = b;
    FlightData f = FlightData::zero;
    const DJIWaypoint at = toLatLon(m.position());
    f.latitude = at.latitude;
    f.longitude = at.longitude;
    f.altitude = m.height();
    f.groundSpeed = m.groundSpeed();
    f.verticalSpeed = m.verticalSpeed();
    f.heading = m.heading();
    f.distanceFromHome = m.distanceFromHome();
    f.flightTime = m.isFlying() ? m.flightTime() : 0.0;
    f.motorsOn = m.isFlying();
    if (const std::optional<double> agl = m.heightAboveGround(); agl && std::isfinite(*agl)) {
        f.hasHeightAboveGround = true;
        f.heightAboveGround = *agl;
    }
    r.flightData = f;
    r.signalStrength = m.signalPercent();
    r.gpsLevel = m.gpsLevel();
    r.isFlying = m.isFlying();
    DJIMissionProgress p;
    p.state = DJIMissionProgress::State(int(m.missionState()));
    p.currentWaypoint = m.missionWaypoint();
    p.waypointCount = m.missionWaypointCount();
    r.mission = p;
    const DJIWaypoint home = toLatLon(m.home());
    r.homeLatitude = home.latitude;
    r.homeLongitude = home.longitude;
    r.wind = windEstimate(m.wind());
    r.returnCause = DJIReturnCause(int(m.returnCause()));
    return r;
}

DJIReturnProfile SimulatedDJISDK::profile()
{
    const FlightModel::Limits limits;
    DJIReturnProfile p;
    p.homeSpeed = FlightModel::kHomeSpeed;
    p.horizontalAcceleration = limits.horizontalAcceleration;
    p.returnHeight = FlightModel::kSafeReturnHeight;
    p.climbRate = limits.maxClimb;
    p.landingRate = FlightModel::kLandingRate;
    p.verticalAcceleration = limits.verticalAcceleration;
    p.hoverDrain = FlightModel::kHoverDrain;
    p.airspeedDrain = FlightModel::kAirspeedDrain;
    p.climbDrain = FlightModel::kClimbDrain;
    return p;
}

DJIWindEstimate SimulatedDJISDK::windEstimate(FlightModel::Point wind)
{
    const double speed = std::hypot(wind.east, wind.north);
    // It blows from the opposite of where the air moves.
    const double from = speed > 0 ? std::atan2(-wind.east, -wind.north) * 180.0 / std::numbers::pi : 0.0;
    return {speed, std::fmod(from + 360.0, 360.0)};
}

DJIReturnPosition SimulatedDJISDK::returnPosition(const FlightModel &m)
{
    DJIReturnPosition at;
    at.isFlying = m.isFlying();
    at.distance = m.distanceFromHome();
    at.height = m.height();
    at.groundSpeed = m.groundSpeed();
    const FlightModel::Point p = m.position(), home = m.home();
    if (at.distance > 1e-6)
        at.courseHome = std::fmod(
            std::atan2(home.east - p.east, home.north - p.north) * 180.0 / std::numbers::pi + 360.0, 360.0);
    at.wind = windEstimate(m.wind());
    return at;
}

void SimulatedDJISDK::setSmartReturn(const DJISmartReturnSettings &s)
{
    const double trigger = std::clamp(finiteOr(s.batteryThreshold, FlightModel::kDefaultReturnCharge), 5.0, 95.0);
    m_model.setReturnCharge(trigger);
    // Checked before the model's own low-charge return, so the alert says which level was reached.
    m_model.setReturnRule([s, trigger](const FlightModel &m) -> std::optional<QString> {
        if (m.charge() <= trigger)
            return zeltrin::format("Battery low (RTH Trigger %.0f%%): returning home", trigger);
        const std::optional<DJIReturnEstimate> e = estimateReturn(profile(), returnPosition(m), s);
        if (e && m.charge() <= e->battery)
            return zeltrin::format("Battery low (%.0f%% needed to get home with the reserve): returning home",
                                   e->battery);
        return std::nullopt;
    });
}

void SimulatedDJISDK::complete(DJICompletion done, const DJICommandError &error)
{
    if (!done)
        return;
    QMetaObject::invokeMethod(this, [done = std::move(done), error] { done(error); }, Qt::QueuedConnection);
}

template <typename Command>
void SimulatedDJISDK::command(DJICompletion done, Command &&run)
{
    if (!m_linkUp) {
        complete(std::move(done), notConnectedReason());
        return;
    }
    complete(std::move(done), run());
}

void SimulatedDJISDK::takeOff(DJICompletion done) { command(std::move(done), [this] { return m_model.takeOff(); }); }
void SimulatedDJISDK::land(DJICompletion done) { command(std::move(done), [this] { return m_model.land(); }); }
void SimulatedDJISDK::goHome(DJICompletion done) { command(std::move(done), [this] { return m_model.goHome(); }); }
void SimulatedDJISDK::pauseMission(DJICompletion done) { command(std::move(done), [this] { return m_model.pauseMission(); }); }
void SimulatedDJISDK::resumeMission(DJICompletion done) { command(std::move(done), [this] { return m_model.resumeMission(); }); }
void SimulatedDJISDK::stopMission(DJICompletion done) { command(std::move(done), [this] { return m_model.stopMission(); }); }

// The simulated aircraft flies each waypoint's height above the take-off point. Heights over
// the ground or the sea need terrain it does not have, so such a mission is refused. Its camera
// performs each waypoint's actions on arrival.
DJICommandError SimulatedDJISDK::modelWaypoints(const DJIWaypointMission &mission,
                                                std::vector<FlightModel::Waypoint> &points) const
{
    points.clear();
    points.reserve(size_t(mission.waypoints.size()));
    for (qsizetype i = 0; i < mission.waypoints.size(); ++i) {
        const DJIWaypoint &w = mission.waypoints[i];
        if (!std::isfinite(w.latitude) || !std::isfinite(w.longitude) || std::abs(w.latitude) > 90
            || std::abs(w.longitude) > 180)
            return QStringLiteral("The mission has a waypoint without a position");
        if (const QString refusal = heightReferenceRefusal(w.heightReference); !refusal.isEmpty())
            return QStringLiteral("Waypoint %1: %2").arg(i + 1).arg(refusal);
        FlightModel::Waypoint p;
        p.at = toLocal(w.latitude, w.longitude);
        p.height = w.height;
        p.camera.reserve(size_t(w.actions.size()));
        for (const DJICameraAction &a : w.actions)
            p.camera.push_back(cameraAction(a));
        points.push_back(std::move(p));
    }
    return m_model.missionRefusal(points);
}

void SimulatedDJISDK::startMission(const DJIWaypointMission &mission, DJICompletion done)
{
    command(std::move(done), [this, &mission]() -> DJICommandError {
        std::vector<FlightModel::Waypoint> points;
        if (auto refused = modelWaypoints(mission, points))
            return refused;
        return m_model.startMission(std::move(points), mission.speed, mission.goHomeAtEnd);
    });
}

// Checked as the aircraft would check it before flying: every waypoint placed, its height
// flyable and under the ceiling.
void SimulatedDJISDK::uploadMission(const DJIWaypointMission &mission, DJICompletion done)
{
    command(std::move(done), [this, &mission]() -> DJICommandError {
        std::vector<FlightModel::Waypoint> points;
        return modelWaypoints(mission, points);
    });
}

void SimulatedDJISDK::setAltitudeCeiling(double metres, DJICompletion done)
{
    command(std::move(done), [this, metres]() -> DJICommandError {
        if (!std::isfinite(metres) || metres <= 0)
            return QStringLiteral("The altitude limit is not a height");
        m_model.setCeiling(metres);
        return std::nullopt;
    });
}

// The altitude and direction of a point of interest, the orbit's altitude hold and every
// ActiveTrack setting are carried but not yet flown.
void SimulatedDJISDK::startIntelligentMode(const DJIModeSettings &settings, DJICompletion done)
{
    command(std::move(done), [this, &settings]() -> DJICommandError {
        return std::visit(Overloaded{
                              [this](const DJIPointOfInterestSettings &s) -> DJICommandError {
                                  // Circles the target, or the point under the aircraft when the sheet has none.
                                  FlightModel::Point centre = m_model.position();
                                  if (s.target) {
                                      if (!std::isfinite(s.target->latitude) || !std::isfinite(s.target->longitude))
                                          return QStringLiteral("The point of interest has no position");
                                      centre = toLocal(s.target->latitude, s.target->longitude);
                                  }
                                  return m_model.startOrbit(centre, finiteOr(s.radius, 50), finiteOr(s.speed, 5));
                              },
                              [this](const DJIOrbitSettings &s) -> DJICommandError {
                                  const double radius = finiteOr(s.radius, 30);
                                  // The circle's centre lies ahead of the aircraft, so it starts on the circle.
                                  const double h = m_model.heading() * std::numbers::pi / 180.0;
                                  const FlightModel::Point p = m_model.position();
                                  return m_model.startOrbit(
                                      {p.east + radius * std::sin(h), p.north + radius * std::cos(h)}, radius,
                                      finiteOr(s.speed, 5));
                              },
                              [this](const DJISmartReturnSettings &s) -> DJICommandError {
                                  setSmartReturn(s);
                                  return std::nullopt;
                              },
                              [this](const DJIGeofenceSettings &s) -> DJICommandError {
                                  setGeofence(s);
                                  return std::nullopt;
                              },
                              [this](const DJIActiveTrackSettings &) -> DJICommandError {
                                  if (!m_model.isFlying())
                                      return notFlyingReason();
                                  return std::nullopt;
                              },
                          },
                          settings);
    });
}

void SimulatedDJISDK::setGeofence(const DJIGeofenceSettings &s)
{
    m_model.setGeofence(finiteOr(s.radius, 500), s.autoReturn, s.alertWhenNear);
}

void SimulatedDJISDK::updateIntelligentMode(const DJIModeSettings &settings, DJICompletion done)
{
    command(std::move(done), [this, &settings]() -> DJICommandError {
        // An orbit that did not start (on the ground) has nothing to retune.
        const auto retune = [this](double radius, double speed) -> DJICommandError {
            if (m_model.phase() != FlightModel::Phase::orbiting)
                return std::nullopt;
            return m_model.retuneOrbit(finiteOr(radius, m_model.orbitRadius()), finiteOr(speed, m_model.orbitSpeed()));
        };
        return std::visit(Overloaded{
                              [&](const DJIPointOfInterestSettings &s) { return retune(s.radius, s.speed); },
                              [&](const DJIOrbitSettings &s) { return retune(s.radius, s.speed); },
                              [this](const DJISmartReturnSettings &s) -> DJICommandError {
                                  DJISmartReturnSettings kept = s;
                                  kept.batteryThreshold = finiteOr(s.batteryThreshold, m_model.returnCharge());
                                  setSmartReturn(kept);
                                  return std::nullopt;
                              },
                              [this](const DJIGeofenceSettings &s) -> DJICommandError {
                                  setGeofence(s);
                                  return std::nullopt;
                              },
                              [](const DJIActiveTrackSettings &) -> DJICommandError { return std::nullopt; },
                          },
                          settings);
    });
}

void SimulatedDJISDK::stopIntelligentMode(DJIIntelligentMode mode, DJICompletion done)
{
    command(std::move(done), [this, mode]() -> DJICommandError {
        switch (mode) {
        case DJIIntelligentMode::pointOfInterest:
        case DJIIntelligentMode::orbit:
            if (m_model.phase() == FlightModel::Phase::orbiting)
                return m_model.stopOrbit();
            return std::nullopt;
        case DJIIntelligentMode::smartReturnToHome:
            m_model.setReturnCharge(FlightModel::kDefaultReturnCharge);
            m_model.setReturnRule({});
            return std::nullopt;
        case DJIIntelligentMode::geofence:
            m_model.setGeofence(std::nullopt, false);
            return std::nullopt;
        case DJIIntelligentMode::activeTrack:
            return std::nullopt;
        }
        return std::nullopt;
    });
}

void SimulatedDJISDK::capturePhoto(DJICompletion done)
{
    command(std::move(done), [this]() -> DJICommandError {
        if (!m_model.camera().takePhoto(m_model.pose()))
            return QStringLiteral("The camera did not take the photo");
        return std::nullopt;
    });
}

void SimulatedDJISDK::setRecording(bool on, DJICompletion done)
{
    command(std::move(done), [this, on]() -> DJICommandError {
        m_recording = on;
        return std::nullopt;
    });
}

void SimulatedDJISDK::setGimbalPitch(float degrees, DJICompletion done)
{
    command(std::move(done), [this, degrees]() -> DJICommandError {
        if (!std::isfinite(degrees))
            return QStringLiteral("Gimbal pitch is not a number");
        m_model.camera().setGimbalPitch(degrees);
        return std::nullopt;
    });
}
