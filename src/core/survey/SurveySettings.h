#pragma once

#include "CameraProfile.h"
#include "Coordinate.h"

#include <QList>
#include <QString>

#include <optional>

// What a mapping survey is planned from, and the camera maths on flat ground. Light on purpose:
// flight plans carry a SurveySettings, so this header pulls in no geometry library.
namespace zeltrin::survey {

// Limits of what can be planned.
constexpr double kMinHeight = 5.0, kMaxHeight = 120.0;   // m above ground: the planner's altitude range
constexpr double kMinOverlap = 50.0, kMaxOverlap = 90.0; // %
constexpr double kMaxTurnaround = 200.0;                 // m
constexpr qsizetype kMaxCorners = 1000;

struct SurveySettings {
    // Which of the two is set by the pilot; the other follows from the camera.
    enum class Given { Height, GroundSampleDistance };

    QList<Coordinate> polygon; // the area's corners in order, the first not repeated at the end
    CameraProfile camera;
    Given given = Given::Height;
    double height = 60.0;              // m above ground; read when `given` is Height
    double groundSampleDistance = 2.0; // cm/px across the lines; read when `given` is GroundSampleDistance
    double frontOverlap = 80.0;        // % between photos along a line
    double sideOverlap = 70.0;         // % between neighbouring lines
    double gridAngle = 0.0;            // °: the lines' heading, clockwise from north
    bool crosshatch = false;           // a second pass with the lines at gridAngle + 90°
    double turnaround = 10.0;          // m flown past each line's end before turning
    friend bool operator==(const SurveySettings &, const SurveySettings &) = default;
};

// A stretch of a flight path flown with the camera taking a photo every trigger distance: from
// the waypoint at index `first` (a photo there) to the one at `last` (the camera stops there).
struct PhotoRun {
    qsizetype first = 0;
    qsizetype last = 0;
    friend bool operator==(const PhotoRun &, const PhotoRun &) = default;
};

// Ground sample distance in cm/px at `height` m: across the lines (the image's width) and along
// them (its height), each from its own sensor side and pixel count.
double gsdAcrossAt(const CameraProfile &camera, double height);
double gsdAlongAt(const CameraProfile &camera, double height);
// The height (m) at which the GSD across the lines is `gsd` cm/px.
double heightForGsd(const CameraProfile &camera, double gsd);

// What one photo sees from the survey's height on flat ground, and the spacings its overlaps give.
struct ImageGeometry {
    double height = 0.0;          // m above ground
    double gsdAcross = 0.0;       // cm/px across the lines
    double gsdAlong = 0.0;        // cm/px along them
    double footprintWidth = 0.0;  // m across the lines
    double footprintLength = 0.0; // m along them
    double lineSpacing = 0.0;     // m: footprint width × (1 − side overlap)
    double triggerDistance = 0.0; // m: footprint length × (1 − front overlap)
};

// Empty when these settings can be planned (the area's shape is checked when planning), else
// the first problem, as a sentence for the pilot.
QString specProblem(const SurveySettings &spec);
// None when specProblem() is not empty.
std::optional<ImageGeometry> imageGeometry(const SurveySettings &spec);

} // namespace zeltrin::survey
