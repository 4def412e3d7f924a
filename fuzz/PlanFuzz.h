#pragma once

#include "FuzzCheck.h"
#include "PlanFormats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Properties every plan reader keeps for any input: a plan or a reason, never both; every
// position on Earth with finite values; and what it read writes back and reads again unchanged.
namespace planfuzz {

using namespace zeltrin;

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline bool onEarth(const Coordinate &c)
{
    return std::isfinite(c.latitude) && std::isfinite(c.longitude) && c.latitude >= -90.0 && c.latitude <= 90.0
        && c.longitude >= -180.0 && c.longitude <= 180.0;
}

inline bool finiteOrUnset(const std::optional<double> &v) { return !v || std::isfinite(*v); }

inline void checkResult(const PlanReadResult &r)
{
    FUZZ_CHECK(r.ok() == r.error.isEmpty());
    FUZZ_CHECK(r.skippedItems >= 0);
    if (!r.ok())
        return;
    const MissionPlan &p = *r.plan;
    FUZZ_CHECK(!p.waypoints.isEmpty());
    for (const Coordinate &c : p.waypoints)
        FUZZ_CHECK(onEarth(c));
    FUZZ_CHECK(finiteOrUnset(p.altitude) && finiteOrUnset(p.speed));
    if (p.plannedHome)
        FUZZ_CHECK(onEarth(p.plannedHome->position) && std::isfinite(p.plannedHome->altitude));
}

// Written numbers carry nine decimals.
inline bool near(double a, double b) { return std::abs(a - b) <= 1e-8; }

// With keepsHeights, the format must also keep the altitude and its reference.
inline void checkRoundTrip(const PlanReadResult &r, planio::Format f, PlanReadResult (*reader)(const QByteArray &),
                           bool keepsHeights = false)
{
    if (!r.ok())
        return;
    const QByteArray written = planio::writePlan(*r.plan, f);
    FUZZ_CHECK(!written.isEmpty());
    const PlanReadResult again = reader(written);
    if (!again.ok())
        std::fprintf(stderr, "re-read refused: %s\n", qPrintable(again.error));
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.plan->waypoints.size() == r.plan->waypoints.size());
    for (qsizetype i = 0; i < r.plan->waypoints.size(); ++i) {
        FUZZ_CHECK(near(again.plan->waypoints[i].latitude, r.plan->waypoints[i].latitude));
        FUZZ_CHECK(near(again.plan->waypoints[i].longitude, r.plan->waypoints[i].longitude));
    }
    if (!keepsHeights)
        return;
    FUZZ_CHECK(again.plan->altitude.has_value() == r.plan->altitude.has_value());
    if (r.plan->altitude) {
        // Nine decimals, relative to the size of a value that may be huge.
        FUZZ_CHECK(std::abs(*again.plan->altitude - *r.plan->altitude)
                   <= 1e-8 * std::max(1.0, std::abs(*r.plan->altitude)));
        FUZZ_CHECK(again.plan->altitudeReference == r.plan->altitudeReference);
    }
}

} // namespace planfuzz
