#pragma once

#include "DJIWaypointMission.h"
#include "LocalPlane.h"

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>
#include <vector>

// How far a mission flown a battery at a time has got, and the flights that carry it on from
// there. Positions on the mission are kept as places on its path (a leg and how far along it),
// so a resume lands on the plan's own line whatever the aircraft drifted.
namespace zeltrin::survey {

// A place on a mission's path: past waypoint `leg`, `fraction` of the way on to the next.
struct PathPoint {
    int leg = -1; // -1: short of the first waypoint
    double fraction = 0;
    bool operator==(const PathPoint &) const = default;
};
inline bool isBefore(PathPoint a, PathPoint b)
{
    return a.leg < b.leg || (a.leg == b.leg && a.fraction < b.fraction);
}

// What the camera does at a place on the mission, as the plan's actions up to there set it.
struct CameraState {
    double triggerDistance = 0;                                    // metres between photos by distance; 0 while off
    double gimbalPitch = std::numeric_limits<double>::quiet_NaN(); // NaN until the plan sets it
    bool operator==(const CameraState &) const = default;
};

struct MissionBreakpoint {
    QByteArray planHash; // missionHash() of the plan as uploaded
    QString name;        // the mission's, for the pilot
    int part = 1;        // the battery's part flying, or the next to fly once one is done
    int partCount = 1;
    PathPoint reached;   // the furthest place flown
    int photos = 0;      // photos the mission's camera took, all parts together
    PathPoint lastPhoto; // where the last of them was taken (leg -1: none yet)
    double photoLatitude = std::numeric_limits<double>::quiet_NaN();
    double photoLongitude = std::numeric_limits<double>::quiet_NaN();
    CameraState camera; // at `reached`
    bool finished = false;
    qint64 updatedMs = 0; // UTC
};

// The plan's identity: a SHA-256 over its waypoints, heights, actions, speed and options, in hex.
QByteArray missionHash(const DJIWaypointMission &plan);

// The plan as kept beside its breakpoint (JSON, every number exact), and read back: a text that is
// not one is refused with the reason in `error`.
QByteArray missionToJson(const DJIWaypointMission &plan);
std::optional<DJIWaypointMission> missionFromJson(const QByteArray &json, QString *error = nullptr);

// The camera's state once waypoints 0 to `leg` have run their actions.
CameraState cameraStateAfter(const DJIWaypointMission &plan, int leg);

// The plan's path on a local plane: places on it, and waypoints at them.
class MissionPath
{
public:
    explicit MissionPath(const DJIWaypointMission &plan);
    int size() const { return int(m_points.size()); }
    // The place on leg `leg` nearest to `at` (its fraction held to the leg).
    PathPoint locate(int leg, Coordinate at) const;
    // `metres` on along the leg from `p` (back when negative), held to the leg.
    PathPoint moved(PathPoint p, double metres) const;
    // A waypoint at `p`: its position and height on the line of the leg, without actions.
    DJIWaypoint waypointAt(PathPoint p) const;

private:
    DJIWaypointMission m_plan; // shared, not copied
    LocalPlane m_plane;
    std::vector<PlanePoint> m_points;
};

// What the aircraft flies for one stretch of the plan: from `start` to waypoint `last`.
// Waypoint i > 0 of `mission` is the plan's waypoint start.leg + i.
struct MissionStretch {
    DJIWaypointMission mission;
    PathPoint start;
    int last = 0;
    QString refusal; // empty when it can be flown
};

// The plan from `start` to waypoint `last`, the camera put back as it was at `start` before its
// first photo (the gimbal's pitch, then the distance trigger), going home at its end (at the plan's
// end too for a multi-battery plan: the pack is changed and the coverage checked on the ground).
MissionStretch missionStretch(const DJIWaypointMission &plan, PathPoint start, int last);

// The rest of the plan after a breakpoint, up to waypoint `last` (-1: the plan's end): on a line,
// from where its last `backStep` photos were taken, so that they are taken again for the overlap
// (0: from where the next was due); with the camera off there, from the next waypoint. Refused for a plan changed since, and for one flown out.
MissionStretch resumeStretch(const DJIWaypointMission &plan, const MissionBreakpoint &bp, int backStep, int last = -1);

} // namespace zeltrin::survey
