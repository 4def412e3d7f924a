#include "SurveyMission.h"

#include <cmath>

namespace zeltrin {

bool addSurveyCameraActions(DJIWaypointMission &mission, const MissionPlan::Survey &survey)
{
    const std::optional<survey::ImageGeometry> image = survey::imageGeometry(survey.spec);
    if (!image || !(image->triggerDistance > 0) || !std::isfinite(image->triggerDistance)
        || mission.waypoints.isEmpty())
        return false;
    qsizetype after = -1; // runs follow each other without sharing a waypoint
    for (const survey::PhotoRun &run : survey.photoRuns) {
        if (run.first <= after || run.last < run.first || run.last >= mission.waypoints.size())
            return false;
        after = run.last;
    }
    // Down first, so the first run's photos look at the ground.
    mission.waypoints.front().actions.prepend(DJISetGimbalPitch{-90.0});
    for (const survey::PhotoRun &run : survey.photoRuns) {
        mission.waypoints[run.first].actions.append(DJIStartDistancePhotos{image->triggerDistance});
        mission.waypoints[run.last].actions.append(DJIStopDistancePhotos{});
    }
    return true;
}

DJIWaypointMission surveyAircraftMission(const survey::SurveySettings &spec, const survey::SurveyFlight &flight,
                                         double speed)
{
    DJIWaypointMission mission;
    mission.speed = speed;
    if (!flight.ok())
        return mission;
    mission.waypoints.reserve(flight.waypoints.size());
    for (const survey::SurveyWaypoint &w : flight.waypoints) {
        DJIWaypoint d;
        d.latitude = w.position.latitude;
        d.longitude = w.position.longitude;
        d.height = flight.figures.image.height;
        d.heightReference = DJIHeightReference::aboveTakeOff;
        mission.waypoints.append(d);
    }
    addSurveyCameraActions(mission, MissionPlan::Survey{spec, flight.runs});
    return mission;
}

} // namespace zeltrin
