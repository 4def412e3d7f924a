// QGroundControl's .plan: JSON with a mission of SimpleItems (MAVLink commands) and ComplexItems
// (surveys and scans, which carry their flattened SimpleItems).
#include "PlanChecks.h"
#include "PlanFormats.h"
#include "QgcSurveyItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace zeltrin::planio {
using namespace detail;

namespace {
// MAVLink commands and frames this reader and writer use.
constexpr int kNavWaypoint = 16;
constexpr int kDoChangeSpeed = 178;
constexpr int kFrameGlobal = 0, kFrameRelative = 3, kFrameGlobalInt = 5, kFrameRelativeInt = 6;
constexpr int kFrameTerrain = 10, kFrameTerrainInt = 11;
// QGroundControl's altitude modes: 0 mixed (for the whole plan), 1 relative to home, 2 above
// sea level, 3 above terrain (sent above sea level, worked out from terrain data), 4 terrain
// frame, 5 none (a distance, not a height).
constexpr int kModeRelative = 1, kModeAbsolute = 2, kModeCalcAboveTerrain = 3, kModeTerrainFrame = 4;

// Navigation commands with a position: waypoint, loiters, land, takeoff, loiter to altitude,
// spline waypoint, VTOL takeoff and land.
bool isPositional(int command)
{
    switch (command) {
    case 16: case 17: case 18: case 19: case 21: case 22: case 31: case 82: case 84: case 85:
        return true;
    default:
        return false;
    }
}

bool isTerrainFrame(int frame) { return frame == kFrameTerrain || frame == kFrameTerrainInt; }

HeightReference frameReference(int frame)
{
    if (frame == kFrameRelative || frame == kFrameRelativeInt)
        return HeightReference::TakeOff;
    if (isTerrainFrame(frame))
        return HeightReference::Ground;
    return HeightReference::SeaLevel; // the global frames
}

// The reference of an item's "Altitude" field, by its altitude mode.
std::optional<HeightReference> modeReference(std::optional<int> mode)
{
    if (mode == kModeRelative)
        return HeightReference::TakeOff;
    if (mode == kModeAbsolute)
        return HeightReference::SeaLevel;
    if (mode == kModeCalcAboveTerrain || mode == kModeTerrainFrame)
        return HeightReference::Ground;
    return std::nullopt;
}

bool isPositionFrame(int frame)
{
    return frame == kFrameGlobal || frame == kFrameRelative || frame == kFrameGlobalInt || frame == kFrameRelativeInt
        || isTerrainFrame(frame);
}

// An integer field; nullopt when absent or not a whole number that fits.
std::optional<int> intField(const QJsonValue &v)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || std::abs(d) > 1e9)
        return std::nullopt;
    return int(d);
}

struct Reader {
    MissionPlan plan;
    int skipped = 0;
    QString error;
    bool altitudeTaken = false;
    bool altitudeFromWaypoint = false;
    std::optional<int> firstMode, firstFrame;
    // The plan is an editable survey when its only positions are one survey's, with every field.
    int surveys = 0;
    bool positionOutsideSurvey = false;
    std::optional<survey::SurveySettings> surveySpec;
    std::optional<QgcPhotoRuns> runs; // while inside the first survey's items
    std::optional<QList<survey::PhotoRun>> photoRuns;

    bool fail(QString e)
    {
        error = std::move(e);
        return false;
    }

    bool simpleItem(const QJsonObject &o, const QString &what)
    {
        const auto command = intField(o.value(u"command"));
        if (!command)
            return fail(QStringLiteral("%1 has no command number").arg(what));
        const QJsonValue paramsValue = o.value(u"params");
        if (!paramsValue.isArray() || paramsValue.toArray().size() != 7)
            return fail(QStringLiteral("%1 does not have 7 params").arg(what));
        const QJsonArray params = paramsValue.toArray();
        for (const QJsonValue &p : params)
            if (!p.isDouble() && !p.isNull())
                return fail(QStringLiteral("%1 has a param that is not a number").arg(what));
        const auto frameField = o.value(u"frame");
        const std::optional<int> frame = frameField.isUndefined() ? std::optional<int>(kFrameRelative) : intField(frameField);
        if (!frame)
            return fail(QStringLiteral("%1 has a frame that is not a number").arg(what));

        if (*command == kDoChangeSpeed) {
            const double speed = params.at(1).toDouble(-1);
            if (speed > 0 && std::isfinite(speed))
                plan.speed = speed;
            return true;
        }
        if (*command == kDoSetCamTriggDist && runs)
            runs->trigger(params.at(0).isDouble() ? params.at(0).toDouble() : qQNaN(), plan.waypoints.size());
        if (!isPositional(*command) || !isPositionFrame(*frame)) {
            ++skipped;
            return true;
        }
        // QGroundControl writes an unused parameter as null; a takeoff or land at (0, 0) has
        // no position of its own either.
        const QJsonValue latV = params.at(4), lonV = params.at(5);
        if (latV.isNull() && lonV.isNull()) {
            ++skipped;
            return true;
        }
        if (latV.isNull() || lonV.isNull())
            return fail(QStringLiteral("%1 has a coordinate that is not a number").arg(what));
        const double lat = latV.toDouble(), lon = lonV.toDouble();
        if (lat == 0.0 && lon == 0.0 && *command != kNavWaypoint) {
            ++skipped;
            return true;
        }
        if (QString e = coordinateProblem(lat, lon, what); !e.isEmpty())
            return fail(e);
        plan.waypoints.append({lat, lon});
        positionOutsideSurvey = positionOutsideSurvey || !runs;

        // The mission altitude is the first plain waypoint's, else the first position's.
        const bool waypoint = *command == kNavWaypoint;
        if (!altitudeTaken || (waypoint && !altitudeFromWaypoint)) {
            // "Altitude" is in the item's altitude mode; the command's own parameter is in its frame
            // (above sea level for a height above terrain, which the ground station worked out).
            const QJsonValue altField = o.value(u"Altitude");
            const auto mode = intField(o.value(u"AltitudeMode"));
            const auto byMode = modeReference(mode);
            const bool fromField = altField.isDouble() && byMode;
            const double alt = fromField ? altField.toDouble() : params.at(6).toDouble(qQNaN());
            if (std::isfinite(alt)) {
                plan.altitude = alt;
                plan.altitudeReference = fromField ? *byMode : frameReference(*frame);
                altitudeTaken = true;
                altitudeFromWaypoint = waypoint;
                firstFrame = frame;
                firstMode = mode;
            }
        }
        return true;
    }

    bool item(const QJsonValue &v, const QString &what)
    {
        if (!v.isObject())
            return fail(QStringLiteral("%1 is not an object").arg(what));
        const QJsonObject o = v.toObject();
        const QString type = o.value(u"type").toString();
        if (type == u"SimpleItem")
            return simpleItem(o, what);
        if (type == u"ComplexItem") {
            // Surveys and corridor scans store the items they fly; without them (a structure
            // scan) there is nothing to read.
            const QJsonValue inner = o.value(u"TransectStyleComplexItem").toObject().value(u"Items");
            if (!inner.isArray()) {
                ++skipped;
                return true;
            }
            const bool firstSurvey = o.value(u"complexItemType").toString() == u"survey" && ++surveys == 1;
            if (firstSurvey) {
                surveySpec = qgcSurveySettings(o);
                runs.emplace();
            }
            const QJsonArray items = inner.toArray();
            for (qsizetype i = 0; i < items.size(); ++i)
                if (!item(items.at(i), QStringLiteral("%1.%2").arg(what).arg(i + 1)))
                    return false;
            if (firstSurvey) {
                photoRuns = runs->finish(plan.waypoints.size());
                runs.reset();
            }
            return true;
        }
        ++skipped;
        return true;
    }
};

std::optional<double> speedField(const QJsonObject &mission, const char16_t *name, QString &error)
{
    const QJsonValue v = mission.value(QStringView(name));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        error = QStringLiteral("the mission's %1 is not a number").arg(QStringView(name));
    else if (v.toDouble() > 0)
        return v.toDouble();
    return std::nullopt;
}
} // namespace

PlanReadResult readQgcPlan(const QByteArray &bytes)
{
    QJsonDocument doc;
    if (QString e = parseJson(bytes, doc, QStringLiteral("plan file")); !e.isEmpty())
        return PlanReadResult::failure(e);
    return detail::readQgcPlanDocument(doc);
}

PlanReadResult detail::readQgcPlanDocument(const QJsonDocument &doc)
{
    const QJsonObject root = doc.object();
    if (!doc.isObject() || !root.value(u"fileType").isString())
        return PlanReadResult::failure(
            QStringLiteral("this is JSON, but not a QGroundControl plan: it has no \"fileType\""));
    if (const QString type = root.value(u"fileType").toString(); type != u"Plan")
        return PlanReadResult::failure(
            QStringLiteral("this QGroundControl file holds a \"%1\", not a plan").arg(excerpt(type)));
    if (const QJsonValue version = root.value(u"version"); !version.isUndefined() && intField(version) != 1)
        return PlanReadResult::failure(QStringLiteral("its plan version is not 1"));
    const QJsonValue missionValue = root.value(u"mission");
    if (!missionValue.isObject())
        return PlanReadResult::failure(QStringLiteral("it has no mission"));
    const QJsonObject mission = missionValue.toObject();
    if (const QJsonValue version = mission.value(u"version"); !version.isUndefined() && intField(version) != 2)
        return PlanReadResult::failure(QStringLiteral("its mission version is not 2"));
    const QJsonValue itemsValue = mission.value(u"items");
    if (!itemsValue.isArray())
        return PlanReadResult::failure(QStringLiteral("the mission's items are not a list"));

    Reader r;
    // Multirotors fly at the hover speed; the cruise speed is the fixed-wing one.
    QString error;
    const auto hover = speedField(mission, u"hoverSpeed", error);
    const auto cruise = speedField(mission, u"cruiseSpeed", error);
    if (!error.isEmpty())
        return PlanReadResult::failure(error);
    r.plan.speed = hover ? hover : cruise;

    if (const QJsonValue home = mission.value(u"plannedHomePosition"); !home.isUndefined() && !home.isNull()) {
        const QJsonArray a = home.toArray();
        if (!home.isArray() || a.size() != 3 || !a.at(0).isDouble() || !a.at(1).isDouble())
            return PlanReadResult::failure(QStringLiteral("the planned home position is not [latitude, longitude, altitude]"));
        if (QString e = coordinateProblem(a.at(0).toDouble(), a.at(1).toDouble(), QStringLiteral("the planned home"));
            !e.isEmpty())
            return PlanReadResult::failure(e);
        r.plan.plannedHome = MissionPlan::Home{{a.at(0).toDouble(), a.at(1).toDouble()}, a.at(2).toDouble(0.0)};
    }

    const QJsonArray items = itemsValue.toArray();
    for (qsizetype i = 0; i < items.size(); ++i)
        if (!r.item(items.at(i), QStringLiteral("item %1").arg(i + 1)))
            return PlanReadResult::failure(r.error);

    if (r.surveys == 1 && !r.positionOutsideSurvey && r.surveySpec && r.photoRuns)
        r.plan.survey = MissionPlan::Survey{*r.surveySpec, *r.photoRuns};

    const auto global = intField(mission.value(u"globalPlanAltitudeMode"));
    const auto terrainMode = [](std::optional<int> m) { return m == kModeCalcAboveTerrain || m == kModeTerrainFrame; };
    if (r.firstMode)
        r.plan.terrainFollow = terrainMode(r.firstMode);
    else if (r.firstFrame)
        r.plan.terrainFollow = isTerrainFrame(*r.firstFrame) || terrainMode(global);
    return finish(std::move(r.plan), r.skipped, QStringLiteral("the plan has no item with a position"));
}

QByteArray writeQgcPlan(const MissionPlan &plan)
{
    auto [altitude, reference] = missionHeight(plan);
    // A survey's items fly at its height above take-off, or above the ground with terrain follow.
    std::optional<QJsonObject> surveyItem;
    if (const auto image = plan.survey ? survey::imageGeometry(plan.survey->spec) : std::nullopt) {
        const bool ground = plan.terrainFollow.value_or(false) || reference == HeightReference::Ground;
        int jumpId = 1;
        surveyItem = qgcSurveyItem(
            plan, {image->height, ground ? kModeTerrainFrame : kModeRelative, ground ? kFrameTerrain : kFrameRelative},
            jumpId);
        if (surveyItem) {
            altitude = image->height;
            reference = ground ? HeightReference::Ground : HeightReference::TakeOff;
        }
    }
    const double speed = plan.speed.value_or(8.0);
    const int mode = reference == HeightReference::Ground ? kModeTerrainFrame
        : reference == HeightReference::SeaLevel          ? kModeAbsolute
                                                          : kModeRelative;
    const int frame = reference == HeightReference::Ground ? kFrameTerrain
        : reference == HeightReference::SeaLevel           ? kFrameGlobal
                                                           : kFrameRelative;

    const MissionPlan::Home home = plan.plannedHome.value_or(
        MissionPlan::Home{plan.waypoints.isEmpty() ? Coordinate{} : plan.waypoints.first(), 0.0});
    const QJsonObject mission{
        {"version", 2},
        {"firmwareType", 0}, // generic autopilot
        {"vehicleType", 2},  // quadrotor
        {"cruiseSpeed", speed},
        {"hoverSpeed", speed},
        {"globalPlanAltitudeMode", mode},
        {"plannedHomePosition", QJsonArray{home.position.latitude, home.position.longitude, home.altitude}},
        {"items", surveyItem ? QJsonArray{*surveyItem} : QJsonArray{}},
    };
    const QJsonObject root{
        {"fileType", "Plan"},
        {"version", 1},
        {"groundStation", "ZeltrinPilot"},
        {"mission", mission},
        {"geoFence", QJsonObject{{"version", 2}, {"circles", QJsonArray{}}, {"polygons", QJsonArray{}}}},
        {"rallyPoints", QJsonObject{{"version", 2}, {"points", QJsonArray{}}}},
    };
    // The items are written by hand: a QJsonObject per waypoint costs more than the whole
    // budget for saving 10,000 of them. Compact, so 100,000 waypoints stay within what we read.
    QByteArray out = QJsonDocument(root).toJson(QJsonDocument::Compact);
    if (surveyItem)
        return out + '\n';
    const QByteArray slot = R"("items":[])";
    const qsizetype at = out.indexOf(slot);
    if (at < 0)
        return {};
    const QByteArray alt = detail::number(altitude).toLatin1();
    const QByteArray head = R"({"AMSLAltAboveTerrain":null,"Altitude":)" + alt + R"(,"AltitudeMode":)"
        + QByteArray::number(mode) + R"(,"autoContinue":true,"command":)" + QByteArray::number(kNavWaypoint)
        + R"(,"doJumpId":)";
    const QByteArray frameText = R"(,"frame":)" + QByteArray::number(frame) + R"(,"params":[0,0,0,null,)";
    const QByteArray tail = "," + alt + R"(],"type":"SimpleItem"})";
    QByteArray items = R"("items":[)";
    items.reserve(plan.waypoints.size() * (head.size() + frameText.size() + tail.size() + 40) + 16);
    int jumpId = 1;
    for (const Coordinate &c : plan.waypoints) {
        if (jumpId > 1)
            items += ',';
        items += head;
        items += QByteArray::number(jumpId++);
        items += frameText;
        items += detail::number(c.latitude).toLatin1();
        items += ',';
        items += detail::number(c.longitude).toLatin1();
        items += tail;
    }
    items += ']';
    out.replace(at, slot.size(), items);
    out += '\n';
    return out;
}

} // namespace zeltrin::planio
