#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace zeltrin::survey {

// A camera as the survey maths needs it: the sensor's size, the lens and the image's size. The
// image's width lies across the flight lines (the camera faces down, its long side across).
struct CameraProfile {
    QString name;
    double sensorWidth = 0.0;  // mm
    double sensorHeight = 0.0; // mm
    double focalLength = 0.0;  // mm
    int imageWidth = 0;        // px
    int imageHeight = 0;       // px
    friend bool operator==(const CameraProfile &, const CameraProfile &) = default;
};

// Sane ranges for a drone's mapping camera.
constexpr double kMinSensorSide = 1.0, kMaxSensorSide = 100.0;   // mm
constexpr double kMinFocalLength = 1.0, kMaxFocalLength = 600.0; // mm
constexpr int kMinImageSide = 100, kMaxImageSide = 100000;       // px
constexpr qsizetype kMaxProfileName = 60;                        // characters

// Empty when every figure is a positive finite number in its range and the name is set, else
// the first problem, as a sentence for the pilot.
QString cameraProblem(const CameraProfile &camera);

// The profiles every install has: common 1-inch, 4/3-inch and 1/2.3-inch camera drones.
const QList<CameraProfile> &builtInCameraProfiles();
std::optional<CameraProfile> builtInCameraProfile(const QString &name);
// The built-in profile with the same figures (any name), if there is one.
std::optional<CameraProfile> builtInCameraWithFigures(const CameraProfile &camera);

} // namespace zeltrin::survey
