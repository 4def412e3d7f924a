// GPX 1.0 and 1.1, read only. A plan is the routes (<rte>/<rtept>) in order; a file without
// routes gives its track segments (<trk>/<trkseg>/<trkpt>) in order, one without either its
// waypoints (<wpt>). Elements are taken from the root's namespace only, so extensions of other
// programs (which GPX 1.0 puts beside the standard elements) are passed over.
//
// Heights: <ele> is a height above sea level. The height above take-off our flight exports keep
// in their own extension is read as such.
#include "PlanChecks.h"
#include "PlanFormats.h"
#include "PlanXml.h"

#include <QXmlStreamReader>

namespace zeltrin::planio {
using namespace detail;

namespace {
const QString kFile = QStringLiteral("GPX file");

struct Point {
    Coordinate position;
    std::optional<double> elevation;    // above sea level
    std::optional<double> aboveTakeoff; // our extension
};

struct GpxReader {
    const QByteArray &bytes;
    QXmlStreamReader xml;
    QString gpxNamespace;
    QList<QList<Point>> routes, segments;
    QList<Point> waypoints;
    QString error;

    explicit GpxReader(const QByteArray &b) : bytes(b), xml(b) {}

    bool fail(QString e)
    {
        if (error.isEmpty())
            error = std::move(e);
        return false;
    }

    bool isGpx(QStringView name) const { return xml.namespaceUri() == gpxNamespace && xml.name() == name; }
    bool isOurs(QStringView name) const { return xml.namespaceUri() == kGpxExtensionNamespace && xml.name() == name; }

    // A number element's text; fails naming `what` when it is not a finite number.
    bool numberText(const QString &what, std::optional<double> &into)
    {
        const QString text = xml.readElementText().trimmed();
        if (xml.hasError())
            return false;
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return fail(QStringLiteral("%1 is not a number").arg(what));
        into = v;
        return true;
    }

    // The heights inside a point, and inside its <extensions>.
    bool pointChildren(Point &p, const QString &what)
    {
        while (xml.readNextStartElement()) {
            if (isGpx(u"ele")) {
                if (!numberText(QStringLiteral("the elevation of %1").arg(what), p.elevation))
                    return false;
            } else if (isOurs(kGpxHeightAboveTakeoff)) {
                if (!numberText(QStringLiteral("the height above take-off of %1").arg(what), p.aboveTakeoff))
                    return false;
            } else if (isGpx(u"extensions")) {
                if (!pointChildren(p, what))
                    return false;
            } else {
                xml.skipCurrentElement();
            }
        }
        return !xml.hasError();
    }

    // One point; `what` reads "route point 3 on line 12".
    bool point(const QString &kind, qsizetype number, QList<Point> &into)
    {
        const QString what = QStringLiteral("%1 %2 on line %3").arg(kind).arg(number).arg(xml.lineNumber());
        const QXmlStreamAttributes a = xml.attributes();
        if (!a.hasAttribute(QStringLiteral("lat")) || !a.hasAttribute(QStringLiteral("lon")))
            return fail(QStringLiteral("%1 has no lat and lon").arg(what));
        bool okLat = false, okLon = false;
        const double lat = a.value(QStringLiteral("lat")).trimmed().toDouble(&okLat);
        const double lon = a.value(QStringLiteral("lon")).trimmed().toDouble(&okLon);
        if (!okLat || !okLon)
            return fail(QStringLiteral("%1 has a coordinate that is not a number").arg(what));
        if (QString e = coordinateProblem(lat, lon, what); !e.isEmpty())
            return fail(e);
        Point p{{lat, lon}, {}, {}};
        if (!pointChildren(p, what))
            return false;
        into.append(p);
        return true;
    }

    // The points named `pointName` in a route or a track segment.
    bool points(QStringView pointName, const QString &kind, QList<QList<Point>> &into)
    {
        QList<Point> list;
        while (xml.readNextStartElement()) {
            if (isGpx(pointName)) {
                if (!point(kind, list.size() + 1, list))
                    return false;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (xml.hasError())
            return false;
        if (!list.isEmpty())
            into.append(std::move(list));
        return true;
    }

    bool read()
    {
        if (QString e = readToRoot(xml, bytes, kFile); !e.isEmpty())
            return fail(e);
        if (xml.name() != u"gpx")
            return fail(QStringLiteral("this is %1, not GPX").arg(xmlRootKind(xml.name())));
        gpxNamespace = xml.namespaceUri().toString();
        while (xml.readNextStartElement()) {
            bool ok = true;
            if (isGpx(u"wpt")) {
                ok = point(QStringLiteral("waypoint"), waypoints.size() + 1, waypoints);
            } else if (isGpx(u"rte")) {
                ok = points(u"rtept", QStringLiteral("route point"), routes);
            } else if (isGpx(u"trk")) {
                while (ok && xml.readNextStartElement()) {
                    if (isGpx(u"trkseg"))
                        ok = points(u"trkpt", QStringLiteral("track point"), segments);
                    else
                        xml.skipCurrentElement();
                }
            } else {
                xml.skipCurrentElement();
            }
            if (!ok || xml.hasError())
                return false;
        }
        // Read to the end, so damage after the last point is still found.
        while (!xml.atEnd())
            xml.readNext();
        return !xml.hasError();
    }
};
} // namespace

PlanReadResult readGpx(const QByteArray &bytes)
{
    GpxReader r(bytes);
    if (!r.read())
        return PlanReadResult::failure(r.error.isEmpty() ? xmlDamagedText(r.xml, bytes, kFile) : r.error);
    QList<Point> chosen;
    for (const auto &part : std::as_const(!r.routes.isEmpty() ? r.routes : r.segments))
        chosen.append(part);
    if (chosen.isEmpty())
        chosen = r.waypoints;
    MissionPlan plan;
    plan.waypoints.reserve(chosen.size());
    for (const Point &p : std::as_const(chosen)) {
        plan.waypoints.append(p.position);
        if (plan.altitude)
            continue;
        if (p.aboveTakeoff) {
            plan.altitude = p.aboveTakeoff;
            plan.altitudeReference = HeightReference::TakeOff;
        } else if (p.elevation) {
            plan.altitude = p.elevation;
            plan.altitudeReference = HeightReference::SeaLevel;
        }
    }
    return finish(std::move(plan), 0, QStringLiteral("the GPX file has no route, track or waypoint"));
}

} // namespace zeltrin::planio
