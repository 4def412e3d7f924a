// GPX as a plan: files GPSBabel and GDAL write from a route we give them (as CSV or GeoJSON),
// hand-written variants of GPX 1.0 and 1.1, and damaged files with the reasons the pilot reads.
#include "PlanFormats.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::Coordinate;
using zeltrin::HeightReference;
using zeltrin::PlanReadResult;
using namespace zeltrin::planio;

namespace {
// Precise positions, both hemispheres, and a height above sea level at each.
struct RoutePoint {
    double lat, lon, ele;
};
const QList<RoutePoint> kRoute = {{47.397742123, 8.545594456, 488.5},
                                  {47.398012345, 8.546543210, 490.25},
                                  {-33.8688197, 151.2092955, 12},
                                  {0.0000003, -179.9999996, -3.5}};

// A tool's path from the build; empty when it is not installed.
QString tool(const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    return path.isEmpty() || path.endsWith(u"-NOTFOUND") ? QString() : path;
}

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    qWarning().noquote() << program << args.join(u' ') << p.readAllStandardError();
    return false;
}

QByteArray csv()
{
    QByteArray out = "No,Latitude,Longitude,Altitude\n";
    for (qsizetype i = 0; i < kRoute.size(); ++i)
        out += QByteArray::number(i + 1) + ',' + QByteArray::number(kRoute[i].lat, 'f', 9) + ','
            + QByteArray::number(kRoute[i].lon, 'f', 9) + ',' + QByteArray::number(kRoute[i].ele) + '\n';
    return out;
}

// The route as one LineString, or as Points (GDAL writes a waypoint's <ele> from its "ele" field,
// not from the position's height).
QByteArray geojson(bool points)
{
    QByteArray positions, features;
    for (const RoutePoint &p : kRoute) {
        const QByteArray position = '[' + QByteArray::number(p.lon, 'f', 9) + ',' + QByteArray::number(p.lat, 'f', 9)
            + ',' + QByteArray::number(p.ele) + ']';
        positions += (positions.isEmpty() ? "" : ",") + position;
        features += QByteArray(features.isEmpty() ? "" : ",") + R"({"type":"Feature","properties":{"speed":5,"ele":)"
            + QByteArray::number(p.ele) + R"(},"geometry":{"type":"Point","coordinates":)" + position + "}}";
    }
    if (points)
        return R"({"type":"FeatureCollection","features":[)" + features + "]}";
    return R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"Route","speed":5},)"
           R"("geometry":{"type":"LineString","coordinates":[)"
        + positions + "]}}]}";
}

QByteArray gpx11(const QByteArray &body)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        + body + "\n</gpx>\n";
}
} // namespace

class TestPlanFormatsGpx : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
        return path;
    }

private Q_SLOTS:
    // Each tool writes the route as a GPX route, track or waypoints; we read it whole, in order,
    // with the first elevation as a height above sea level.
    void toolsWrite_data()
    {
        QTest::addColumn<QString>("program");  // environment variable of the tool
        QTest::addColumn<QString>("source");   // what we give it: route.csv, line.geojson, points.geojson
        QTest::addColumn<QStringList>("args"); // %in and %out stand for the files
        QTest::addColumn<QByteArray>("holds"); // proof of the kind of file it wrote
        const QStringList babel{"-i", "unicsv", "-f", "%in"};
        for (const char *version : {"1.0", "1.1"}) {
            const QString out = QStringLiteral("gpx,gpxver=%1").arg(version);
            QTest::addRow("GPSBabel route, GPX %s", version)
                << "ZELTRIN_GPSBABEL"
                << "route.csv" << babel + QStringList{"-x", "transform,rte=wpt,del", "-o", out, "-F", "%out"}
                << QByteArray("<rtept");
            QTest::addRow("GPSBabel track, GPX %s", version)
                << "ZELTRIN_GPSBABEL"
                << "route.csv" << babel + QStringList{"-x", "transform,trk=wpt,del", "-o", out, "-F", "%out"}
                << QByteArray("<trkpt");
            QTest::addRow("GPSBabel waypoints, GPX %s", version)
                << "ZELTRIN_GPSBABEL"
                << "route.csv" << babel + QStringList{"-o", out, "-F", "%out"} << QByteArray("<wpt");
        }
        const QStringList gdal{"-f", "GPX", "-dsco", "GPX_USE_EXTENSIONS=YES", "%out", "%in"};
        QTest::newRow("GDAL route") << "ZELTRIN_OGR2OGR"
                                    << "line.geojson" << gdal << QByteArray("<rtept");
        QTest::newRow("GDAL track") << "ZELTRIN_OGR2OGR"
                                    << "line.geojson" << gdal + QStringList{"-lco", "FORCE_GPX_TRACK=YES"}
                                    << QByteArray("<trkpt");
        QTest::newRow("GDAL waypoints") << "ZELTRIN_OGR2OGR"
                                        << "points.geojson" << gdal << QByteArray("<wpt");
    }
    void toolsWrite()
    {
        QFETCH(QString, program);
        QFETCH(QString, source);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, holds);
        const QString exe = tool(program.toLatin1().constData());
        if (exe.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("gpsbabel or ogr2ogr is not installed; scripts/ensure-deps.sh installs them");
            QSKIP("gpsbabel or ogr2ogr is not installed (scripts/ensure-deps.sh installs them)");
        }
        const QString in = write(source, source.endsWith(u".csv") ? csv() : geojson(source.startsWith(u"points")));
        const QString out = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-') + ".gpx");
        QFile::remove(out);
        args.replaceInStrings(QStringLiteral("%in"), in).replaceInStrings(QStringLiteral("%out"), out);
        QVERIFY(run(exe, args));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(holds));

        const PlanReadResult r = readPlanFile(out);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints.size(), kRoute.size());
        for (qsizetype i = 0; i < kRoute.size(); ++i) {
            const Coordinate &c = r.plan->waypoints[i];
            QVERIFY2(std::abs(c.latitude - kRoute[i].lat) < 1e-9 && std::abs(c.longitude - kRoute[i].lon) < 1e-9,
                     qPrintable(
                         QStringLiteral("%1: %2,%3").arg(i).arg(c.latitude, 0, 'g', 12).arg(c.longitude, 0, 'g', 12)));
        }
        QCOMPARE(r.plan->altitude, 488.5);
        QCOMPARE(r.plan->altitudeReference, HeightReference::SeaLevel);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Coordinate>>("waypoints");
        QTest::addColumn<double>("altitude"); // NaN: none
        const double none = qQNaN();
        const QByteArray wpt = "<wpt lat=\"1\" lon=\"2\"><ele>5</ele></wpt>";
        const QByteArray rte =
            "<rte><name>R</name><rtept lat=\"3\" lon=\"4\"><ele>6</ele><name>a</name></rtept><rtept lat=\"5\" lon=\"6\"/></rte>";
        const QByteArray trk = "<trk><trkseg><trkpt lat=\"7\" lon=\"8\"><ele>9</ele></trkpt></trkseg>"
                               "<trkseg/><trkseg><trkpt lat=\"9\" lon=\"10\"/></trkseg></trk>";
        QTest::newRow("routes before tracks and waypoints")
            << gpx11(wpt + trk + rte) << QList<Coordinate>{{3, 4}, {5, 6}} << 6.0;
        QTest::newRow("tracks before waypoints, segments in order")
            << gpx11(wpt + trk) << QList<Coordinate>{{7, 8}, {9, 10}} << 9.0;
        QTest::newRow("waypoints alone") << gpx11(wpt + "<wpt lat=\" -1.5 \" lon=\"-2\"/>")
                                         << QList<Coordinate>{{1, 2}, {-1.5, -2}} << 5.0;
        QTest::newRow("two routes in order") << gpx11(rte + "<rte><rtept lat=\"0\" lon=\"0\"/></rte>")
                                             << QList<Coordinate>{{3, 4}, {5, 6}, {0, 0}} << 6.0;
        QTest::newRow("elevation of a later point")
            << gpx11("<rte><rtept lat=\"3\" lon=\"4\"/><rtept lat=\"5\" lon=\"6\"><ele>-2.5</ele></rtept></rte>")
            << QList<Coordinate>{{3, 4}, {5, 6}} << -2.5;
        QTest::newRow("GPX 1.0, its extensions passed over")
            << QByteArray("<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\" xmlns:o=\"urn:other\"><rte>"
                          "<o:rtept lat=\"80\" lon=\"80\"/><rtept lat=\"3\" lon=\"4\"><o:ele>99</o:ele></rtept></rte>"
                          "<o:wpt lat=\"1\" lon=\"1\"/></gpx>")
            << QList<Coordinate>{{3, 4}} << none;
        QTest::newRow("GPX 1.1 extensions of others") << gpx11(
            "<rte><extensions><rtept lat=\"80\" lon=\"80\"/></extensions><rtept lat=\"3\" lon=\"4\"><extensions>"
            "<ele xmlns=\"urn:other\">99</ele></extensions></rtept></rte>")
                                                      << QList<Coordinate>{{3, 4}} << none;
        QTest::newRow("no namespace, CRLF, BOM") << QByteArray(
            "\xEF\xBB\xBF<gpx>\r\n<trk><trkseg>\r\n<trkpt lat=\"-33.8688197\" lon=\"151.2092955\"/>\r\n</trkseg></trk></gpx>\r\n")
                                                 << QList<Coordinate>{{-33.8688197, 151.2092955}} << none;
        QTest::newRow("names in another script")
            << gpx11("<rte><name>Ünïcødé 航路</name><rtept lat=\"3\" lon=\"4\"><name>峰</name></rtept></rte>")
            << QList<Coordinate>{{3, 4}} << none;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Coordinate>, waypoints);
        QFETCH(double, altitude);
        const PlanReadResult r = readPlan(bytes); // by content
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints, waypoints);
        QCOMPARE(r.plan->altitude.has_value(), !std::isnan(altitude));
        if (!std::isnan(altitude)) {
            QCOMPARE(*r.plan->altitude, altitude);
            QCOMPARE(r.plan->altitudeReference, HeightReference::SeaLevel);
        }
        QVERIFY(!r.plan->speed && !r.plan->terrainFollow && !r.plan->plannedHome);
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        // Places are where the parser stopped: at the end of "</rte>" (columns 24 to 29).
        const QByteArray route = gpx11(
            "<rte>\n<rtept lat=\"47.1\" lon=\"8.1\"/>\n<rtept lat=\"47.2\" lon=\"8.2\"/>\n</rte>");
        QTest::newRow("cut off") << route.left(route.size() - 20)
                                 << "the GPX file is damaged: it ends unexpectedly at line 5";
        QTest::newRow("tags crossed")
            << gpx11("<rte>\n<rtept lat=\"1\" lon=\"2\"></rte></rtept>")
            << "the GPX file is damaged at line 4, column 29: opening and ending tag mismatch";
        QTest::newRow("no lon") << gpx11("<rte><rtept lat=\"47.1\"/></rte>")
                                << "route point 1 on line 3 has no lat and lon";
        QTest::newRow("lat a word") << gpx11("<wpt lat=\"north\" lon=\"8\"/>")
                                    << "waypoint 1 on line 3 has a coordinate that is not a number";
        QTest::newRow("lat 91") << gpx11(
            "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"91\" lon=\"8\"/></trkseg></trk>")
                                << "track point 2 on line 3 has a latitude outside ±90°";
        QTest::newRow("lon -180.5") << gpx11("<wpt lat=\"1\" lon=\"-180.5\"/>")
                                    << "waypoint 1 on line 3 has a longitude outside ±180°";
        QTest::newRow("lat NaN") << gpx11("<wpt lat=\"NaN\" lon=\"1\"/>")
                                 << "waypoint 1 on line 3 has a coordinate that is not a number";
        QTest::newRow("ele a word") << gpx11("<rte><rtept lat=\"1\" lon=\"2\"><ele>high</ele></rtept></rte>")
                                    << "the elevation of route point 1 on line 3 is not a number";
        QTest::newRow("our height infinite") << gpx11(
            "<wpt lat=\"1\" lon=\"2\"><extensions><z:heightAboveTakeoff xmlns:z=\"https://zeltrin.app/xmlns/gpx/1\">inf"
            "</z:heightAboveTakeoff></extensions></wpt>")
                                             << "the height above take-off of waypoint 1 on line 3 is not a number";
        QTest::newRow("nothing to fly") << gpx11(
            "<metadata><name>Empty</name></metadata><rte><name>none</name></rte><trk/>")
                                        << "the GPX file has no route, track or waypoint";
        QTest::newRow("entities") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"lol\">]><gpx><wpt lat=\"1\" lon=\"2\"><name>&a;</name></wpt></gpx>")
                                  << "it declares XML entities, which are not read";
        // The root closes on line 7; the parser stops at the end of the next tag.
        QTest::newRow("damage after the last point")
            << route + "<gpx/>"
            << "the GPX file is damaged at line 8, column 6: extra content at end of document";
    }
    void refuses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY(!r.ok());
        QCOMPARE(r.error, reason);
        QCOMPARE(readGpx(bytes).error, reason);
    }
};

QTEST_GUILESS_MAIN(TestPlanFormatsGpx)
#include "tst_planformats_gpx.moc"
