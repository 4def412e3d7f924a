// KML: Placemarks with LineString, Point and Polygon geometry, in Documents and Folders at any
// depth. A plan is the lines and polygon outlines in document order; a file with neither gives
// its points. We write the plan's values as the Document's ExtendedData, one LineString when
// there are two waypoints or more (a line needs two positions), and a Point Placemark per
// waypoint; that reads back as the line alone, or as the one point.
//
// Heights: KML measures them from the ground ("relativeToGround") or the sea ("absolute"), never
// from a take-off point. A height above take-off drawn relativeToGround would follow the terrain
// in any viewer, and a planner reading it would fly that, so we write such plans on the ground
// ("clampToGround", positions without heights) and keep the height with its reference in the
// ExtendedData ("altitude", "altitudeReference"). Heights above the ground (terrain follow) and
// above sea level are written with their own altitude mode.
#include "PlanChecks.h"
#include "PlanFormats.h"
#include "PlanHeights.h"
#include "PlanXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace zeltrin::planio {
using namespace detail;

namespace {
const QString kFile = QStringLiteral("KML file");

struct Geometry {
    QList<Coordinate> points;
    std::optional<double> firstAltitude;
    HeightReference reference = HeightReference::Unknown;
    bool isLine = false;
};

// The reference of an altitudeMode's heights; nullopt when the heights are not used.
std::optional<HeightReference> modeReference(QStringView mode)
{
    if (mode.isEmpty() || mode == u"clampToGround" || mode == u"clampToSeaFloor")
        return std::nullopt;
    if (mode == u"relativeToGround" || mode == u"relativeToSeaFloor")
        return HeightReference::Ground;
    if (mode == u"absolute")
        return HeightReference::SeaLevel;
    return HeightReference::Unknown;
}

struct KmlReader {
    const QByteArray &bytes;
    QXmlStreamReader xml;
    QList<Geometry> geometries;
    MissionPlan plan;
    std::optional<double> dataAltitude;
    QString dataReference;
    QString error;

    explicit KmlReader(const QByteArray &b) : bytes(b), xml(b) {}

    bool fail(QString e)
    {
        if (error.isEmpty())
            error = std::move(e);
        return false;
    }

    // "lon,lat[,alt]" tuples separated by white space.
    bool parseCoordinates(const QString &text, Geometry &g, bool altitudeCounts)
    {
        const QString what = QStringLiteral("the coordinates on line %1").arg(xml.lineNumber());
        for (QStringView tuple : QStringView(text).split(u' ', Qt::SkipEmptyParts)) {
            const auto parts = tuple.split(u',');
            if (parts.size() < 2 || parts.size() > 3)
                return fail(QStringLiteral("%1 are not \"longitude,latitude[,altitude]\"").arg(what));
            bool okLon = false, okLat = false, okAlt = true;
            const double lon = parts.at(0).toDouble(&okLon);
            const double lat = parts.at(1).toDouble(&okLat);
            const double alt = parts.size() == 3 ? parts.at(2).toDouble(&okAlt) : 0.0;
            if (!okLon || !okLat || !okAlt)
                return fail(QStringLiteral("%1 hold something that is not a number").arg(what));
            if (QString e = coordinateProblem(lat, lon, what); !e.isEmpty())
                return fail(e);
            if (QString e = altitudeProblem(alt, what); !e.isEmpty())
                return fail(e);
            if (g.points.isEmpty() && parts.size() == 3 && altitudeCounts)
                g.firstAltitude = alt;
            g.points.append({lat, lon});
        }
        return true;
    }

    // One LineString, Point or LinearRing: its altitude mode and coordinates.
    bool geometry(bool isLine, bool isRing)
    {
        Geometry g;
        g.isLine = isLine;
        QString mode;
        QString coordinates;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"altitudeMode")
                mode = xml.readElementText().trimmed();
            else if (xml.name() == u"coordinates")
                coordinates = xml.readElementText();
            else
                xml.skipCurrentElement();
        }
        if (xml.hasError())
            return false;
        coordinates.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
        const auto reference = modeReference(mode);
        g.reference = reference.value_or(HeightReference::Unknown);
        if (!parseCoordinates(coordinates, g, reference.has_value()))
            return false;
        // A closed ring repeats its first vertex; it is one waypoint.
        if (isRing && g.points.size() > 1 && g.points.first() == g.points.last())
            g.points.removeLast();
        if (!g.points.isEmpty())
            geometries.append(std::move(g));
        return true;
    }

    bool polygon()
    {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"outerBoundaryIs") {
                while (xml.readNextStartElement()) {
                    if (xml.name() == u"LinearRing") {
                        if (!geometry(true, true))
                            return false;
                    } else {
                        xml.skipCurrentElement();
                    }
                }
            } else {
                xml.skipCurrentElement(); // inner rings are holes, not part of the route
            }
        }
        return !xml.hasError();
    }

    void data()
    {
        const QString name = xml.attributes().value(QStringLiteral("name")).toString();
        QString value;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"value")
                value = xml.readElementText().trimmed();
            else
                xml.skipCurrentElement();
        }
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (name == u"speed" && ok && std::isfinite(v) && v > 0)
            plan.speed = v;
        else if (name == u"altitude" && ok && std::isfinite(v))
            dataAltitude = v;
        else if (name == u"altitudeReference")
            dataReference = value;
        else if (name == u"terrainFollow" && (value == u"true" || value == u"false"))
            plan.terrainFollow = value == u"true";
    }

    // Everything below the root: containers are walked, geometry is read, the rest skipped.
    bool element()
    {
        const QStringView n = xml.name();
        if (n == u"LineString")
            return geometry(true, false);
        if (n == u"Point")
            return geometry(false, false);
        if (n == u"Polygon")
            return polygon();
        if (n == u"Data") {
            data();
            return !xml.hasError();
        }
        if (n == u"Document" || n == u"Folder" || n == u"Placemark" || n == u"MultiGeometry" || n == u"ExtendedData") {
            while (xml.readNextStartElement())
                if (!element())
                    return false;
            return !xml.hasError();
        }
        xml.skipCurrentElement();
        return !xml.hasError();
    }

    bool read()
    {
        if (QString e = readToRoot(xml, bytes, kFile); !e.isEmpty())
            return fail(e);
        if (xml.name() != u"kml")
            return fail(QStringLiteral("this is %1, not KML").arg(xmlRootKind(xml.name())));
        while (xml.readNextStartElement())
            if (!element())
                return false;
        // Read to the end, so damage after the last placemark is still found.
        while (!xml.atEnd())
            xml.readNext();
        return !xml.hasError();
    }

    // The plan's own altitude in its data wins over the geometry's heights. Our earlier files
    // gave it without a reference, meaning above the ground with terrain follow, else above take-off.
    // A reference alone (our flight exports) tells what the geometry's heights are.
    void resolveAltitude(const Geometry *first)
    {
        if (dataAltitude) {
            plan.altitude = dataAltitude;
            if (!dataReference.isEmpty())
                plan.altitudeReference = heightReferenceFromKey(dataReference).value_or(HeightReference::Unknown);
            else if (plan.terrainFollow)
                plan.altitudeReference = *plan.terrainFollow ? HeightReference::Ground : HeightReference::TakeOff;
            else
                plan.altitudeReference = HeightReference::Unknown;
        } else if (first) {
            plan.altitude = first->firstAltitude;
            plan.altitudeReference = dataReference.isEmpty()
                ? first->reference
                : heightReferenceFromKey(dataReference).value_or(HeightReference::Unknown);
        }
    }
};

// Heights as KML can say them: the mode, and the altitude each position carries (none on the ground).
std::pair<QString, std::optional<double>> kmlHeights(const MissionPlan &plan)
{
    if (plan.altitude && std::isfinite(*plan.altitude)) {
        if (plan.altitudeReference == HeightReference::Ground)
            return {QStringLiteral("relativeToGround"), plan.altitude};
        if (plan.altitudeReference == HeightReference::SeaLevel)
            return {QStringLiteral("absolute"), plan.altitude};
    }
    return {QStringLiteral("clampToGround"), std::nullopt};
}
} // namespace

PlanReadResult readKml(const QByteArray &bytes)
{
    KmlReader r(bytes);
    if (!r.read())
        return PlanReadResult::failure(r.error.isEmpty() ? xmlDamagedText(r.xml, bytes, kFile) : r.error);
    // Points beside a line are its labels (as we write them), not more waypoints.
    const bool anyLine = std::any_of(r.geometries.cbegin(), r.geometries.cend(), [](const Geometry &g) { return g.isLine; });
    const Geometry *firstWithAltitude = nullptr;
    for (const Geometry &g : std::as_const(r.geometries)) {
        if (g.isLine != anyLine)
            continue;
        if (!firstWithAltitude && g.firstAltitude && r.plan.waypoints.isEmpty())
            firstWithAltitude = &g;
        r.plan.waypoints.append(g.points);
    }
    r.resolveAltitude(firstWithAltitude);
    return finish(std::move(r.plan), 0, QStringLiteral("the KML file has no placemark with a position"));
}

QByteArray writeKml(const MissionPlan &plan)
{
    const auto [mode, height] = kmlHeights(plan);
    const auto tuple = [h = height](const Coordinate &c) {
        QString t = number(c.longitude) + u',' + number(c.latitude);
        if (h)
            t += u',' + number(*h);
        return t;
    };
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    w.writeStartElement(QStringLiteral("kml"));
    w.writeStartElement(QStringLiteral("Document"));
    w.writeTextElement(QStringLiteral("name"), QStringLiteral("Mission Plan"));

    QList<std::pair<QString, QString>> data;
    if (plan.altitude && std::isfinite(*plan.altitude)) {
        data.append({QStringLiteral("altitude"), number(*plan.altitude)});
        data.append({QStringLiteral("altitudeReference"), heightReferenceKey(plan.altitudeReference)});
    }
    if (plan.speed)
        data.append({QStringLiteral("speed"), number(*plan.speed)});
    if (plan.terrainFollow)
        data.append(
            {QStringLiteral("terrainFollow"), *plan.terrainFollow ? QStringLiteral("true") : QStringLiteral("false")});
    if (!data.isEmpty()) {
        w.writeStartElement(QStringLiteral("ExtendedData"));
        for (const auto &[name, value] : std::as_const(data)) {
            w.writeStartElement(QStringLiteral("Data"));
            w.writeAttribute(QStringLiteral("name"), name);
            w.writeTextElement(QStringLiteral("value"), value);
            w.writeEndElement();
        }
        w.writeEndElement();
    }

    if (plan.waypoints.size() >= 2) {
        w.writeStartElement(QStringLiteral("Placemark"));
        w.writeTextElement(QStringLiteral("name"), QStringLiteral("Flight path"));
        w.writeStartElement(QStringLiteral("LineString"));
        w.writeTextElement(QStringLiteral("altitudeMode"), mode);
        QString coords;
        coords.reserve(plan.waypoints.size() * 40);
        for (const Coordinate &c : plan.waypoints)
            coords += tuple(c) + u' ';
        coords.chop(1);
        w.writeTextElement(QStringLiteral("coordinates"), coords);
        w.writeEndElement(); // LineString
        w.writeEndElement(); // Placemark
    }

    for (qsizetype i = 0; i < plan.waypoints.size(); ++i) {
        w.writeStartElement(QStringLiteral("Placemark"));
        w.writeTextElement(QStringLiteral("name"), QStringLiteral("WP%1").arg(i + 1));
        w.writeStartElement(QStringLiteral("Point"));
        w.writeTextElement(QStringLiteral("altitudeMode"), mode);
        w.writeTextElement(QStringLiteral("coordinates"), tuple(plan.waypoints.at(i)));
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement(); // Document
    w.writeEndElement(); // kml
    w.writeEndDocument();
    return out;
}

} // namespace zeltrin::planio
