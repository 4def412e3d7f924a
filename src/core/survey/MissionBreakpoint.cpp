#include "MissionBreakpoint.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>

namespace zeltrin::survey {

namespace {

template<class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>; // clang 14 does not deduce it by itself

// Doubles by their bits: the same plan gives the same text on every machine.
void add(QCryptographicHash &h, double v)
{
    h.addData(QByteArrayView(reinterpret_cast<const char *>(&v), sizeof v));
}
void add(QCryptographicHash &h, qint32 v)
{
    h.addData(QByteArrayView(reinterpret_cast<const char *>(&v), sizeof v));
}

} // namespace

QByteArray missionHash(const DJIWaypointMission &plan)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData("zeltrin-mission-1");
    add(h, plan.speed);
    add(h, qint32(plan.terrainFollow) | qint32(plan.multiBattery) << 1);
    add(h, qint32(plan.waypoints.size()));
    for (const DJIWaypoint &w : plan.waypoints) {
        add(h, w.latitude);
        add(h, w.longitude);
        add(h, w.height);
        add(h, qint32(w.heightReference));
        add(h, qint32(w.actions.size()));
        for (const DJICameraAction &a : w.actions) {
            add(h, qint32(a.index()));
            std::visit(Overloaded{[&](const DJIStartDistancePhotos &d) { add(h, d.metres); },
                                  [&](const DJISetGimbalPitch &g) { add(h, g.degrees); }, [](const auto &) {}},
                       a);
        }
    }
    return h.result().toHex();
}

CameraState cameraStateAfter(const DJIWaypointMission &plan, int leg)
{
    CameraState s;
    const int end = std::min(leg, int(plan.waypoints.size()) - 1);
    for (int i = 0; i <= end; ++i)
        for (const DJICameraAction &a : plan.waypoints[i].actions)
            std::visit(
                Overloaded{[&](const DJIStartDistancePhotos &d) { s.triggerDistance = d.metres > 0 ? d.metres : 0; },
                           [&](const DJIStopDistancePhotos &) { s.triggerDistance = 0; },
                           [&](const DJISetGimbalPitch &g) { s.gimbalPitch = g.degrees; }, [](const DJITakePhoto &) {}},
                a);
    return s;
}

MissionPath::MissionPath(const DJIWaypointMission &plan)
    : m_plan(plan),
      m_plane(plan.waypoints.isEmpty() ? Coordinate{}
                                       : Coordinate{plan.waypoints[0].latitude, plan.waypoints[0].longitude})
{
    m_points.reserve(size_t(plan.waypoints.size()));
    for (const DJIWaypoint &w : plan.waypoints)
        m_points.push_back(m_plane.toPlane({w.latitude, w.longitude}));
}

PathPoint MissionPath::locate(int leg, Coordinate at) const
{
    if (leg < 0 || leg >= size())
        return {leg < 0 ? -1 : size() - 1, 0};
    if (leg == size() - 1)
        return {leg, 0};
    const PlanePoint a = m_points[size_t(leg)], b = m_points[size_t(leg) + 1], p = m_plane.toPlane(at);
    const double dx = b.east - a.east, dy = b.north - a.north, len2 = dx * dx + dy * dy;
    const double t = len2 > 1e-12 ? ((p.east - a.east) * dx + (p.north - a.north) * dy) / len2 : 0.0;
    return {leg, std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0};
}

PathPoint MissionPath::moved(PathPoint p, double metres) const
{
    if (p.leg < 0 || p.leg >= size() - 1 || !std::isfinite(metres))
        return p;
    const PlanePoint a = m_points[size_t(p.leg)], b = m_points[size_t(p.leg) + 1];
    const double length = std::hypot(b.east - a.east, b.north - a.north);
    if (!(length > 1e-6))
        return {p.leg, 0};
    return {p.leg, std::clamp(p.fraction + metres / length, 0.0, 1.0)};
}

DJIWaypoint MissionPath::waypointAt(PathPoint p) const
{
    const int leg = std::clamp(p.leg, 0, size() - 1);
    DJIWaypoint w = m_plan.waypoints[leg];
    w.actions.clear();
    if (leg == size() - 1 || !(p.fraction > 0))
        return w;
    const double f = std::min(p.fraction, 1.0);
    const DJIWaypoint &next = m_plan.waypoints[leg + 1];
    const PlanePoint a = m_points[size_t(leg)], b = m_points[size_t(leg) + 1];
    const Coordinate at = m_plane.toGeo({a.east + (b.east - a.east) * f, a.north + (b.north - a.north) * f});
    w.latitude = at.latitude;
    w.longitude = at.longitude;
    w.height = w.height + (next.height - w.height) * f;
    return w;
}

MissionStretch missionStretch(const DJIWaypointMission &plan, PathPoint start, int last)
{
    MissionStretch out;
    const int n = int(plan.waypoints.size());
    start.leg = std::max(start.leg, 0);
    if (start.fraction <= 0 || start.leg == n - 1)
        start.fraction = 0;
    if (n == 0 || start.leg >= n || last < start.leg || last >= n || (last == start.leg && start.fraction > 0)) {
        out.refusal = QStringLiteral("Nothing of the mission is left to fly.");
        return out;
    }
    out.start = start;
    out.last = last;
    out.mission.speed = plan.speed;
    out.mission.terrainFollow = plan.terrainFollow;
    out.mission.multiBattery = plan.multiBattery;
    out.mission.goHomeAtEnd = plan.multiBattery || last < n - 1;

    // The camera as the plan had it on arriving here: the gimbal first, so that no photo is taken
    // at the wrong angle, then the trigger, whose first photo is taken at once.
    const CameraState before = cameraStateAfter(plan, start.fraction > 0 ? start.leg : start.leg - 1);
    DJIWaypoint first = MissionPath(plan).waypointAt(start);
    if (std::isfinite(before.gimbalPitch))
        first.actions.append(DJISetGimbalPitch{before.gimbalPitch});
    if (before.triggerDistance > 0)
        first.actions.append(DJIStartDistancePhotos{before.triggerDistance});
    if (start.fraction == 0)
        first.actions.append(plan.waypoints[start.leg].actions);
    out.mission.waypoints.append(first);
    for (int i = start.leg + 1; i <= last; ++i)
        out.mission.waypoints.append(plan.waypoints[i]);
    return out;
}

MissionStretch resumeStretch(const DJIWaypointMission &plan, const MissionBreakpoint &bp, int backStep, int last)
{
    const int n = int(plan.waypoints.size());
    if (missionHash(plan) != bp.planHash) {
        MissionStretch refused;
        refused.refusal = QStringLiteral("The plan was changed after this mission began, so it cannot be resumed. "
                                         "Upload it again to fly it from the start.");
        return refused;
    }
    if (last < 0 || last >= n)
        last = n - 1;
    if (bp.finished || bp.reached.leg >= n - 1)
        return missionStretch(plan, {n, 0}, last); // refused: nothing left
    PathPoint start{std::max(bp.reached.leg, 0), 0};
    const CameraState camera = cameraStateAfter(plan, bp.reached.leg);
    if (bp.reached.leg < 0) {
        start = {0, 0};
    } else if (camera.triggerDistance > 0) {
        // On a line: from its last photos, or from the line's start when it has none yet.
        start = {bp.reached.leg, 0};
        if (bp.lastPhoto.leg == bp.reached.leg)
            start = MissionPath(plan).moved(bp.lastPhoto, (1 - std::max(backStep, 0)) * camera.triggerDistance);
    } else {
        // Between lines: the next waypoint's own actions start what comes next.
        start = {bp.reached.leg + 1, 0};
    }
    return missionStretch(plan, start, std::max(last, start.leg));
}

} // namespace zeltrin::survey
