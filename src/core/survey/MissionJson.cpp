#include "MissionBreakpoint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

// Kept by the app for the app: a plan written by missionToJson, or a damaged copy of one.
namespace zeltrin::survey {

namespace {

constexpr qsizetype kMaxWaypoints = 100000;
constexpr qsizetype kMaxActions = 64;

QJsonArray actionJson(const DJICameraAction &a)
{
    if (std::holds_alternative<DJITakePhoto>(a))
        return {QStringLiteral("photo")};
    if (const auto *d = std::get_if<DJIStartDistancePhotos>(&a))
        return {QStringLiteral("start"), d->metres};
    if (std::holds_alternative<DJIStopDistancePhotos>(a))
        return {QStringLiteral("stop")};
    return {QStringLiteral("pitch"), std::get<DJISetGimbalPitch>(a).degrees};
}

std::optional<DJICameraAction> actionFrom(const QJsonValue &v)
{
    const QJsonArray a = v.toArray();
    const QString kind = a.at(0).toString();
    const QJsonValue value = a.at(1);
    const bool number = value.isDouble() && std::isfinite(value.toDouble());
    if (kind == QLatin1String("photo") && a.size() == 1)
        return DJITakePhoto{};
    if (kind == QLatin1String("stop") && a.size() == 1)
        return DJIStopDistancePhotos{};
    if (kind == QLatin1String("start") && a.size() == 2 && number && value.toDouble() >= 0)
        return DJIStartDistancePhotos{value.toDouble()};
    if (kind == QLatin1String("pitch") && a.size() == 2 && number && std::abs(value.toDouble()) <= 180)
        return DJISetGimbalPitch{value.toDouble()};
    return std::nullopt;
}

} // namespace

QByteArray missionToJson(const DJIWaypointMission &plan)
{
    QJsonArray waypoints;
    for (const DJIWaypoint &w : plan.waypoints) {
        QJsonArray actions;
        for (const DJICameraAction &a : w.actions)
            actions.append(actionJson(a));
        waypoints.append(QJsonObject{{QStringLiteral("lat"), w.latitude},
                                     {QStringLiteral("lon"), w.longitude},
                                     {QStringLiteral("height"), w.height},
                                     {QStringLiteral("reference"), int(w.heightReference)},
                                     {QStringLiteral("actions"), actions}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("speed"), plan.speed},
                                     {QStringLiteral("terrainFollow"), plan.terrainFollow},
                                     {QStringLiteral("multiBattery"), plan.multiBattery},
                                     {QStringLiteral("waypoints"), waypoints}})
        .toJson(QJsonDocument::Compact);
}

std::optional<DJIWaypointMission> missionFromJson(const QByteArray &json, QString *error)
{
    auto refuse = [error](const QString &why) -> std::optional<DJIWaypointMission> {
        if (error)
            *error = QStringLiteral("The kept mission plan cannot be read: %1").arg(why);
        return std::nullopt;
    };
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(parse.error != QJsonParseError::NoError ? parse.errorString() : QStringLiteral("not an object"));
    const QJsonObject o = doc.object();
    DJIWaypointMission m;
    m.speed = o.value(QStringLiteral("speed")).toDouble(-1);
    m.terrainFollow = o.value(QStringLiteral("terrainFollow")).toBool();
    m.multiBattery = o.value(QStringLiteral("multiBattery")).toBool();
    if (!std::isfinite(m.speed) || m.speed <= 0 || m.speed > 100)
        return refuse(QStringLiteral("no speed"));
    const QJsonArray waypoints = o.value(QStringLiteral("waypoints")).toArray();
    if (waypoints.isEmpty() || waypoints.size() > kMaxWaypoints)
        return refuse(QStringLiteral("no waypoints"));
    for (qsizetype i = 0; i < waypoints.size(); ++i) {
        const QJsonObject w = waypoints.at(i).toObject();
        DJIWaypoint p;
        p.latitude = w.value(QStringLiteral("lat")).toDouble(NAN);
        p.longitude = w.value(QStringLiteral("lon")).toDouble(NAN);
        p.height = w.value(QStringLiteral("height")).toDouble(NAN);
        const int reference = w.value(QStringLiteral("reference")).toInt(-1);
        if (!(std::abs(p.latitude) <= 90) || !(std::abs(p.longitude) <= 180) || !std::isfinite(p.height)
            || reference < 0 || reference > int(DJIHeightReference::aboveSeaLevel))
            return refuse(QStringLiteral("waypoint %1 has no place or height").arg(i + 1));
        p.heightReference = DJIHeightReference(reference);
        const QJsonArray actions = w.value(QStringLiteral("actions")).toArray();
        if (actions.size() > kMaxActions)
            return refuse(QStringLiteral("waypoint %1 has too many actions").arg(i + 1));
        for (const QJsonValue &a : actions) {
            const std::optional<DJICameraAction> action = actionFrom(a);
            if (!action)
                return refuse(QStringLiteral("waypoint %1 has an unknown action").arg(i + 1));
            p.actions.append(*action);
        }
        m.waypoints.append(p);
    }
    return m;
}

} // namespace zeltrin::survey
