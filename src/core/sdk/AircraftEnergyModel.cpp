#include "AircraftEnergyModel.h"

#include "FlightModel.h"

#include <cmath>

AircraftEnergyModel AircraftEnergyModel::simulated()
{
    constexpr FlightModel::Limits limits{};
    AircraftEnergyModel m;
    m.capacity = 100.0;
    m.hoverDrain = FlightModel::kHoverDrain;
    m.speedDrain = FlightModel::kAirspeedDrain;
    m.climbDrain = FlightModel::kClimbDrain;
    m.climbRate = limits.maxClimb;
    m.descentRate = FlightModel::kLandingRate;
    m.maxSpeed = limits.maxHorizontalSpeed;
    return m;
}

namespace {
bool usable(double v)
{
    return std::isfinite(v) && v >= 0.0;
}
} // namespace

std::optional<double> batteryShare(const AircraftEnergyModel &m, const FlightEnergyDemand &f)
{
    if (!usable(f.distance) || !usable(f.speed) || !usable(f.climb) || !usable(f.descent) || !usable(f.hoverSeconds))
        return std::nullopt;
    if (!(m.capacity > 0.0) || !std::isfinite(m.capacity) || !usable(m.hoverDrain) || !usable(m.speedDrain)
        || !usable(m.climbDrain))
        return std::nullopt;
    const double speed = m.maxSpeed > 0.0 ? std::min(f.speed, m.maxSpeed) : f.speed;
    if ((f.distance > 0.0 && !(speed > 0.0)) || (f.climb > 0.0 && !(m.climbRate > 0.0))
        || (f.descent > 0.0 && !(m.descentRate > 0.0)))
        return std::nullopt;
    // Each part at its own pace: level at `speed`, then straight up and down.
    double used = m.hoverDrain * f.hoverSeconds;
    if (f.distance > 0.0)
        used += (m.hoverDrain + m.speedDrain * speed) * f.distance / speed;
    if (f.climb > 0.0)
        used += (m.hoverDrain + m.climbDrain * m.climbRate) * f.climb / m.climbRate;
    if (f.descent > 0.0)
        used += (m.hoverDrain + m.climbDrain * m.descentRate) * f.descent / m.descentRate;
    const double share = used / m.capacity * 100.0;
    return std::isfinite(share) ? std::optional<double>(share) : std::nullopt;
}

std::optional<int> batteriesNeeded(const AircraftEnergyModel &m, const FlightEnergyDemand &f, double reservePercent)
{
    if (!std::isfinite(reservePercent) || reservePercent < 0.0 || reservePercent > 95.0)
        return std::nullopt;
    const auto share = batteryShare(m, f);
    if (!share)
        return std::nullopt;
    const double packs = std::ceil(*share / (100.0 - reservePercent) - 1e-9);
    if (!(packs < 1e6))
        return std::nullopt;
    return std::max(1, int(packs));
}
