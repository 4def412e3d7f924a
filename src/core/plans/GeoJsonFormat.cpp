// GeoJSON (RFC 7946): positions are [longitude, latitude, altitude?]. A plan is the LineStrings
// and Polygon outlines in order; a file with neither gives its Points. We write a
// FeatureCollection of one LineString when there are two waypoints or more (a LineString needs
// two positions) and a Point per waypoint; the first feature carries the mission's altitude with
// its reference, speed and terrain flag as properties.
//
// Heights: a position's third value is a height above the WGS 84 ellipsoid, which we read as a
// height above sea level (the two differ by tens of metres, and neither is used yet). Our own
// heights are above take-off or the ground, which a position cannot say: we write positions
// without heights and keep the height in the properties ("altitude", "altitudeReference").
#include "PlanChecks.h"
#include "PlanFormats.h"
#include "PlanHeights.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zeltrin::planio {
using namespace detail;

namespace {
struct GeoReader {
    QList<QList<Coordinate>> lines, points;
    std::optional<double> firstLineAltitude, firstPointAltitude;
    MissionPlan plan;
    QString error;

    bool fail(QString e)
    {
        error = std::move(e);
        return false;
    }

    bool position(const QJsonValue &v, const QString &what, QList<Coordinate> &out, std::optional<double> &firstAlt)
    {
        const QJsonArray a = v.toArray();
        if (!v.isArray() || a.size() < 2 || a.size() > 4 || !a.at(0).isDouble() || !a.at(1).isDouble()
            || (a.size() > 2 && !a.at(2).isDouble()))
            return fail(QStringLiteral("%1 has a position that is not [longitude, latitude]").arg(what));
        const double lon = a.at(0).toDouble(), lat = a.at(1).toDouble();
        if (QString e = coordinateProblem(lat, lon, what); !e.isEmpty())
            return fail(e);
        if (a.size() > 2 && !firstAlt)
            firstAlt = a.at(2).toDouble();
        out.append({lat, lon});
        return true;
    }

    bool positions(const QJsonValue &v, const QString &what, QList<Coordinate> &out, std::optional<double> &firstAlt)
    {
        if (!v.isArray())
            return fail(QStringLiteral("%1 has coordinates that are not a list").arg(what));
        for (const QJsonValue &p : v.toArray())
            if (!position(p, what, out, firstAlt))
                return false;
        return true;
    }

    bool ring(const QJsonValue &rings, const QString &what)
    {
        // The outer ring; the others are holes. Its closing vertex repeats the first.
        const QJsonArray a = rings.toArray();
        if (!rings.isArray() || a.isEmpty())
            return fail(QStringLiteral("%1 has a polygon without rings").arg(what));
        QList<Coordinate> line;
        if (!positions(a.at(0), what, line, firstLineAltitude))
            return false;
        if (line.size() > 1 && line.first() == line.last())
            line.removeLast();
        lines.append(line);
        return true;
    }

    bool geometry(const QJsonValue &v, const QString &what, int depth = 0)
    {
        if (v.isNull())
            return true; // a feature without a place
        if (!v.isObject())
            return fail(QStringLiteral("%1 has a geometry that is not an object").arg(what));
        const QJsonObject g = v.toObject();
        const QString type = g.value(u"type").toString();
        const QJsonValue c = g.value(u"coordinates");
        if (type == u"Point") {
            QList<Coordinate> p;
            if (!position(c, what, p, firstPointAltitude))
                return false;
            points.append(p);
            return true;
        }
        if (type == u"MultiPoint") {
            QList<Coordinate> p;
            if (!positions(c, what, p, firstPointAltitude))
                return false;
            points.append(p);
            return true;
        }
        if (type == u"LineString") {
            QList<Coordinate> line;
            if (!positions(c, what, line, firstLineAltitude))
                return false;
            lines.append(line);
            return true;
        }
        if (type == u"MultiLineString" || type == u"MultiPolygon") {
            if (!c.isArray())
                return fail(QStringLiteral("%1 has coordinates that are not a list").arg(what));
            for (const QJsonValue &part : c.toArray()) {
                if (type == u"MultiPolygon") {
                    if (!ring(part, what))
                        return false;
                    continue;
                }
                QList<Coordinate> line;
                if (!positions(part, what, line, firstLineAltitude))
                    return false;
                lines.append(line);
            }
            return true;
        }
        if (type == u"Polygon")
            return ring(c, what);
        if (type == u"GeometryCollection" && depth < 8) {
            for (const QJsonValue &part : g.value(u"geometries").toArray())
                if (!geometry(part, what, depth + 1))
                    return false;
            return true;
        }
        if (type == u"GeometryCollection")
            return fail(QStringLiteral("%1 nests geometry collections more than 8 deep").arg(what));
        if (type.isEmpty())
            return fail(QStringLiteral("%1 has a geometry without a \"type\"").arg(what));
        return fail(QStringLiteral("%1 has an unknown geometry type \"%2\"").arg(what, excerpt(type)));
    }

    std::optional<double> propertyAltitude;
    QJsonValue propertyReference;

    void properties(const QJsonObject &p)
    {
        const QJsonValue speed = p.value(u"speed"), alt = p.value(u"altitude"), terrain = p.value(u"terrainFollow");
        if (!plan.speed && speed.isDouble() && speed.toDouble() > 0)
            plan.speed = speed.toDouble();
        if (!propertyAltitude && alt.isDouble()) {
            propertyAltitude = alt.toDouble();
            propertyReference = p.value(u"altitudeReference");
        }
        if (!plan.terrainFollow && terrain.isBool())
            plan.terrainFollow = terrain.toBool();
    }

    // The properties' altitude wins over the positions' heights. Our earlier files gave it
    // without a reference, meaning above the ground with terrain follow, else above take-off.
    void resolveAltitude(bool useLines)
    {
        if (propertyAltitude) {
            plan.altitude = propertyAltitude;
            if (propertyReference.isString())
                plan.altitudeReference =
                    heightReferenceFromKey(propertyReference.toString()).value_or(HeightReference::Unknown);
            else if (plan.terrainFollow)
                plan.altitudeReference = *plan.terrainFollow ? HeightReference::Ground : HeightReference::TakeOff;
            else
                plan.altitudeReference = HeightReference::Unknown;
        } else if (const auto &fromPositions = useLines ? firstLineAltitude : firstPointAltitude) {
            plan.altitude = fromPositions;
            plan.altitudeReference = HeightReference::SeaLevel;
        }
    }

    bool feature(const QJsonValue &v, const QString &what)
    {
        const QJsonObject f = v.toObject();
        if (!v.isObject() || f.value(u"type").toString() != u"Feature")
            return fail(QStringLiteral("%1 is not a Feature").arg(what));
        if (!geometry(f.value(u"geometry"), what))
            return false;
        properties(f.value(u"properties").toObject());
        return true;
    }
};
} // namespace

PlanReadResult readGeoJson(const QByteArray &bytes)
{
    QJsonDocument doc;
    if (QString e = parseJson(bytes, doc, QStringLiteral("GeoJSON file")); !e.isEmpty())
        return PlanReadResult::failure(e);
    return detail::readGeoJsonDocument(doc);
}

PlanReadResult detail::readGeoJsonDocument(const QJsonDocument &doc)
{
    if (!doc.isObject())
        return PlanReadResult::failure(QStringLiteral("this is JSON, but not GeoJSON: it is not an object"));
    const QJsonObject root = doc.object();
    const QString type = root.value(u"type").toString();
    GeoReader r;
    bool ok = false;
    if (type == u"FeatureCollection") {
        const QJsonValue features = root.value(u"features");
        if (!features.isArray())
            return PlanReadResult::failure(QStringLiteral("its features are not a list"));
        const QJsonArray list = features.toArray();
        ok = true;
        for (qsizetype i = 0; ok && i < list.size(); ++i)
            ok = r.feature(list.at(i), QStringLiteral("feature %1").arg(i + 1));
    } else if (type == u"Feature") {
        ok = r.feature(root, QStringLiteral("the feature"));
    } else if (!type.isEmpty()) {
        ok = r.geometry(root, QStringLiteral("the geometry"));
    } else {
        return PlanReadResult::failure(QStringLiteral("this is JSON, but not GeoJSON: it has no \"type\""));
    }
    if (!ok)
        return PlanReadResult::failure(r.error);
    const bool useLines = !r.lines.isEmpty();
    for (const auto &part : std::as_const(useLines ? r.lines : r.points))
        r.plan.waypoints.append(part);
    r.resolveAltitude(useLines);
    return finish(std::move(r.plan), 0, QStringLiteral("the GeoJSON has no feature with a position"));
}

QByteArray writeGeoJson(const MissionPlan &plan)
{
    QJsonArray positions;
    for (const Coordinate &c : plan.waypoints)
        positions.append(QJsonArray{c.longitude, c.latitude});
    QJsonObject props;
    if (plan.altitude && std::isfinite(*plan.altitude)) {
        props.insert(QStringLiteral("altitude"), *plan.altitude);
        props.insert(QStringLiteral("altitudeReference"), heightReferenceKey(plan.altitudeReference));
    }
    if (plan.speed)
        props.insert(QStringLiteral("speed"), *plan.speed);
    if (plan.terrainFollow)
        props.insert(QStringLiteral("terrainFollow"), *plan.terrainFollow);
    QJsonArray features;
    if (positions.size() >= 2) {
        props.insert(QStringLiteral("name"), QStringLiteral("Flight path"));
        features.append(QJsonObject{
            {"type", "Feature"},
            {"properties", props},
            {"geometry", QJsonObject{{"type", "LineString"}, {"coordinates", positions}}},
        });
        props = {};
    }
    for (qsizetype i = 0; i < positions.size(); ++i) {
        props.insert(QStringLiteral("name"), QStringLiteral("WP%1").arg(i + 1));
        features.append(QJsonObject{
            {"type", "Feature"},
            {"properties", props},
            {"geometry", QJsonObject{{"type", "Point"}, {"coordinates", positions.at(i)}}},
        });
        props = {};
    }
    return QJsonDocument(QJsonObject{{"type", "FeatureCollection"}, {"features", features}}).toJson(QJsonDocument::Compact);
}

} // namespace zeltrin::planio
