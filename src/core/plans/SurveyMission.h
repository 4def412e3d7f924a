#pragma once

#include "DJIWaypointMission.h"
#include "MissionPlan.h"
#include "SurveyFlight.h"

namespace zeltrin {

// The mission plan that flies a planned survey: its waypoints in order with their photo runs,
// at the survey's height above take-off and the given speed. Empty waypoints when the survey
// could not be planned.
inline MissionPlan surveyMissionPlan(const survey::SurveySettings &spec, const survey::SurveyFlight &flight,
                                     double speed)
{
    MissionPlan plan;
    if (!flight.ok())
        return plan;
    plan.waypoints.reserve(flight.waypoints.size());
    for (const survey::SurveyWaypoint &w : flight.waypoints)
        plan.waypoints.append(w.position);
    plan.altitude = flight.figures.image.height;
    plan.altitudeReference = HeightReference::TakeOff;
    plan.speed = speed;
    plan.terrainFollow = false;
    plan.survey = MissionPlan::Survey{spec, flight.runs};
    return plan;
}

// The survey's camera work on `mission`, whose waypoints are the survey's in flight order: the
// gimbal straight down at the first waypoint, and on each photo run a photo at its first
// waypoint and one every trigger distance after, the camera stopping at its last. Nothing on the
// turnarounds or the ways between runs. False, with `mission` as it was, when the runs do not fit
// its waypoints (out of range, backwards, overlapping) or the survey's settings give no trigger
// distance.
bool addSurveyCameraActions(DJIWaypointMission &mission, const MissionPlan::Survey &survey);

// The typed mission that flies a planned survey: its waypoints at the survey's height above
// take-off, at `speed`, with the camera's actions. No waypoints when the survey was not planned.
DJIWaypointMission surveyAircraftMission(const survey::SurveySettings &spec, const survey::SurveyFlight &flight,
                                         double speed);

} // namespace zeltrin
