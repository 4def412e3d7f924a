#pragma once

#include "ElevationSource.h"
#include "SurveyFlight.h"

#include <functional>

// A survey's photos laid on the ground they will see. Planned on flat ground, a photo taken
// `height` metres up covers its flat footprint; over a hill the camera is nearer the ground and
// the footprint shrinks (a finer GSD), over a valley it grows. Each corner is found where the
// corner's ray meets the elevation model, so a slope tilts the footprint as it does the photo.
namespace zeltrin::survey {

// Where the camera is when it takes a photo, in metres above sea level; nullopt when unknown
// (no ground under the take-off point, say).
using CameraAltitude = std::function<std::optional<double>(const SurveyPhoto &)>;

// Drapes `photos`, planned at `plannedHeight` metres over flat ground, on `ground`. A photo whose
// centre or a corner lies over unknown ground, or whose camera height is unknown, keeps its flat
// footprint and gets NaN GSDs: unknown, never read as sea level. A photo at or under the ground
// gets NaN too. Returns how many photos are unknown.
int drapePhotos(QList<SurveyPhoto> &photos, double plannedHeight, const ElevationSource &ground,
                const CameraAltitude &cameraAltitude);

} // namespace zeltrin::survey
