// GDAL, an independent reader and writer: it must see our KML and GeoJSON coordinates as we
// wrote them, and we must read the KML and GeoJSON it writes from routes in other formats.
#include "PlanFormats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::Coordinate;
using zeltrin::MissionPlan;
using zeltrin::PlanReadResult;
using namespace zeltrin::planio;

Q_DECLARE_METATYPE(Format)

namespace {
const QList<Coordinate> kRoute = {{47.397742123, 8.545594456}, {47.398012345, 8.546543210}, {-33.8688197, 151.2092955},
                                  {0.0000003, -0.0000004}};

QString ogr(const QString &name)
{
    const QString ogr2ogr = qEnvironmentVariable("ZELTRIN_OGR2OGR", QStringLiteral("ogr2ogr"));
    return name == u"ogr2ogr" ? ogr2ogr : ogr2ogr.left(ogr2ogr.size() - 7) + name;
}

// Runs a GDAL tool; its standard output, or fails the test.
QByteArray run(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(ogr(tool), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << tool << args.join(' ') << p.readAllStandardError();
        return QByteArray("failed");
    }
    return p.readAllStandardOutput();
}

// The line strings of a GeoJSON document as Qt's own JSON parser reads them.
QList<Coordinate> lineIn(const QByteArray &geojson)
{
    QList<Coordinate> out;
    for (const QJsonValue &f : QJsonDocument::fromJson(geojson).object().value("features").toArray()) {
        const QJsonObject g = f.toObject().value("geometry").toObject();
        if (g.value("type").toString() != "LineString")
            continue;
        for (const QJsonValue &p : g.value("coordinates").toArray())
            out.append({p.toArray().at(1).toDouble(), p.toArray().at(0).toDouble()});
    }
    return out;
}

bool sameRoute(const QList<Coordinate> &a, const QList<Coordinate> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::abs(a[i].latitude - b[i].latitude) > 1e-7 || std::abs(a[i].longitude - b[i].longitude) > 1e-7)
            return false;
    return true;
}
} // namespace

class TestPlanFormatsGdal : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void gdalReadsOurs_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("kml") << Format::Kml;
        QTest::newRow("kmz") << Format::Kmz;
        QTest::newRow("geojson") << Format::GeoJson;
    }
    void gdalReadsOurs()
    {
        QFETCH(Format, format);
        MissionPlan plan;
        plan.waypoints = kRoute;
        plan.altitude = 42;
        plan.speed = 7;
        const QString path = m_dir.filePath("ours." + extensionFor(format));
        QCOMPARE(savePlanFile(plan, path, format), QString());

        // One line and a point per waypoint.
        const QByteArray info = run("ogrinfo", {"-ro", "-al", "-so", path});
        QVERIFY2(info.contains(QByteArray("Feature Count: ") + QByteArray::number(kRoute.size() + 1)), info.constData());
        const QByteArray json = run("ogr2ogr", {"-f", "GeoJSON", "/vsistdout/", path});
        const QList<Coordinate> seen = lineIn(json);
        QVERIFY2(sameRoute(seen, kRoute), json.left(2000).constData());
    }

    // One waypoint is one Point feature (a LineString needs two positions); GDAL says so.
    void oneWaypointIsAPoint_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<bool>("aboveGround"); // a height GDAL sees (KML relativeToGround)
        QTest::addColumn<QByteArray>("wkt");   // how ogrinfo lists the geometry
        QTest::newRow("kml") << Format::Kml << false << QByteArray("  POINT (");
        QTest::newRow("kml above ground") << Format::Kml << true << QByteArray("  POINT Z (");
        QTest::newRow("kmz") << Format::Kmz << false << QByteArray("  POINT (");
        QTest::newRow("geojson") << Format::GeoJson << false << QByteArray("  POINT (");
    }
    void oneWaypointIsAPoint()
    {
        QFETCH(Format, format);
        QFETCH(bool, aboveGround);
        QFETCH(QByteArray, wkt);
        MissionPlan plan;
        plan.waypoints = {kRoute.at(2)};
        plan.altitude = 42;
        plan.altitudeReference = aboveGround ? zeltrin::HeightReference::Ground : zeltrin::HeightReference::TakeOff;
        const QString path = m_dir.filePath("one." + extensionFor(format));
        QCOMPARE(savePlanFile(plan, path, format), QString());

        // The features as GDAL lists them, geometry in WKT.
        const QByteArray info = run("ogrinfo", {"-ro", "-al", path});
        QVERIFY2(info.contains("Feature Count: 1\n") && info.contains(wkt) && !info.contains("LINESTRING"),
                 info.constData());
        const QJsonArray features = QJsonDocument::fromJson(run("ogr2ogr", {"-f", "GeoJSON", "/vsistdout/", path}))
                                        .object()
                                        .value("features")
                                        .toArray();
        QCOMPARE(features.size(), 1);
        const QJsonObject g = features.at(0).toObject().value("geometry").toObject();
        QCOMPARE(g.value("type").toString(), "Point");
        const QJsonArray c = g.value("coordinates").toArray();
        QVERIFY(sameRoute({{c.at(1).toDouble(), c.at(0).toDouble()}}, plan.waypoints));
        QCOMPARE(c.size(), aboveGround ? 3 : 2);
        if (aboveGround)
            QCOMPARE(c.at(2).toDouble(), 42.0);
    }

    void weReadGdals_data()
    {
        QTest::addColumn<QString>("source");   // file name of the route GDAL converts
        QTest::addColumn<QByteArray>("route");
        QTest::addColumn<QStringList>("layer");
        QTest::addColumn<QString>("target");   // GDAL driver it writes

        QByteArray gpx = R"(<?xml version="1.0"?><gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><rte><name>Route</name>)";
        QByteArray geo = R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"Route"},"geometry":{"type":"LineString","coordinates":[)";
        QByteArray kml = R"(<?xml version="1.0"?><kml xmlns="http://www.opengis.net/kml/2.2"><Document><Placemark><name>Route</name><LineString><coordinates>)";
        for (const Coordinate &c : kRoute) {
            const QByteArray lat = QByteArray::number(c.latitude, 'f', 9), lon = QByteArray::number(c.longitude, 'f', 9);
            gpx += "<rtept lat=\"" + lat + "\" lon=\"" + lon + "\"/>";
            geo += "[" + lon + "," + lat + "],";
            kml += lon + "," + lat + " ";
        }
        gpx += "</rte></gpx>";
        geo.chop(1);
        geo += "]}}]}";
        kml += "</coordinates></LineString></Placemark></Document></kml>";
        for (const char *target : {"KML", "GeoJSON"}) {
            QTest::addRow("gpx to %s", target) << "route.gpx" << gpx << QStringList{"routes"} << target;
            QTest::addRow("geojson to %s", target) << "route.geojson" << geo << QStringList{} << target;
            QTest::addRow("kml to %s", target) << "route.kml" << kml << QStringList{} << target;
        }
    }
    void weReadGdals()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, route);
        QFETCH(QStringList, layer);
        QFETCH(QString, target);
        const QString in = m_dir.filePath(source);
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(route);
        f.close();
        const QString out = m_dir.filePath(QStringLiteral("gdal-%1-%2.%3").arg(source, target, target == "KML" ? "kml" : "geojson"));
        QFile::remove(out);
        QVERIFY(run("ogr2ogr", QStringList{"-f", target, out, in} + layer) != "failed");
        const PlanReadResult r = readPlanFile(out);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QVERIFY(sameRoute(r.plan->waypoints, kRoute));
    }
};

QTEST_GUILESS_MAIN(TestPlanFormatsGdal)
#include "tst_planformats_gdal.moc"
