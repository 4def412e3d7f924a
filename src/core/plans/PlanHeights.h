#pragma once

#include "MissionPlan.h"

#include <QString>

#include <optional>

// The heights of plan files and the planner's mission altitude.
namespace zeltrin::planio {

// The word our KML and GeoJSON files use for a reference: "takeoff", "ground", "sealevel",
// "unknown"; and back (nullopt for any other word).
QString heightReferenceKey(HeightReference r);
std::optional<HeightReference> heightReferenceFromKey(QStringView key);

// What an opened plan changes of the planner's heights. The planner flies heights above take-off,
// or above the ground with terrain follow on. Heights above sea level become heights above the
// take-off point when the ground there is known (`takeOffGround`, metres above sea level), and
// are not used otherwise; heights of unknown reference are not used. The note tells the pilot
// what was not taken as it stands; empty when the file's altitude was used unchanged or the file
// has none.
struct OpenedHeights {
    std::optional<double> altitude;    // the mission altitude to set, within [minimum, maximum]
    std::optional<bool> terrainFollow; // the terrain-follow flag to set
    QString note;
};
OpenedHeights openedHeights(const MissionPlan &plan, double currentAltitude, double minimum, double maximum,
                            std::optional<double> takeOffGround = std::nullopt);

} // namespace zeltrin::planio
