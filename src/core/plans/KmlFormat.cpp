// KML: Placemarks with LineString, Point and Polygon geometry, in Documents and Folders at any
// depth. A plan is the lines and polygon outlines in document order; a file with neither gives
// its points. We write one LineString and a Point Placemark per waypoint, which reads back as
// the line alone.
#include "PlanChecks.h"
#include "PlanFormats.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace zeltrin::planio {
using namespace detail;

namespace {
struct Geometry {
    QList<Coordinate> points;
    std::optional<double> firstAltitude;
    bool isLine = false;
};

struct KmlReader {
    QXmlStreamReader xml;
    QList<Geometry> geometries;
    MissionPlan plan;
    QString error;
    int coordinatesSeen = 0;

    explicit KmlReader(const QByteArray &bytes) : xml(bytes) {}

    bool fail(QString e)
    {
        if (error.isEmpty())
            error = std::move(e);
        return false;
    }

    // "lon,lat[,alt]" tuples separated by white space.
    bool parseCoordinates(const QString &text, Geometry &g, bool altitudeCounts)
    {
        ++coordinatesSeen;
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
        QString mode = QStringLiteral("clampToGround");
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
        if (!parseCoordinates(coordinates, g, mode != u"clampToGround" && mode != u"clampToSeaFloor"))
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
            plan.altitude = v;
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
        // Before the root: refuse a DTD that declares entities (nested ones expand without bound).
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::DTD) {
                if (!xml.entityDeclarations().isEmpty() || xml.text().contains(u"<!ENTITY"))
                    return fail(QStringLiteral("it declares XML entities, which are not read"));
            } else if (token == QXmlStreamReader::StartElement) {
                break;
            }
        }
        if (xml.hasError())
            return false;
        if (xml.tokenType() != QXmlStreamReader::StartElement || xml.name() != u"kml")
            return fail(QStringLiteral("it is not a KML document"));
        while (xml.readNextStartElement())
            if (!element())
                return false;
        // Read to the end, so damage after the last placemark is still found.
        while (!xml.atEnd())
            xml.readNext();
        return !xml.hasError();
    }
};
} // namespace

PlanReadResult readKml(const QByteArray &bytes)
{
    KmlReader r(bytes);
    if (!r.read()) {
        if (!r.error.isEmpty())
            return PlanReadResult::failure(r.error);
        return PlanReadResult::failure(QStringLiteral("the XML is damaged at line %1 (%2)")
                                           .arg(r.xml.lineNumber()).arg(r.xml.errorString()));
    }
    // Points beside a line are its labels (as we write them), not more waypoints.
    const bool anyLine = std::any_of(r.geometries.cbegin(), r.geometries.cend(), [](const Geometry &g) { return g.isLine; });
    for (const Geometry &g : std::as_const(r.geometries)) {
        if (g.isLine != anyLine)
            continue;
        if (r.plan.waypoints.isEmpty() && g.firstAltitude && !r.plan.altitude)
            r.plan.altitude = g.firstAltitude;
        r.plan.waypoints.append(g.points);
    }
    return finish(std::move(r.plan), 0);
}

QByteArray writeKml(const MissionPlan &plan)
{
    const double altitude = plan.altitude.value_or(50.0);
    const QString alt = number(altitude);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    w.writeStartElement(QStringLiteral("kml"));
    w.writeStartElement(QStringLiteral("Document"));
    w.writeTextElement(QStringLiteral("name"), QStringLiteral("Mission Plan"));

    w.writeStartElement(QStringLiteral("Placemark"));
    w.writeTextElement(QStringLiteral("name"), QStringLiteral("Flight path"));
    w.writeStartElement(QStringLiteral("ExtendedData"));
    const auto data = [&w](const QString &name, const QString &value) {
        w.writeStartElement(QStringLiteral("Data"));
        w.writeAttribute(QStringLiteral("name"), name);
        w.writeTextElement(QStringLiteral("value"), value);
        w.writeEndElement();
    };
    data(QStringLiteral("altitude"), alt);
    if (plan.speed)
        data(QStringLiteral("speed"), number(*plan.speed));
    if (plan.terrainFollow)
        data(QStringLiteral("terrainFollow"), *plan.terrainFollow ? QStringLiteral("true") : QStringLiteral("false"));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("LineString"));
    w.writeTextElement(QStringLiteral("altitudeMode"), QStringLiteral("relativeToGround"));
    QString coords;
    coords.reserve(plan.waypoints.size() * 40);
    for (const Coordinate &c : plan.waypoints)
        coords += number(c.longitude) + u',' + number(c.latitude) + u',' + alt + u' ';
    coords.chop(1);
    w.writeTextElement(QStringLiteral("coordinates"), coords);
    w.writeEndElement(); // LineString
    w.writeEndElement(); // Placemark

    for (qsizetype i = 0; i < plan.waypoints.size(); ++i) {
        const Coordinate &c = plan.waypoints.at(i);
        w.writeStartElement(QStringLiteral("Placemark"));
        w.writeTextElement(QStringLiteral("name"), QStringLiteral("WP%1").arg(i + 1));
        w.writeStartElement(QStringLiteral("Point"));
        w.writeTextElement(QStringLiteral("altitudeMode"), QStringLiteral("relativeToGround"));
        w.writeTextElement(QStringLiteral("coordinates"), number(c.longitude) + u',' + number(c.latitude) + u',' + alt);
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement(); // Document
    w.writeEndElement(); // kml
    w.writeEndDocument();
    return out;
}

} // namespace zeltrin::planio
