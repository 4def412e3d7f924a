#pragma once

#include "FlightPlanModel.h"
#include "MissionPlan.h"

#include <cmath>

// A survey-like plan of `count` waypoints: rows about 30 m apart, flown back and forth, around
// the planner's first view. For benchmarks and screenshots of large plans.
inline zeltrin::MissionPlan surveyPlan(int count)
{
    const MapRegion start = FlightPlanModel::initialMapPosition();
    const int perRow = std::max(1, int(std::ceil(std::sqrt(double(count)))));
    zeltrin::MissionPlan p;
    p.waypoints.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow;
        const int col = row % 2 ? perRow - 1 - i % perRow : i % perRow;
        p.waypoints.append({start.centerLatitude + (row - perRow / 2) * 0.0003,
                            start.centerLongitude + (col - perRow / 2) * 0.0004});
    }
    p.altitude = 60;
    p.speed = 8;
    p.terrainFollow = false;
    if (count > 0)
        p.plannedHome = zeltrin::MissionPlan::Home{p.waypoints.first(), 400};
    return p;
}
