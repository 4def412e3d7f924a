#include "BatteryParts.h"

#include "LocalPlane.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zeltrin::survey {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

struct Flyer {
    const DJIReturnProfile &profile;
    const BatteryPartsInput &input;
    double speed;

    // The wind's velocity (east, north), m/s: it blows toward the opposite of where it comes from.
    PlanePoint wind() const
    {
        if (!input.wind || !std::isfinite(input.wind->speed) || !std::isfinite(input.wind->directionFrom))
            return {};
        const double to = (input.wind->directionFrom + 180.0) * kDegree;
        return {input.wind->speed * std::sin(to), input.wind->speed * std::cos(to)};
    }
    // % a straight leg costs at the mission's speed, with the climb or descent on it and the
    // stop at its end (slowing down and speeding up again take v/a longer than cruising).
    double leg(PlanePoint from, PlanePoint to, double dh) const
    {
        const double de = to.east - from.east, dn = to.north - from.north;
        const double d = std::hypot(de, dn);
        double t = d / speed;
        double air = 0;
        if (d > 1e-6) {
            const PlanePoint w = wind();
            air = std::hypot(speed * de / d - w.east, speed * dn / d - w.north);
        }
        const double rate = dh > 0 ? profile.climbRate : profile.landingRate;
        if (rate > 0)
            t = std::max(t, std::abs(dh) / rate);
        const double stop = profile.horizontalAcceleration > 0 ? speed / profile.horizontalAcceleration : 0;
        return t * (profile.hoverDrain + profile.airspeedDrain * air) + profile.climbDrain * std::abs(dh)
            + stop * profile.hoverDrain;
    }
    // What the aircraft's own estimate says the way home from here needs.
    std::optional<DJIReturnEstimate> home(PlanePoint at, double height) const
    {
        DJIReturnPosition p;
        p.isFlying = true;
        p.distance = std::hypot(at.east, at.north);
        p.height = height;
        p.groundSpeed = speed;
        if (p.distance > 1e-6)
            p.courseHome = std::fmod(std::atan2(-at.east, -at.north) / kDegree + 360.0, 360.0);
        p.wind = input.wind;
        return estimateReturn(profile, p, input.settings);
    }
};

} // namespace

std::vector<bool> cameraOffAfter(const DJIWaypointMission &mission)
{
    std::vector<bool> off(size_t(mission.waypoints.size()), true);
    bool triggering = false;
    for (qsizetype i = 0; i < mission.waypoints.size(); ++i) {
        for (const DJICameraAction &a : mission.waypoints[i].actions) {
            if (std::holds_alternative<DJIStartDistancePhotos>(a))
                triggering = true;
            else if (std::holds_alternative<DJIStopDistancePhotos>(a))
                triggering = false;
        }
        off[size_t(i)] = !triggering;
    }
    return off;
}

BatteryPartsPlan planBatteryParts(const DJIWaypointMission &mission, const BatteryPartsInput &input)
{
    BatteryPartsPlan plan;
    const qsizetype n = mission.waypoints.size();
    if (n == 0)
        return plan;
    const LocalPlane plane(input.home);
    std::vector<PlanePoint> at;
    std::vector<double> height;
    for (const DJIWaypoint &w : mission.waypoints) {
        at.push_back(plane.toPlane({w.latitude, w.longitude}));
        height.push_back(w.height);
        if (!std::isfinite(at.back().east) || !std::isfinite(at.back().north) || !std::isfinite(w.height)) {
            plan.refusal = QStringLiteral("The battery use cannot be worked out: a waypoint is not a place.");
            return plan;
        }
    }
    const Flyer fly{input.profile, input, mission.speed > 0 ? mission.speed : 8};
    const std::vector<bool> mayEnd = cameraOffAfter(mission);
    const double trigger = input.settings.batteryThreshold;
    int start = 0;
    while (true) {
        // A full pack, the climb and the way out to where this part starts.
        double charge = 100 - fly.leg({}, at[size_t(start)], height[size_t(start)]);
        double needBefore = 0;
        std::optional<BatteryPart> best, bestInside;
        int unreached = start;
        for (int i = start; i < n; ++i) {
            unreached = i;
            if (i > start)
                charge -= fly.leg(at[size_t(i - 1)], at[size_t(i)], height[size_t(i)] - height[size_t(i - 1)]);
            const std::optional<DJIReturnEstimate> back = fly.home(at[size_t(i)], height[size_t(i)]);
            if (!back)
                break;
            const double need = std::max({back->battery, needBefore, trigger}) + input.margin;
            needBefore = back->battery;
            if (charge < need)
                break;
            BatteryPart part{start, i, charge, charge - back->flightBattery, !mayEnd[size_t(i)]};
            if (i == n - 1 || (i > start && mayEnd[size_t(i)]))
                best = part;
            else if (i > start)
                bestInside = part;
        }
        // Inside a line only when no line end is within reach.
        if (!best)
            best = bestInside;
        if (!best) {
            plan.parts.clear();
            plan.refusal = QStringLiteral("Waypoint %1 is too far for one battery: the way there and home again "
                                          "needs more than a full pack holds.")
                               .arg(unreached + 1);
            return plan;
        }
        plan.parts.push_back(*best);
        if (best->last >= n - 1)
            return plan;
        start = best->last; // always past the last start: the loop ends
    }
}

} // namespace zeltrin::survey
