#include "TerrainFollow.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zeltrin::terrain {

namespace {

constexpr double kEarthRadius = 6371008.8; // m, mean
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Legs are a few kilometres at most: on them the sphere is flat to well under a metre.
double legLength(Coordinate a, Coordinate b)
{
    constexpr double rad = std::numbers::pi / 180.0;
    const double east = (b.longitude - a.longitude) * rad * std::cos((a.latitude + b.latitude) / 2 * rad);
    const double north = (b.latitude - a.latitude) * rad;
    return kEarthRadius * std::hypot(east, north);
}

Coordinate between(Coordinate a, Coordinate b, double t)
{
    return {a.latitude + (b.latitude - a.latitude) * t, a.longitude + (b.longitude - a.longitude) * t};
}

struct Sample {
    Coordinate at;
    double distance = 0;
    double ground = kNaN; // above take-off
    int leg = 0;
    int waypoint = -1; // the plan's waypoint that lies here (a leg's start, or the last one)
};

QString unknownGroundText(int leg)
{
    return QStringLiteral("Waypoint %1: the ground on the way to waypoint %2 is not known. Download or import "
                          "elevation data for this area.")
        .arg(leg + 1)
        .arg(leg + 2);
}

} // namespace

FollowPlan followTerrain(const QList<Coordinate> &waypoints, Coordinate takeOff, const ElevationSource &ground,
                         const FollowSettings &s)
{
    FollowPlan plan;
    if (waypoints.isEmpty())
        return plan;
    if (!(s.speed > 0) || !(s.maxClimb > 0) || !(s.maxDescent > 0) || !(s.step > 0) || !(s.tolerance > 0)
        || !std::isfinite(s.height)) {
        plan.refusal = QStringLiteral("The mission's speed or the aircraft's rates are not known.");
        return plan;
    }
    const std::optional<double> home = ground.heightAt(takeOff.latitude, takeOff.longitude);
    if (!home) {
        plan.refusal = QStringLiteral("The ground at the take-off point is not known. Download or import elevation "
                                      "data for this area.");
        return plan;
    }
    plan.takeOffGround = *home;

    // The samples: every leg cut into equal steps of at most `step` metres.
    std::vector<Sample> samples;
    double along = 0;
    for (int i = 0; i < waypoints.size(); ++i) {
        const Coordinate a = waypoints[i];
        const bool last = i + 1 == waypoints.size();
        const double length = last ? 0 : legLength(a, waypoints[i + 1]);
        const int n = last ? 1 : std::max(1, int(std::ceil(std::min(length, 1e7) / s.step)));
        for (int k = 0; k < n; ++k) {
            Sample x;
            x.at = last ? a : between(a, waypoints[i + 1], double(k) / n);
            x.distance = along + length * k / n;
            x.leg = last ? std::max(0, i - 1) : i;
            x.waypoint = k == 0 ? i : -1;
            if (const std::optional<double> g = ground.heightAt(x.at.latitude, x.at.longitude))
                x.ground = *g - *home;
            else if (plan.unknownLegs.empty() || plan.unknownLegs.back() != x.leg)
                plan.unknownLegs.push_back(x.leg);
            samples.push_back(x);
        }
        along += length;
    }
    const size_t n = samples.size();
    plan.profile.reserve(n);
    for (const Sample &x : samples)
        plan.profile.push_back({x.distance, x.ground, kNaN});
    if (!plan.unknownLegs.empty()) {
        plan.refusal = unknownGroundText(plan.unknownLegs.front());
        return plan;
    }

    // The band: target ± tolerance. Its floor, raised so a path at the rates can keep above it
    // (climbing before a rise, descending after a drop), is the lowest the path may fly.
    const double up = s.maxClimb / s.speed, down = s.maxDescent / s.speed;
    std::vector<double> floor(n), ceiling(n);
    for (size_t i = 0; i < n; ++i)
        floor[i] = samples[i].ground + s.height - s.tolerance;
    for (size_t i = n - 1; i-- > 0;)
        floor[i] = std::max(floor[i], floor[i + 1] - up * (samples[i + 1].distance - samples[i].distance));
    for (size_t i = 1; i < n; ++i)
        floor[i] = std::max(floor[i], floor[i - 1] - down * (samples[i].distance - samples[i - 1].distance));
    bool raised = false;
    for (size_t i = 0; i < n; ++i) {
        const double band = samples[i].ground + s.height + s.tolerance;
        raised = raised || floor[i] > band - 2 * s.tolerance + 1e-6;
        ceiling[i] = std::max(band, floor[i] + s.tolerance);
    }
    if (raised)
        plan.note = QStringLiteral("The ground rises faster than the aircraft climbs: it climbs before the rise.");

    // Greedy furthest reach: from each vertex, the slopes that keep a straight line inside the
    // corridor over every sample so far narrow as it goes; where none is left, or at a plan's
    // waypoint, a vertex goes on the last sample reached, aimed at the target there.
    auto targetAt = [&](size_t i) { return std::clamp(samples[i].ground + s.height, floor[i], ceiling[i]); };
    std::vector<std::pair<size_t, double>> vertices{{0, targetAt(0)}};
    size_t a = 0;
    double za = vertices.front().second;
    double lo = -down, hi = up;
    auto place = [&](size_t at) {
        const double run = samples[at].distance - samples[a].distance;
        const double slope = run > 0 ? std::clamp((targetAt(at) - za) / run, std::min(lo, hi), hi) : 0;
        za = run > 0 ? za + slope * run : za;
        a = at;
        vertices.emplace_back(at, za);
        lo = -down;
        hi = up;
    };
    for (size_t k = 1; k < n; ++k) {
        const double run = samples[k].distance - samples[a].distance;
        if (run <= 0) {
            if (samples[k].waypoint >= 0)
                vertices.emplace_back(k, za);
            continue;
        }
        const double nlo = std::max(lo, (floor[k] - za) / run), nhi = std::min(hi, (ceiling[k] - za) / run);
        if (nlo > nhi) {
            if (k - 1 > a)
                place(k - 1);
            // From the new vertex the next sample is always reachable above the floor.
            const double r = samples[k].distance - samples[a].distance;
            lo = std::max(-down, (floor[k] - za) / r);
            hi = std::max(lo, std::min(up, (ceiling[k] - za) / r));
        } else {
            lo = nlo;
            hi = nhi;
        }
        if (samples[k].waypoint >= 0 || k + 1 == n)
            place(k);
    }

    // The path at every sample, the clearance and its lowest point.
    size_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        while (v + 1 < vertices.size() && vertices[v + 1].first < i)
            ++v;
        const auto [i0, z0] = vertices[v];
        const auto [i1, z1] = vertices[std::min(v + 1, vertices.size() - 1)];
        const double d0 = samples[i0].distance, d1 = samples[i1].distance;
        const double path = d1 > d0 ? z0 + (z1 - z0) * (samples[i].distance - d0) / (d1 - d0) : z0;
        plan.profile[i].path = path;
        const double clearance = path - samples[i].ground;
        if (!plan.lowest || clearance < plan.lowest->clearance)
            plan.lowest = LowestClearance{clearance, samples[i].distance, samples[i].at, samples[i].leg};
    }
    // The waypoints: the plan's own in order, and those added between them.
    plan.waypoints.reserve(vertices.size());
    for (const auto &[i, z] : vertices)
        plan.waypoints.push_back({samples[i].at, z, samples[i].waypoint});
    return plan;
}

} // namespace zeltrin::terrain
