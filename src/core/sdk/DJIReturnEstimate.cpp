#include "DJIReturnEstimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double toRad(double deg)
{
    return deg * std::numbers::pi / 180.0;
}
double finiteOr(double v, double fallback)
{
    return std::isfinite(v) ? v : fallback;
}

// Seconds to move `s` metres from rest to rest at up to `v`, speeding up and braking at `a`.
double moveTime(double s, double v, double a)
{
    if (!(s > 0) || !(v > 0) || !(a > 0))
        return 0;
    const double ramps = v * v / a; // the distance covered speeding up and braking
    return s >= ramps ? s / v + v / a : 2.0 * std::sqrt(s / a);
}

struct Vec {
    double east = 0, north = 0;
};

} // namespace

// Three legs, as the aircraft flies them: stop and climb to the return height, fly home, land.
// Each costs its time at the hover drain, plus the airspeed drain over its speed through the
// air, plus the climb drain over the height climbed or descended (the integral of |vz| is the
// height itself). The flight leg's speed through the air is taken at its mean ground speed: on
// a straight line home that is exact for a head- or tailwind, and close for a crosswind.
std::optional<DJIReturnEstimate> estimateReturn(const DJIReturnProfile &p, const DJIReturnPosition &at,
                                                const DJISmartReturnSettings &settings)
{
    if (!std::isfinite(at.distance) || !std::isfinite(at.height))
        return std::nullopt;
    DJIReturnEstimate e;
    const double reserve = std::max(0.0, finiteOr(settings.reservePercentage, 0));
    e.battery = reserve;
    if (!at.isFlying)
        return e;

    Vec wind; // where the air moves to, m/s
    if (settings.includeWindCalculation && at.wind && std::isfinite(at.wind->speed) && at.wind->speed > 0
        && std::isfinite(at.wind->directionFrom)) {
        const double towards = toRad(at.wind->directionFrom + 180.0);
        wind = {at.wind->speed * std::sin(towards), at.wind->speed * std::cos(towards)};
    }
    const double windSpeed = std::hypot(wind.east, wind.north);
    const double holdDrain = p.hoverDrain + p.airspeedDrain * windSpeed; // %/s holding still

    // Stop, climbing meanwhile: the stop carries the aircraft further out, whichever way it was
    // going (the reading has no course over the ground, so the longer way is assumed).
    const double v0 = std::max(0.0, finiteOr(at.groundSpeed, 0));
    const double stopTime = p.horizontalAcceleration > 0 ? v0 / p.horizontalAcceleration : 0;
    const double stopDistance = stopTime * v0 / 2;
    const double climb = std::max(0.0, p.returnHeight - at.height);
    const double firstLeg = std::max(stopTime, moveTime(climb, p.climbRate, p.verticalAcceleration));
    double battery = firstLeg * holdDrain + p.airspeedDrain * stopDistance + p.climbDrain * climb;

    // Home in a straight line.
    const double distance = std::max(0.0, at.distance) + stopDistance;
    const double flyTime = moveTime(distance, p.homeSpeed, p.horizontalAcceleration);
    const double meanSpeed = flyTime > 0 ? distance / flyTime : 0;
    double airspeed = meanSpeed + windSpeed; // a full headwind, unless the course is known
    if (at.courseHome && std::isfinite(*at.courseHome)) {
        const double c = toRad(*at.courseHome);
        airspeed = std::hypot(meanSpeed * std::sin(c) - wind.east, meanSpeed * std::cos(c) - wind.north);
    }
    battery += flyTime * (p.hoverDrain + p.airspeedDrain * airspeed);

    // Down from the return height, or from where it flies if higher.
    const double descent = std::max(at.height, p.returnHeight);
    const double landTime = moveTime(descent, p.landingRate, p.verticalAcceleration);
    battery += landTime * holdDrain + p.climbDrain * descent;

    e.seconds = firstLeg + flyTime + landTime;
    e.flightBattery = battery;
    e.battery = battery + reserve;
    return e;
}

double courseBetween(double lat1, double lon1, double lat2, double lon2)
{
    const double f1 = toRad(lat1), f2 = toRad(lat2), dl = toRad(lon2 - lon1);
    const double y = std::sin(dl) * std::cos(f2);
    const double x = std::cos(f1) * std::sin(f2) - std::sin(f1) * std::cos(f2) * std::cos(dl);
    const double deg = std::atan2(y, x) * 180.0 / std::numbers::pi;
    return std::fmod(deg + 360.0, 360.0);
}
