#include "CameraProfile.h"

#include <cmath>

namespace zeltrin::survey {

namespace {
bool inRange(double v, double lo, double hi)
{
    return std::isfinite(v) && v >= lo && v <= hi;
}
} // namespace

QString cameraProblem(const CameraProfile &c)
{
    if (c.name.trimmed().isEmpty())
        return QStringLiteral("The camera needs a name.");
    if (c.name.size() > kMaxProfileName)
        return QStringLiteral("The camera's name is longer than %1 characters.").arg(kMaxProfileName);
    if (!inRange(c.sensorWidth, kMinSensorSide, kMaxSensorSide)
        || !inRange(c.sensorHeight, kMinSensorSide, kMaxSensorSide))
        return QStringLiteral("The sensor's width and height must be between %1 and %2 mm.")
            .arg(kMinSensorSide)
            .arg(kMaxSensorSide);
    if (!inRange(c.focalLength, kMinFocalLength, kMaxFocalLength))
        return QStringLiteral("The focal length must be between %1 and %2 mm.")
            .arg(kMinFocalLength)
            .arg(kMaxFocalLength);
    if (c.imageWidth < kMinImageSide || c.imageWidth > kMaxImageSide || c.imageHeight < kMinImageSide
        || c.imageHeight > kMaxImageSide)
        return QStringLiteral("The image's width and height must be between %1 and %2 pixels.")
            .arg(kMinImageSide)
            .arg(kMaxImageSide);
    return {};
}

const QList<CameraProfile> &builtInCameraProfiles()
{
    static const QList<CameraProfile> profiles{
        {QStringLiteral("1-inch 20 MP"), 13.2, 8.8, 8.8, 5472, 3648},
        {QStringLiteral("4/3-inch 20 MP"), 17.3, 13.0, 12.29, 5280, 3956},
        {QStringLiteral("1/2.3-inch 12 MP"), 6.17, 4.55, 4.5, 4000, 3000},
    };
    return profiles;
}

std::optional<CameraProfile> builtInCameraProfile(const QString &name)
{
    for (const CameraProfile &p : builtInCameraProfiles())
        if (p.name == name)
            return p;
    return std::nullopt;
}

std::optional<CameraProfile> builtInCameraWithFigures(const CameraProfile &c)
{
    const auto same = [](double a, double b) { return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b)); };
    for (const CameraProfile &p : builtInCameraProfiles())
        if (same(c.sensorWidth, p.sensorWidth) && same(c.sensorHeight, p.sensorHeight)
            && same(c.focalLength, p.focalLength) && c.imageWidth == p.imageWidth && c.imageHeight == p.imageHeight)
            return p;
    return std::nullopt;
}

} // namespace zeltrin::survey
