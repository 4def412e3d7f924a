#pragma once

#include "MissionPlan.h"

#include <QJsonObject>

#include <optional>

// QGroundControl's "survey" ComplexItem: the area, the camera (its CameraCalc), the grid and the
// flattened MAVLink items it flies. The .plan reader and writer use these.
namespace zeltrin::planio::detail {

constexpr int kDoSetCamTriggDist = 206; // MAV_CMD_DO_SET_CAM_TRIGG_DIST: param 1 the distance, 0 stops

// How the survey's waypoints are written: their height, its altitude mode and MAVLink frame.
struct QgcHeights {
    double altitude;
    int mode;
    int frame;
};

// The survey item over the plan's waypoints, numbering its items from `jumpId` (advanced past
// them). None when the survey does not fit the waypoints (a run out of range, settings that cannot
// be planned): the plan is then written as plain waypoints.
std::optional<QJsonObject> qgcSurveyItem(const MissionPlan &plan, const QgcHeights &heights, int &jumpId);

// The survey an item describes, when it is a "survey" with every field planning needs and values
// in range; none otherwise (its items are then read as plain waypoints).
std::optional<survey::SurveySettings> qgcSurveySettings(const QJsonObject &item);

// Photo runs from a survey's flattened items, fed in order: the waypoints read so far, and each
// camera trigger distance command.
class QgcPhotoRuns
{
public:
    void trigger(double distance, qsizetype waypointsSoFar);
    // The runs once the survey's items are all read; none when they do not make runs.
    std::optional<QList<survey::PhotoRun>> finish(qsizetype waypointsSoFar);

private:
    QList<survey::PhotoRun> m_runs;
    std::optional<qsizetype> m_open;
    bool m_broken = false;
};

} // namespace zeltrin::planio::detail
