#include "SurveySettings.h"

#include <cmath>

namespace zeltrin::survey {

double gsdAcrossAt(const CameraProfile &c, double height)
{
    // mm × m / (mm × px) = m/px; × 100 for cm.
    return c.sensorWidth * height / (c.focalLength * c.imageWidth) * 100.0;
}

double gsdAlongAt(const CameraProfile &c, double height)
{
    return c.sensorHeight * height / (c.focalLength * c.imageHeight) * 100.0;
}

double heightForGsd(const CameraProfile &c, double gsd)
{
    return gsd / 100.0 * c.focalLength * c.imageWidth / c.sensorWidth;
}

namespace {
double heightOf(const SurveySettings &s)
{
    return s.given == SurveySettings::Given::Height ? s.height : heightForGsd(s.camera, s.groundSampleDistance);
}

bool finite(double v)
{
    return std::isfinite(v);
}
} // namespace

QString specProblem(const SurveySettings &s)
{
    if (s.polygon.size() < 3)
        return QStringLiteral("The area needs at least 3 corners.");
    if (s.polygon.size() > kMaxCorners)
        return QStringLiteral("The area has more than %1 corners.").arg(kMaxCorners);
    for (const Coordinate &c : s.polygon)
        if (!finite(c.latitude) || !finite(c.longitude) || std::abs(c.latitude) > 85.0 || std::abs(c.longitude) > 180.0)
            return QStringLiteral("A corner of the area is not a position on the map.");
    if (QString camera = cameraProblem(s.camera); !camera.isEmpty())
        return camera;
    if (s.given == SurveySettings::Given::GroundSampleDistance
        && !(finite(s.groundSampleDistance) && s.groundSampleDistance > 0))
        return QStringLiteral("The ground sample distance must be a positive number.");
    const double h = heightOf(s);
    // A GSD worked out from a height at either end of the range may come back a hair outside it.
    if (!finite(h) || h < kMinHeight * (1 - 1e-12) || h > kMaxHeight * (1 + 1e-12)) {
        if (s.given == SurveySettings::Given::Height)
            return QStringLiteral("The height must be between %1 and %2 m.").arg(kMinHeight).arg(kMaxHeight);
        return QStringLiteral(
                   "This ground sample distance needs a height of %1 m; the aircraft flies between %2 and %3 m.")
            .arg(h, 0, 'f', 0)
            .arg(kMinHeight)
            .arg(kMaxHeight);
    }
    for (double overlap : {s.frontOverlap, s.sideOverlap})
        if (!finite(overlap) || overlap < kMinOverlap || overlap > kMaxOverlap)
            return QStringLiteral("The overlaps must be between %1 and %2 %.").arg(kMinOverlap).arg(kMaxOverlap);
    if (!finite(s.gridAngle))
        return QStringLiteral("The grid angle must be a number.");
    if (!finite(s.turnaround) || s.turnaround < 0 || s.turnaround > kMaxTurnaround)
        return QStringLiteral("The turnaround distance must be between 0 and %1 m.").arg(kMaxTurnaround);
    return {};
}

std::optional<ImageGeometry> imageGeometry(const SurveySettings &s)
{
    if (!specProblem(s).isEmpty())
        return std::nullopt;
    ImageGeometry g;
    g.height = heightOf(s);
    g.gsdAcross = gsdAcrossAt(s.camera, g.height);
    g.gsdAlong = gsdAlongAt(s.camera, g.height);
    g.footprintWidth = s.camera.sensorWidth * g.height / s.camera.focalLength;
    g.footprintLength = s.camera.sensorHeight * g.height / s.camera.focalLength;
    g.lineSpacing = g.footprintWidth * (1.0 - s.sideOverlap / 100.0);
    g.triggerDistance = g.footprintLength * (1.0 - s.frontOverlap / 100.0);
    return g;
}

} // namespace zeltrin::survey
