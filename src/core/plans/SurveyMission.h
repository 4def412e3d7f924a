#pragma once

#include "MissionPlan.h"
#include "SurveyFlight.h"

namespace zeltrin {

// The mission plan that flies a planned survey: its waypoints in order with their photo runs,
// at the survey's height above take-off and the given speed. Empty waypoints when the survey
// could not be planned.
inline MissionPlan surveyMissionPlan(const survey::SurveySpec &spec, const survey::SurveyFlight &flight, double speed)
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

} // namespace zeltrin
