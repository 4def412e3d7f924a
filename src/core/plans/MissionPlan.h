#pragma once

#include "Coordinate.h"
#include "SurveySettings.h"

#include <QList>
#include <QString>

#include <optional>

namespace zeltrin {

// What a height is measured from. The planner flies heights above take-off, or above the ground
// under the aircraft with terrain follow; files also carry heights above sea level (KML
// "absolute", GPX elevations, MAVLink's global frame) and heights that say nothing of their
// reference.
enum class HeightReference { TakeOff, Ground, SeaLevel, Unknown };

// A flight plan as files carry it: the waypoints in flight order, the planned home and the
// mission's altitude, speed and terrain-follow flag. Formats that lack a field leave it unset,
// and the screen keeps its own value for it.
struct MissionPlan {
    struct Home {
        Coordinate position;
        double altitude = 0.0; // metres above sea level, as both formats that carry a home hold it
        friend bool operator==(const Home &, const Home &) = default;
    };
    QList<Coordinate> waypoints;
    std::optional<Home> plannedHome;
    std::optional<double> altitude; // metres above altitudeReference
    HeightReference altitudeReference = HeightReference::TakeOff;
    std::optional<double> speed;    // metres per second
    std::optional<bool> terrainFollow;

    // Set when the waypoints fly a mapping survey: what it was planned from, and the stretches of
    // `waypoints` flown taking a photo every trigger distance. Formats that know surveys keep it
    // (QGroundControl's "survey" item); the others write the waypoints alone.
    struct Survey {
        survey::SurveySettings spec;
        QList<survey::PhotoRun> photoRuns; // in flight order
        friend bool operator==(const Survey &, const Survey &) = default;
    };
    std::optional<Survey> survey;
};

// What a reader gives back: a plan, or the reason it refused the input. Items that were read
// but carry no position (camera commands, speed changes the format has no field for) are counted.
struct PlanReadResult {
    std::optional<MissionPlan> plan;
    QString error; // set exactly when plan is not
    int skippedItems = 0;

    static PlanReadResult failure(QString reason)
    {
        PlanReadResult r;
        r.error = std::move(reason);
        return r;
    }
    bool ok() const { return plan.has_value(); }
};

} // namespace zeltrin
