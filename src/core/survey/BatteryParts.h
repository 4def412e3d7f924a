#pragma once

#include "Coordinate.h"
#include "DJIReturnEstimate.h"
#include "DJIWaypointMission.h"

#include <QString>

#include <optional>
#include <vector>

// Where each battery's part of a long mission ends. Every part starts on a full pack at the home
// point, flies to where the last one stopped, flies on, and turns for home at a waypoint where the
// flight home (the aircraft's own estimate, with the wind it reports) still lands with the
// return-to-home reserve, and where the aircraft's own low-battery return has not yet set in.
// A part ends where the camera is off (a survey's line end), never inside a line, unless no line
// end is within reach: then at the furthest waypoint that is.
namespace zeltrin::survey {

struct BatteryPart {
    int first = 0;            // the mission's waypoint the part starts its work at (0: the first)
    int last = 0;             // the waypoint it turns home after
    double chargeAtLast = 0;  // % of a pack left on reaching `last`
    double landingCharge = 0; // % left when landed at home
    bool insideLine = false;  // ends where the camera is still taking photos
};

struct BatteryPartsPlan {
    std::vector<BatteryPart> parts;
    QString refusal; // empty when every part can be flown
    bool ok() const { return refusal.isEmpty(); }
};

struct BatteryPartsInput {
    Coordinate home;
    DJIReturnProfile profile;        // the aircraft's figures (speeds, drains)
    DJISmartReturnSettings settings; // the reserve, the low-battery trigger, the wind's use
    std::optional<DJIWindEstimate> wind;
    double margin = 3; // % kept above what the estimate says, for its error
};

// None of the mission's waypoints may be out of the plane's reach (a mission over a few tens of
// kilometres at most).
BatteryPartsPlan planBatteryParts(const DJIWaypointMission &mission, const BatteryPartsInput &input);

// The waypoints a part may end at: where no distance trigger runs on into the next leg.
std::vector<bool> cameraOffAfter(const DJIWaypointMission &mission);

} // namespace zeltrin::survey
