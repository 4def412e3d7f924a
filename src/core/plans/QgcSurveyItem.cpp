#include "QgcSurveyItem.h"

#include "SurveyFlight.h"

#include <QJsonArray>

#include <cmath>
#include <numbers>

namespace zeltrin::planio::detail {

namespace {
constexpr int kNavWaypoint = 16;
constexpr int kFrameMission = 2;
// CameraCalc's distance modes (QGroundControl's altitude modes): relative to take-off, and the
// two above terrain.
constexpr int kModeRelative = 1, kModeCalcAboveTerrain = 3, kModeTerrainFrame = 4;
// What QGroundControl calls a camera it does not know by name.
const QString kCustomCamera = QStringLiteral("Custom Camera");

QJsonArray coordinates(const QList<Coordinate> &points)
{
    QJsonArray a;
    for (const Coordinate &c : points)
        a.append(QJsonArray{c.latitude, c.longitude});
    return a;
}

QJsonObject missionItem(int command, int frame, const QJsonArray &params, int &jumpId)
{
    return {{"autoContinue", true}, {"command", command}, {"doJumpId", jumpId++},
            {"frame", frame},       {"params", params},   {"type", "SimpleItem"}};
}

// Metres between two nearby coordinates (a run's ends), for the photo count QGroundControl shows.
double metresBetween(const Coordinate &a, const Coordinate &b)
{
    constexpr double kRad = std::numbers::pi / 180.0, kEarth = 6371008.8;
    const double x = (b.longitude - a.longitude) * kRad * std::cos((a.latitude + b.latitude) / 2.0 * kRad);
    return std::hypot(x, (b.latitude - a.latitude) * kRad) * kEarth;
}

bool runsFit(const QList<survey::PhotoRun> &runs, qsizetype waypoints)
{
    qsizetype next = 0;
    for (const survey::PhotoRun &r : runs) {
        if (r.first < next || r.last < r.first || r.last >= waypoints)
            return false;
        next = r.last + 1;
    }
    return !runs.isEmpty();
}

std::optional<double> number(const QJsonObject &o, const char16_t *key)
{
    const QJsonValue v = o.value(QStringView(key));
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::nullopt;
    return v.toDouble();
}

std::optional<int> pixels(const QJsonObject &o, const char16_t *key)
{
    const auto v = number(o, key);
    if (!v || *v != std::floor(*v) || *v < 1 || *v > survey::kMaxImageSide)
        return std::nullopt;
    return int(*v);
}
} // namespace

std::optional<QJsonObject> qgcSurveyItem(const MissionPlan &plan, const QgcHeights &heights, int &jumpId)
{
    if (!plan.survey)
        return std::nullopt;
    const survey::SurveySettings &spec = plan.survey->spec;
    const QList<survey::PhotoRun> &runs = plan.survey->photoRuns;
    const auto image = survey::imageGeometry(spec);
    if (!image || !runsFit(runs, plan.waypoints.size()))
        return std::nullopt;

    // Each waypoint, with the camera started after a run's first and stopped after its last.
    QJsonArray items;
    double shots = 0;
    qsizetype run = 0;
    for (qsizetype i = 0; i < plan.waypoints.size(); ++i) {
        const Coordinate &c = plan.waypoints[i];
        QJsonObject wp = missionItem(kNavWaypoint, heights.frame,
                                     {0, 0, 0, QJsonValue(), c.latitude, c.longitude, heights.altitude}, jumpId);
        wp.insert("AMSLAltAboveTerrain", QJsonValue());
        wp.insert("Altitude", heights.altitude);
        wp.insert("AltitudeMode", heights.mode);
        items.append(wp);
        if (run < runs.size() && runs[run].first == i)
            items.append(
                missionItem(kDoSetCamTriggDist, kFrameMission, {image->triggerDistance, 0, 1, 0, 0, 0, 0}, jumpId));
        if (run < runs.size() && runs[run].last == i) {
            items.append(missionItem(kDoSetCamTriggDist, kFrameMission, {0, 0, 0, 0, 0, 0, 0}, jumpId));
            shots += std::floor(metresBetween(plan.waypoints[runs[run].first], c) / image->triggerDistance + 1e-6) + 1;
            ++run;
        }
    }
    const bool byHeight = spec.given == survey::SurveySettings::Given::Height;
    const QJsonObject camera{
        {"AdjustedFootprintFrontal", image->triggerDistance},
        {"AdjustedFootprintSide", image->lineSpacing},
        {"CameraName", kCustomCamera},
        {"DistanceMode", heights.mode == kModeTerrainFrame ? kModeTerrainFrame : kModeRelative},
        {"DistanceToSurface", image->height},
        {"FixedOrientation", false},
        {"FocalLength", spec.camera.focalLength},
        {"FrontalOverlap", spec.frontOverlap},
        {"ImageDensity", image->gsdAcross},
        {"ImageHeight", spec.camera.imageHeight},
        {"ImageWidth", spec.camera.imageWidth},
        {"Landscape", true},
        {"MinTriggerInterval", 0},
        {"SensorHeight", spec.camera.sensorHeight},
        {"SensorWidth", spec.camera.sensorWidth},
        {"SideOverlap", spec.sideOverlap},
        {"ValueSetIsDistance", byHeight},
        {"version", 2},
    };
    const QJsonObject transects{
        {"CameraCalc", camera},
        {"CameraShots", shots},
        {"CameraTriggerInTurnAround", false},
        {"HoverAndCapture", false},
        {"Items", items},
        {"Refly90Degrees", spec.crosshatch},
        {"TurnAroundDistance", spec.turnaround},
        {"VisualTransectPoints", coordinates(plan.waypoints)},
        {"version", 2},
    };
    return QJsonObject{
        {"TransectStyleComplexItem", transects},
        {"angle", spec.gridAngle},
        {"complexItemType", "survey"},
        {"entryLocation", 0},
        {"flyAlternateTransects", false},
        {"polygon", coordinates(spec.polygon)},
        {"splitConcavePolygons", false},
        {"type", "ComplexItem"},
        {"version", 5},
    };
}

std::optional<survey::SurveySettings> qgcSurveySettings(const QJsonObject &item)
{
    if (item.value(u"complexItemType").toString() != u"survey")
        return std::nullopt;
    const QJsonObject transects = item.value(u"TransectStyleComplexItem").toObject();
    const QJsonObject camera = transects.value(u"CameraCalc").toObject();
    // Hover-and-capture surveys stop for each photo: not the runs this planner flies.
    if (transects.value(u"HoverAndCapture").toBool(false)
        || transects.value(u"CameraTriggerInTurnAround").toBool(false))
        return std::nullopt;

    survey::SurveySettings spec;
    const QJsonValue polygon = item.value(u"polygon");
    if (!polygon.isArray())
        return std::nullopt;
    for (const QJsonValue &corner : polygon.toArray()) {
        const QJsonArray a = corner.toArray();
        if (a.size() < 2 || !a.at(0).isDouble() || !a.at(1).isDouble())
            return std::nullopt;
        spec.polygon.append({a.at(0).toDouble(), a.at(1).toDouble()});
    }

    // Heights above take-off or above the terrain; one above sea level is no height above ground.
    const auto mode = number(camera, u"DistanceMode");
    const QJsonValue relative = camera.value(u"DistanceToSurfaceRelative");
    if (mode ? (*mode != kModeRelative && *mode != kModeCalcAboveTerrain && *mode != kModeTerrainFrame)
             : !relative.toBool(false))
        return std::nullopt;

    const auto angle = number(item, u"angle"), turnaround = number(transects, u"TurnAroundDistance");
    const auto sensorWidth = number(camera, u"SensorWidth"), sensorHeight = number(camera, u"SensorHeight");
    const auto focal = number(camera, u"FocalLength"), front = number(camera, u"FrontalOverlap");
    const auto side = number(camera, u"SideOverlap"), distance = number(camera, u"DistanceToSurface");
    const auto imageWidth = pixels(camera, u"ImageWidth"), imageHeight = pixels(camera, u"ImageHeight");
    const QJsonValue byDistance = camera.value(u"ValueSetIsDistance");
    if (!angle || !turnaround || !sensorWidth || !sensorHeight || !focal || !front || !side || !distance || !imageWidth
        || !imageHeight || !byDistance.isBool())
        return std::nullopt;

    spec.gridAngle = *angle;
    spec.turnaround = *turnaround;
    spec.frontOverlap = *front;
    spec.sideOverlap = *side;
    spec.crosshatch = transects.value(u"Refly90Degrees").toBool(false);
    spec.camera = {
        camera.value(u"CameraName").toString(), *sensorWidth, *sensorHeight, *focal, *imageWidth, *imageHeight};
    // A camera mounted upright has the image's height across the lines.
    if (!camera.value(u"Landscape").toBool(true)) {
        std::swap(spec.camera.sensorWidth, spec.camera.sensorHeight);
        std::swap(spec.camera.imageWidth, spec.camera.imageHeight);
    }
    if (const auto known = survey::builtInCameraWithFigures(spec.camera))
        spec.camera.name = known->name;
    else if (spec.camera.name.trimmed().isEmpty() || spec.camera.name.size() > survey::kMaxProfileName)
        spec.camera.name = kCustomCamera;
    if (byDistance.toBool()) {
        spec.given = survey::SurveySettings::Given::Height;
        spec.height = *distance;
    } else {
        const auto gsd = number(camera, u"ImageDensity");
        if (!gsd)
            return std::nullopt;
        spec.given = survey::SurveySettings::Given::GroundSampleDistance;
        spec.groundSampleDistance = *gsd;
        spec.height = *distance;
    }
    if (!survey::specProblem(spec).isEmpty())
        return std::nullopt;
    return spec;
}

void QgcPhotoRuns::trigger(double distance, qsizetype waypointsSoFar)
{
    if (!std::isfinite(distance) || distance < 0 || waypointsSoFar == 0) {
        m_broken = true;
        return;
    }
    const qsizetype at = waypointsSoFar - 1;
    if (distance > 0) {
        if (m_open && *m_open != at)
            m_runs.append({*m_open, at - 1 >= *m_open ? at - 1 : *m_open}); // started again without a stop
        m_open = at;
    } else if (m_open) {
        m_runs.append({*m_open, at});
        m_open.reset();
    }
}

std::optional<QList<survey::PhotoRun>> QgcPhotoRuns::finish(qsizetype waypointsSoFar)
{
    if (m_open && waypointsSoFar > *m_open)
        m_runs.append({*m_open, waypointsSoFar - 1});
    m_open.reset();
    if (m_broken || !runsFit(m_runs, waypointsSoFar))
        return std::nullopt;
    return m_runs;
}

} // namespace zeltrin::planio::detail
