#include "PlanFormats.h"

#include <QTest>

#include <zip.h>

using zeltrin::Coordinate;
using zeltrin::MissionPlan;
using zeltrin::PlanReadResult;
using namespace zeltrin::planio;

Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(FileKind)

namespace {
MissionPlan samplePlan(bool terrain)
{
    MissionPlan p;
    p.waypoints = {{47.397742123, 8.545594456}, {-33.8688197, 151.2092955}, {89.9999999, -179.9999999},
                   {-89.5, 179.25}, {0.0000001, -0.0000001}};
    p.altitude = 73.5;
    p.altitudeReference = terrain ? zeltrin::HeightReference::Ground : zeltrin::HeightReference::TakeOff;
    p.speed = 11.25;
    p.terrainFollow = terrain;
    p.plannedHome = MissionPlan::Home{{47.3977, 8.5456}, 488.25};
    return p;
}

// A zip holding one entry, stored or deflated by libzip.
QByteArray zipOf(const char *name, const QByteArray &content)
{
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(target);
    zip_t *z = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    zip_file_add(z, name, zip_source_buffer(z, content.constData(), content.size(), 0), 0);
    zip_close(z);
    zip_source_open(target);
    zip_stat_t st;
    zip_source_stat(target, &st);
    QByteArray out(qsizetype(st.size), '\0');
    zip_source_read(target, out.data(), st.size);
    zip_source_close(target);
    zip_source_free(target);
    return out;
}

QByteArray qgcItems(const QByteArray &items, const QByteArray &missionExtra = {})
{
    return R"({"fileType":"Plan","version":1,"groundStation":"QGroundControl","mission":{"version":2,)" + missionExtra
        + R"("plannedHomePosition":[47.39,8.54,488],"items":[)" + items + "]}}";
}

QByteArray simple(int command, double lat, double lon, double alt, int frame = 3, const QByteArray &extra = {})
{
    return QStringLiteral(R"({"type":"SimpleItem","command":%1,"frame":%2,"params":[0,0,0,null,%3,%4,%5],"autoContinue":true%6})")
        .arg(command).arg(frame).arg(lat, 0, 'g', 12).arg(lon, 0, 'g', 12).arg(alt).arg(QString::fromUtf8(extra)).toUtf8();
}

QByteArray kml(const QByteArray &body)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?><kml xmlns="http://www.opengis.net/kml/2.2"><Document>)" + body
        + "</Document></kml>";
}
} // namespace

class TestPlanFormats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<bool>("keepsHome");
        for (bool terrain : {false, true}) {
            const char *t = terrain ? " terrain" : "";
            QTest::addRow("plan%s", t) << Format::QgcPlan << terrain << true;
            QTest::addRow("waypoints%s", t) << Format::WaypointList << terrain << true;
            QTest::addRow("kml%s", t) << Format::Kml << terrain << false;
            QTest::addRow("kmz%s", t) << Format::Kmz << terrain << false;
            QTest::addRow("geojson%s", t) << Format::GeoJson << terrain << false;
        }
    }
    void roundTrip()
    {
        QFETCH(Format, format);
        QFETCH(bool, terrain);
        QFETCH(bool, keepsHome);
        const MissionPlan in = samplePlan(terrain);
        const QByteArray bytes = writePlan(in, format);
        QVERIFY(!bytes.isEmpty());
        const PlanReadResult r = readPlan(bytes); // recognised by content
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.skippedItems, 0);
        const MissionPlan &out = *r.plan;
        QCOMPARE(out.waypoints.size(), in.waypoints.size());
        for (qsizetype i = 0; i < in.waypoints.size(); ++i) {
            QVERIFY2(std::abs(out.waypoints[i].latitude - in.waypoints[i].latitude) < 1e-7, qPrintable(QString::number(i)));
            QVERIFY2(std::abs(out.waypoints[i].longitude - in.waypoints[i].longitude) < 1e-7, qPrintable(QString::number(i)));
        }
        QCOMPARE(out.altitude, in.altitude);
        QCOMPARE(out.altitudeReference, in.altitudeReference);
        QCOMPARE(out.speed, in.speed);
        QCOMPARE(out.terrainFollow, in.terrainFollow);
        if (keepsHome)
            QCOMPARE(out.plannedHome, in.plannedHome);
        // The format we asked for is the one we read.
        QCOMPARE(formatForPath("x." + extensionFor(format)), format);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("firstLat");
        QTest::addColumn<double>("firstLon");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<double>("altitude"); // NaN: the file gives none
        QTest::addColumn<int>("terrain");     // -1: the file gives none
        const double none = qQNaN();

        // QGroundControl plans
        QTest::newRow("plan minimal") << qgcItems(simple(16, 47.1, 8.1, 30)) << 1 << 47.1 << 8.1 << 0 << 30.0 << 0;
        QTest::newRow("plan every item kind")
            << qgcItems(simple(22, 47.0, 8.0, 10) + "," + simple(16, 47.1, 8.1, 40) + "," + simple(17, 47.2, 8.2, 40) + ","
                        + simple(18, 47.3, 8.3, 40) + "," + simple(19, 47.4, 8.4, 40) + "," + simple(31, 47.5, 8.5, 40) + ","
                        + simple(82, 47.6, 8.6, 40) + "," + simple(84, 47.7, 8.7, 40) + "," + simple(85, 47.8, 8.8, 40) + ","
                        + simple(21, 47.9, 8.9, 0) + "," + simple(201, 47.0, 8.0, 0) + "," + simple(206, 0, 0, 0, 2) + ","
                        + simple(20, 0, 0, 0, 2) + "," + simple(22, 0, 0, 10) + ","
                        + R"({"type":"SimpleItem","command":178,"frame":2,"params":[1,6.5,-1,0,0,0,0]},)"
                        + R"({"type":"ComplexItem","complexItemType":"survey","TransectStyleComplexItem":{"Items":[)"
                        + simple(16, 46.0, 7.0, 40) + "," + simple(206, 0, 0, 0, 2) + "," + simple(16, 46.1, 7.1, 40)
                        + R"(]}},{"type":"ComplexItem","complexItemType":"StructureScan","Altitude":30})")
            << 12 << 47.0 << 8.0 << 6 << 40.0 << 0;
        QTest::newRow("plan unknown fields ignored")
            << qgcItems(simple(16, 47.1, 8.1, 30, 3, R"(,"futureField":{"a":[1,2]},"Ünïcødé 航路":"é")"),
                        R"("somethingNew":[true],"cruiseSpeed":15,"hoverSpeed":4.5,)")
            << 1 << 47.1 << 8.1 << 0 << 30.0 << 0;
        QTest::newRow("plan relative") << qgcItems(simple(16, 1, 2, 30, 3, R"(,"AltitudeMode":1)")) << 1 << 1.0 << 2.0 << 0 << 30.0 << 0;
        QTest::newRow("plan AMSL") << qgcItems(simple(16, 1, 2, 530, 0, R"(,"AltitudeMode":2)")) << 1 << 1.0 << 2.0 << 0 << 530.0 << 0;
        QTest::newRow("plan above terrain") << qgcItems(simple(16, 1, 2, 530, 0, R"(,"AltitudeMode":3,"Altitude":25)")) << 1 << 1.0 << 2.0 << 0 << 25.0 << 1;
        QTest::newRow("plan terrain frame") << qgcItems(simple(16, 1, 2, 25, 10, R"(,"AltitudeMode":4)")) << 1 << 1.0 << 2.0 << 0 << 25.0 << 1;
        QTest::newRow("plan terrain frame, no item mode") << qgcItems(simple(16, 1, 2, 25, 10)) << 1 << 1.0 << 2.0 << 0 << 25.0 << 1;
        QTest::newRow("plan CRLF and BOM")
            << QByteArray("\xEF\xBB\xBF" + qgcItems(simple(16, 47.1, 8.1, 30)).replace(",", ",\r\n")) << 1 << 47.1 << 8.1 << 0 << 30.0 << 0;

        // Waypoint lists
        const QByteArray wplHome = "QGC WPL 110\n0\t1\t0\t16\t0\t0\t0\t0\t47.39\t8.54\t488\t1\n";
        QTest::newRow("wpl minimal") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1\t30\t1\n" << 1 << 47.1 << 8.1 << 0 << 30.0 << 0;
        QTest::newRow("wpl every item kind")
            << wplHome + "1\t0\t3\t22\t0\t0\t0\t0\t0\t0\t10\t1\n2\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1\t40\t1\n"
                         "3\t0\t3\t19\t5\t0\t0\t0\t47.2\t8.2\t40\t1\n4\t0\t2\t178\t1\t7\t-1\t0\t0\t0\t0\t1\n"
                         "5\t0\t2\t206\t10\t0\t0\t0\t0\t0\t0\t1\n6\t0\t3\t21\t0\t0\t0\t0\t47.3\t8.3\t0\t1\n7\t0\t2\t20\t0\t0\t0\t0\t0\t0\t0\t1\n"
            << 3 << 47.1 << 8.1 << 3 << 40.0 << 0;
        QTest::newRow("wpl terrain frame") << wplHome + "1\t0\t10\t16\t0\t0\t0\t0\t47.1\t8.1\t30\t1\n" << 1 << 47.1 << 8.1 << 0 << 30.0 << 1;
        QTest::newRow("wpl CRLF, BOM, spaces")
            << QByteArray("\xEF\xBB\xBFQGC WPL 110\r\n0 1 0 16 0 0 0 0 0 0 0 1\r\n1  0 3 16 0 0 0 0 -47.1 -8.1 30.5 1\r\n\r\n")
            << 1 << -47.1 << -8.1 << 0 << 30.5 << 0;

        // KML
        const QByteArray line = "<Placemark><name>Ünïcødé 航路</name><LineString><altitudeMode>relativeToGround</altitudeMode>"
                                "<coordinates>8.1,47.1,35 8.2,47.2,35\n\t8.3,47.3,35</coordinates></LineString></Placemark>";
        QTest::newRow("kml line") << kml(line) << 3 << 47.1 << 8.1 << 0 << 35.0 << -1;
        QTest::newRow("kml line beside labels")
            << kml(line + "<Placemark><Point><coordinates>1,2</coordinates></Point></Placemark>") << 3 << 47.1 << 8.1 << 0 << 35.0 << -1;
        QTest::newRow("kml points in folders")
            << kml("<Folder><Placemark><Point><coordinates>8.1,47.1</coordinates></Point></Placemark><Folder><Placemark><Point>"
                   "<coordinates>8.2,47.2</coordinates></Point></Placemark></Folder></Folder>")
            << 2 << 47.1 << 8.1 << 0 << none << -1;
        QTest::newRow("kml closed polygon")
            << kml("<Placemark><Polygon><outerBoundaryIs><LinearRing><coordinates>1,2 3,4 5,6 1,2</coordinates></LinearRing>"
                   "</outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>9,9 9,8 8,8 9,9</coordinates></LinearRing>"
                   "</innerBoundaryIs></Polygon></Placemark>")
            << 3 << 2.0 << 1.0 << 0 << none << -1;
        QTest::newRow("kml several lines, multigeometry")
            << kml("<Placemark><MultiGeometry><LineString><coordinates>1,2 3,4</coordinates></LineString>"
                   "<LineString><coordinates>5,6</coordinates></LineString></MultiGeometry></Placemark>")
            << 3 << 2.0 << 1.0 << 0 << none << -1;
        QTest::newRow("kml clampToGround ignores altitude")
            << kml("<Placemark><LineString><coordinates>1,2,99 3,4,99</coordinates></LineString></Placemark>") << 2 << 2.0 << 1.0 << 0 << none << -1;
        QTest::newRow("kml absolute")
            << kml("<Placemark><LineString><altitudeMode>absolute</altitudeMode><coordinates>1,2,99 3,4,99</coordinates></LineString></Placemark>")
            << 2 << 2.0 << 1.0 << 0 << 99.0 << -1;
        QTest::newRow("kml gx altitude mode, kml 2.1")
            << QByteArray(R"(<kml xmlns="http://earth.google.com/kml/2.1" xmlns:gx="http://www.google.com/kml/ext/2.2"><Placemark><LineString>)"
                          "<gx:altitudeMode>relativeToSeaFloor</gx:altitudeMode><coordinates>1,2,12 3,4,12</coordinates></LineString></Placemark></kml>")
            << 2 << 2.0 << 1.0 << 0 << 12.0 << -1;
        QTest::newRow("kml CRLF and BOM")
            << QByteArray("\xEF\xBB\xBF" + kml(line).replace("><", ">\r\n<")) << 3 << 47.1 << 8.1 << 0 << 35.0 << -1;
        QTest::newRow("kmz") << zipOf("files/route.kml", kml(line)) << 3 << 47.1 << 8.1 << 0 << 35.0 << -1;

        // GeoJSON: longitude first
        QTest::newRow("geojson line")
            << QByteArray(R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"Ünïcødé 航路"},)"
                          R"("geometry":{"type":"LineString","coordinates":[[8.1,47.1,20],[8.2,47.2,20]]}}]})")
            << 2 << 47.1 << 8.1 << 0 << 20.0 << -1;
        QTest::newRow("geojson points")
            << QByteArray(R"({"type":"FeatureCollection","crs":{"type":"name"},"features":[{"type":"Feature","properties":null,)"
                          R"("geometry":{"type":"Point","coordinates":[8.1,47.1]}},{"type":"Feature","geometry":null,"properties":{}},)"
                          R"({"type":"Feature","geometry":{"type":"MultiPoint","coordinates":[[8.2,47.2]]}}]})")
            << 2 << 47.1 << 8.1 << 0 << none << -1;
        QTest::newRow("geojson closed polygon")
            << QByteArray(R"({"type":"Polygon","coordinates":[[[1,2],[3,4],[5,6],[1,2]],[[9,9],[9,8],[9,9]]]})") << 3 << 2.0 << 1.0 << 0 << none << -1;
        QTest::newRow("geojson multilinestring feature")
            << QByteArray(R"({"type":"Feature","properties":{"speed":3,"terrainFollow":true,"other":"x"},"geometry":{"type":"MultiLineString",)"
                          R"("coordinates":[[[1,2],[3,4]],[[5,6]]]}})")
            << 3 << 2.0 << 1.0 << 0 << none << 1;
        QTest::newRow("geojson CRLF and BOM")
            << QByteArray("\xEF\xBB\xBF{\r\n\"type\": \"LineString\",\r\n\"coordinates\": [[-8.1, -47.1], [3, 4]]\r\n}\r\n")
            << 2 << -47.1 << -8.1 << 0 << none << -1;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(double, firstLat);
        QFETCH(double, firstLon);
        QFETCH(int, skipped);
        QFETCH(double, altitude);
        QFETCH(int, terrain);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints.size(), count);
        QCOMPARE(r.plan->waypoints.first().latitude, firstLat);
        QCOMPARE(r.plan->waypoints.first().longitude, firstLon);
        QCOMPARE(r.skippedItems, skipped);
        if (std::isnan(altitude))
            QVERIFY(!r.plan->altitude);
        else
            QCOMPARE(r.plan->altitude, altitude);
        if (terrain < 0)
            QVERIFY(!r.plan->terrainFollow);
        else
            QCOMPARE(r.plan->terrainFollow, terrain == 1);
    }

    void speeds()
    {
        QCOMPARE(readPlan(qgcItems(simple(16, 1, 2, 3), R"("cruiseSpeed":15,"hoverSpeed":4.5,)")).plan->speed, 4.5);
        QCOMPARE(readPlan(qgcItems(simple(16, 1, 2, 3), R"("cruiseSpeed":15,)")).plan->speed, 15.0);
        QCOMPARE(readPlan(kml("<Placemark><ExtendedData><Data name=\"speed\"><value>6.5</value></Data></ExtendedData>"
                              "<Point><coordinates>1,2</coordinates></Point></Placemark>")).plan->speed, 6.5);
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray plan = qgcItems(simple(16, 47.1, 8.1, 30));
        const QByteArray wplHome = "QGC WPL 110\n0\t1\t0\t16\t0\t0\t0\t0\t0\t0\t0\t1\n";
        const QByteArray geoLine = R"({"type":"LineString","coordinates":[[8.1,47.1],[8.2,47.2]]})";
        const QByteArray kmlLine = kml("<Placemark><LineString><coordinates>8.1,47.1 8.2,47.2</coordinates></LineString></Placemark>");

        QTest::newRow("empty") << QByteArray() << "the file is empty";
        QTest::newRow("blank, BOM only") << QByteArray("\xEF\xBB\xBF \r\n") << "the file is empty";
        QTest::newRow("GIF") << QByteArray("GIF89a....") << "this is a GIF image, not a flight plan";
        QTest::newRow("PDF") << QByteArray("%PDF-1.7\n") << "this is a PDF document, not a flight plan";
        QTest::newRow("web page") << QByteArray("<!doctype html><p>Sign in")
                                  << "this is a web page (HTML), not a flight plan";
        QTest::newRow("binary") << QByteArray("\x01\x02\x03\0\x04", 5) << "this is binary data, not a flight plan";
        QTest::newRow("text")
            << QByteArray("lat,lon\n47,8\n")
            << "it is not a flight plan (a QGroundControl plan, waypoint list, KML, KMZ, GeoJSON or GPX file)";
        QTest::newRow("other JSON") << QByteArray(R"({"hello":1})")
                                    << "this is JSON of another kind, not a flight plan";
        QTest::newRow("other XML") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>")
                                   << "this is an SVG image, not a flight plan";
        QTest::newRow("XML of another kind")
            << QByteArray("<?xml version=\"1.0\"?>\n<TrainingCenterDatabase/>")
            << "this is an XML document with a <TrainingCenterDatabase> root, not a flight plan";
        // Cut off: the last line that holds anything is named (the plan is one line, the KML
        // and the waypoint list several).
        QTest::newRow("truncated plan") << plan.left(plan.size() / 2)
                                        << "the JSON file is damaged: it ends unexpectedly at line 1";
        QTest::newRow("truncated GeoJSON") << geoLine.left(30) + "\n\n"
                                           << "the JSON file is damaged: it ends unexpectedly at line 1";
        // The place is where the parser stopped: after "tru " (column 18 to 21), at the brace;
        // after the tag that closes the wrong element (columns 8 to 19).
        QTest::newRow("GeoJSON bad value") << QByteArray("{\"type\":\n  \"LineString\",\n  \"coordinates\": tru }")
                                           << "the JSON file is damaged at line 3, column 22: illegal value";
        QTest::newRow("truncated KML") << QByteArray(kmlLine).replace("><", ">\n<").left(kmlLine.size() - 10)
                                       << "the KML file is damaged: it ends unexpectedly at line 8";
        QTest::newRow("KML tags crossed")
            << kml("<Placemark>\n<Point></Placemark></Point>")
            << "the KML file is damaged at line 2, column 19: opening and ending tag mismatch";
        QTest::newRow("truncated KMZ") << zipOf("doc.kml", kmlLine).left(60)
                                       << "the KMZ archive is damaged: it is cut short, or not a ZIP archive";
        QTest::newRow("truncated waypoint line") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1"
                                                 << "line 3 has 10 fields, not the 12 of a waypoint";
        QTest::newRow("plan of the wrong kind") << QByteArray(R"({"fileType":"GeoFence","version":1})")
                                                << "this QGroundControl file holds a \"GeoFence\", not a plan";
        QTest::newRow("plan items not a list")
            << QByteArray(R"({"fileType":"Plan","version":1,"mission":{"version":2,"items":{}}})")
            << "the mission's items are not a list";
        QTest::newRow("plan param a string") << qgcItems(R"({"type":"SimpleItem","command":16,"frame":3,"params":[0,0,0,0,"47",8,30]})") << "item 1 has a param that is not a number";
        QTest::newRow("plan command missing") << qgcItems(R"({"type":"SimpleItem","frame":3,"params":[0,0,0,0,47,8,30]})") << "item 1 has no command";
        QTest::newRow("plan six params") << qgcItems(R"({"type":"SimpleItem","command":16,"params":[0,0,0,47,8,30]})") << "does not have 7 params";
        QTest::newRow("plan speed a string") << qgcItems(simple(16, 1, 2, 3), R"("hoverSpeed":"fast",)") << "hoverSpeed is not a number";
        QTest::newRow("plan latitude 91") << qgcItems(simple(16, 91, 8, 30)) << "item 1 has a latitude outside ±90°";
        QTest::newRow("plan longitude -181") << qgcItems(simple(16, 1, 8, 30) + "," + simple(16, 1, -181, 30)) << "item 2 has a longitude outside ±180°";
        QTest::newRow("plan latitude null") << qgcItems(R"({"type":"SimpleItem","command":16,"frame":3,"params":[0,0,0,0,null,8,30]})") << "not a number";
        QTest::newRow("plan no positions")
            << qgcItems(simple(20, 0, 0, 0, 2)) << "the plan has no item with a position";
        QTest::newRow("plan no items") << qgcItems({}) << "the plan has no item with a position";
        QTest::newRow("plan home outside") << QByteArray(plan).replace("[47.39,8.54,488]", "[47.39,200,488]") << "the planned home has a longitude";
        QTest::newRow("waypoint NaN") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\tnan\t8.1\t30\t1\n" << "line 3 has a coordinate that is not a number";
        QTest::newRow("waypoint altitude inf") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\t47\t8.1\tinf\t1\n" << "altitude that is not a number";
        QTest::newRow("waypoint word") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\tx\t8.1\t30\t1\n"
                                       << "field 9 on line 3 (\u201Cx\u201D) is not a number";
        QTest::newRow("waypoint latitude -90.5") << wplHome + "1\t0\t3\t16\t0\t0\t0\t0\t-90.5\t8.1\t30\t1\n" << "latitude outside ±90°";
        QTest::newRow("waypoint header") << QByteArray("QGC WPL 999\n")
                                         << "its first line is \u201CQGC WPL 999\u201D, not \u201CQGC WPL 110\u201D";
        QTest::newRow("waypoint no items") << wplHome << "the waypoint list has no item with a position";
        QTest::newRow("kml NaN") << kml("<Placemark><Point><coordinates>nan,1</coordinates></Point></Placemark>") << "not a number";
        QTest::newRow("kml latitude order") << kml("<Placemark><Point><coordinates>47.1,100.2</coordinates></Point></Placemark>") << "latitude outside ±90°";
        QTest::newRow("kml longitude 180.5") << kml("<Placemark><Point><coordinates>180.5,1</coordinates></Point></Placemark>") << "longitude outside ±180°";
        QTest::newRow("kml one number") << kml("<Placemark><Point><coordinates>8.1</coordinates></Point></Placemark>") << "are not \"longitude,latitude";
        QTest::newRow("kml no positions")
            << kml("<Placemark><name>x</name></Placemark>") << "the KML file has no placemark with a position";
        QTest::newRow("billion laughs")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE kml [<!ENTITY a \"lol\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><kml><Document><name>&c;</name></Document></kml>")
            << "it declares XML entities";
        QTest::newRow("external entity")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE kml [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><kml><name>&x;</name></kml>")
            << "it declares XML entities";
        QTest::newRow("undeclared entity")
            << kml("<name>&x;</name>") << "the KML file is damaged at line 1, column 101: entity 'x' not declared";
        QTest::newRow("kmz without kml") << zipOf("readme.txt", "hello") << "holds no KML document";
        QTest::newRow("geojson latitude order") << QByteArray(R"({"type":"Point","coordinates":[8.1,147.1]})") << "latitude outside ±90°";
        QTest::newRow("geojson longitude 181") << QByteArray(R"({"type":"Point","coordinates":[181,1]})") << "longitude outside ±180°";
        QTest::newRow("geojson coordinate a string") << QByteArray(R"({"type":"Point","coordinates":["8",1]})") << "not [longitude, latitude]";
        QTest::newRow("geojson coordinates object") << QByteArray(R"({"type":"LineString","coordinates":{}})") << "not a list";
        QTest::newRow("geojson features not a list") << QByteArray(R"({"type":"FeatureCollection","features":3})") << "features are not a list";
        QTest::newRow("geojson unknown geometry") << QByteArray(R"({"type":"Circle","coordinates":[1,2]})")
                                                  << "the geometry has an unknown geometry type \"Circle\"";
        QTest::newRow("geojson no positions") << QByteArray(R"({"type":"FeatureCollection","features":[]})")
                                              << "the GeoJSON has no feature with a position";
    }
    void refuses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY(!r.ok());
        QVERIFY2(r.error.contains(reason), qPrintable(r.error));
    }

    // The file's name makes a refusal name what the file should have been; a reader handed
    // another format says which it is.
    void refusesNamed_data()
    {
        QTest::addColumn<FileKind>("named");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray gpx =
            "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><rte><rtept lat=\"1\" lon=\"2\"/></rte></gpx>";
        QTest::newRow("PNG as KML") << FileKind::Kml << QByteArray("\x89PNG\r\n\x1a\n")
                                    << "this is a PNG image, not KML";
        QTest::newRow("JPEG as GPX") << FileKind::Gpx << QByteArray("\xFF\xD8\xFF\xE0")
                                     << "this is a JPEG image, not GPX";
        QTest::newRow("page as plan") << FileKind::QgcPlan << QByteArray("<html><body>404</body></html>")
                                      << "this is a web page (HTML), not a QGroundControl plan";
        QTest::newRow("text as GPX") << FileKind::Gpx << QByteArray("lat,lon\n1,2\n")
                                     << "it is not GPX, nor another flight plan that can be read";
        QTest::newRow("cut-off GeoJSON") << FileKind::GeoJson << QByteArray("{\"type\":\"Point\",\n\"coordinates\":[8,")
                                         << "the GeoJSON file is damaged: it ends unexpectedly at line 2";
        QTest::newRow("cut-off plan") << FileKind::QgcPlan << QByteArray("{\"fileType\":\"Pl")
                                      << "the plan file is damaged: it ends unexpectedly at line 1";
        QTest::newRow("cut-off before the root") << FileKind::Kml << QByteArray("<?xml version=\"1.0\"?>\n<km")
                                                 << "the KML file is damaged: it ends unexpectedly at line 2";
        // Read by content all the same: a GPX file named .kml opens.
        QTest::newRow("GPX named KML, damaged")
            << FileKind::Kml << gpx.left(gpx.size() - 8) << "the GPX file is damaged: it ends unexpectedly at line 1";
        // Handed to the KML and GPX readers themselves (a KMZ holding GPX, say).
        QTest::newRow("GPX to the KML reader") << FileKind::Kml << gpx << "this is a GPX file, not KML";
        QTest::newRow("KML to the GPX reader") << FileKind::Gpx << kml({}) << "this is a KML file, not GPX";
        QTest::newRow("GPX in a KMZ") << FileKind::Kmz << zipOf("doc.kml", gpx) << "this is a GPX file, not KML";
    }
    void refusesNamed()
    {
        QFETCH(FileKind, named);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QByteArray row = QTest::currentDataTag();
        const PlanReadResult r = row.endsWith("KML reader") ? readKml(bytes)
            : row.endsWith("GPX reader")                    ? readGpx(bytes)
                                                            : readPlan(bytes, named);
        QVERIFY(!r.ok());
        QCOMPARE(r.error, reason);
    }

    // A deflated document that would unpack past the cap is refused, whatever else it holds.
    void kmzBomb()
    {
        const QByteArray doc = kml("<Placemark><Point><coordinates>1,2</coordinates></Point></Placemark>")
            + QByteArray(3 * 1024 * 1024, ' ');
        const QByteArray kmz = zipOf("doc.kml", doc);
        QVERIFY(kmz.size() < 64 * 1024);
        QVERIFY(readKmz(kmz, 8 * 1024 * 1024).ok());
        const PlanReadResult r = readKmz(kmz, 1024 * 1024);
        QVERIFY(!r.ok());
        QCOMPARE(r.error, "the KMZ's document unpacks to more than 1 MB");
    }

    // The largest plan the planner handles writes to a file that we read back whole, in every format.
    void largePlanReadsBack_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("plan") << Format::QgcPlan;
        QTest::newRow("waypoints") << Format::WaypointList;
        QTest::newRow("kml") << Format::Kml;
        QTest::newRow("kmz") << Format::Kmz;
        QTest::newRow("geojson") << Format::GeoJson;
    }
    void largePlanReadsBack()
    {
        QFETCH(Format, format);
        MissionPlan p = samplePlan(false);
        p.waypoints.clear();
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer build runs the same path at a tenth of the size: 100,000 takes it minutes.
        constexpr int kCount = 10000;
#else
        constexpr int kCount = 100000;
#endif
        for (int i = 0; i < kCount; ++i)
            p.waypoints.append({-60.123456789 + i * 0.001, 179.987654321 - i * 0.003});
        const QByteArray bytes = writePlan(p, format);
        QVERIFY(bytes.size() < kMaxFileBytes);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints.size(), p.waypoints.size());
        QCOMPARE(r.plan->waypoints.last().latitude, p.waypoints.last().latitude);
        QCOMPARE(r.plan->waypoints.last().longitude, p.waypoints.last().longitude);
    }

    void skippedText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("one") << 1 << "1 item without a position was skipped";
        QTest::newRow("three") << 3 << "3 items without a position were skipped";
    }
    void skippedText()
    {
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(skippedItemsText(count), text);
    }
};

QTEST_GUILESS_MAIN(TestPlanFormats)
#include "tst_planformats.moc"
