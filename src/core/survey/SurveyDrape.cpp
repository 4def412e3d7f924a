#include "SurveyDrape.h"

#include <cmath>
#include <limits>

namespace zeltrin::survey {

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
// Fixed-point steps for a corner's ray: each moves the corner to where the ground under the last
// guess says it is. Two settle it within centimetres on slopes a survey is flown over.
constexpr int kCornerSteps = 2;

Coordinate along(Coordinate centre, Coordinate flatCorner, double scale)
{
    return {centre.latitude + (flatCorner.latitude - centre.latitude) * scale,
            centre.longitude + (flatCorner.longitude - centre.longitude) * scale};
}

} // namespace

int drapePhotos(QList<SurveyPhoto> &photos, double plannedHeight, const ElevationSource &ground,
                const CameraAltitude &cameraAltitude)
{
    int unknown = 0;
    if (!(plannedHeight > 0))
        return int(photos.size());
    for (SurveyPhoto &photo : photos) {
        const std::optional<double> camera = cameraAltitude ? cameraAltitude(photo) : std::nullopt;
        const std::optional<double> under = ground.heightAt(photo.centre.latitude, photo.centre.longitude);
        const bool known = camera && under && std::isfinite(*camera) && *camera - *under > 0;
        if (!known) {
            photo.gsdAcross = photo.gsdAlong = kUnknown;
            ++unknown;
            continue;
        }
        std::array<Coordinate, 4> draped = photo.footprint;
        bool cornersKnown = true;
        for (size_t i = 0; i < draped.size() && cornersKnown; ++i) {
            // A ray through the corner reaches the flat plane at scale 1 (plannedHeight down);
            // it meets ground h metres under the camera at scale h / plannedHeight.
            double scale = (*camera - *under) / plannedHeight;
            for (int step = 0; step < kCornerSteps; ++step) {
                const Coordinate at = along(photo.centre, photo.footprint[i], scale);
                const std::optional<double> g = ground.heightAt(at.latitude, at.longitude);
                if (!g || !(*camera - *g > 0)) {
                    cornersKnown = false;
                    break;
                }
                scale = (*camera - *g) / plannedHeight;
            }
            draped[i] = along(photo.centre, photo.footprint[i], scale);
        }
        if (!cornersKnown) {
            photo.gsdAcross = photo.gsdAlong = kUnknown;
            ++unknown;
            continue;
        }
        photo.footprint = draped;
        // GSD grows with the distance to the ground under the image's centre.
        const double scale = (*camera - *under) / plannedHeight;
        photo.gsdAcross *= scale;
        photo.gsdAlong *= scale;
    }
    return unknown;
}

} // namespace zeltrin::survey
