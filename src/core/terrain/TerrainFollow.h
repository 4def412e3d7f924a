#pragma once

#include "Coordinate.h"
#include "ElevationSource.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

// Terrain following worked out in the app: a mission's waypoints get heights above the take-off
// point, and waypoints are added between them, so the aircraft flying straight lines from one to
// the next keeps its height over the ground within a tolerance, and climbs and descends within
// its rates at the mission's speed. Every leg is sampled along the elevation model; ground that is
// not known is never taken for sea level: the plan is refused, naming where.
namespace zeltrin::terrain {

struct FollowSettings {
    double height = 50;    // m above the ground, the target
    double speed = 8;      // m/s along the legs
    double maxClimb = 5;   // m/s
    double maxDescent = 3; // m/s
    double tolerance = 2;  // m either side of the target
    double step = 5;       // m between samples along a leg
};

// A waypoint to fly: where, how high above the take-off point, and which of the plan's waypoints
// it is (its position in the plan), or -1 when it was added for the ground.
struct FollowWaypoint {
    Coordinate at;
    double height = 0;
    int from = -1;
};

// Along the whole mission, from its first waypoint: metres along it, the ground and the planned
// path there, both in metres above the take-off point (the ground NaN where it is unknown).
struct ProfileSample {
    double distance = 0;
    double ground = 0;
    double path = 0;
};

struct LowestClearance {
    double clearance = 0; // m between the path and the ground
    double distance = 0;  // m along the mission
    Coordinate at;
    int leg = 0; // from waypoint `leg` to `leg + 1` (positions in the plan)
};

struct FollowPlan {
    // Empty when the plan can be followed; else why not, for the pilot.
    QString refusal;
    // Said beside a plan that can be flown, when it strays above the band (a rise too steep to
    // climb in time is climbed before it).
    QString note;
    std::vector<FollowWaypoint> waypoints; // empty when refused
    std::vector<ProfileSample> profile;
    std::optional<LowestClearance> lowest;
    std::vector<int> unknownLegs; // legs (see LowestClearance::leg) that cross unknown ground
    double takeOffGround = 0;     // m above sea level
    bool ok() const { return refusal.isEmpty(); }
};

// Plans `waypoints` over `ground` from `takeOff`. Fewest waypoints: on each leg, a line is drawn
// from the last waypoint as far as any straight line can stay within the band (and the rates)
// over every sample on the way, and a waypoint is added there (greedy furthest reach, which for a
// corridor of this kind gives the fewest vertices among those placed on samples).
FollowPlan followTerrain(const QList<Coordinate> &waypoints, Coordinate takeOff, const ElevationSource &ground,
                         const FollowSettings &settings = {});

} // namespace zeltrin::terrain
