// What each format's heights are measured from, read and written, and what the planner makes of
// them; and plans of one waypoint, which are a Point, never a line of one position.
#include "PlanFormats.h"
#include "PlanHeights.h"

#include <QTest>

using zeltrin::HeightReference;
using zeltrin::MissionPlan;
using zeltrin::PlanReadResult;
using namespace zeltrin::planio;

Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(HeightReference)

namespace {
constexpr auto TakeOff = HeightReference::TakeOff, Ground = HeightReference::Ground,
               SeaLevel = HeightReference::SeaLevel, Unknown = HeightReference::Unknown;
const double kNone = qQNaN();

QByteArray qgcItem(int frame, double paramAltitude, const QByteArray &extra = {})
{
    return R"({"fileType":"Plan","version":1,"mission":{"version":2,"items":[{"type":"SimpleItem","command":16,"frame":)"
        + QByteArray::number(frame) + R"(,"params":[0,0,0,null,47.1,8.1,)" + QByteArray::number(paramAltitude) + "]"
        + extra + "}]}}";
}

QByteArray wpl(int frame, double altitude)
{
    return "QGC WPL 110\n0\t1\t0\t16\t0\t0\t0\t0\t47\t8\t412\t1\n1\t0\t" + QByteArray::number(frame)
        + "\t16\t0\t0\t0\t0\t47.1\t8.1\t" + QByteArray::number(altitude) + "\t1\n";
}

QByteArray kml(const QByteArray &body)
{
    return "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document>"
        + body + "</Document></kml>";
}

QByteArray kmlLine(const QByteArray &mode, const QByteArray &data = {})
{
    return kml(data + "<Placemark><LineString>" + mode
               + "<coordinates>8.1,47.1,768 8.2,47.2,770</coordinates></LineString></Placemark>");
}

QByteArray kmlData(const QList<std::pair<const char *, const char *>> &data)
{
    QByteArray out = "<ExtendedData>";
    for (const auto &[name, value] : data)
        out += QByteArray("<Data name=\"") + name + "\"><value>" + value + "</value></Data>";
    return out + "</ExtendedData>";
}

QByteArray geoLine(const QByteArray &properties, bool heights)
{
    return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":{"type":"LineString","coordinates":)"
        + (heights ? "[[8.1,47.1,768],[8.2,47.2,770]]" : "[[8.1,47.1],[8.2,47.2]]") + "}}";
}

QByteArray gpx(const QByteArray &inPoint)
{
    return "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:z=\"https://zeltrin.app/xmlns/gpx/1\"><rte>"
           "<rtept lat=\"47.1\" lon=\"8.1\">"
        + inPoint + "</rtept><rtept lat=\"47.2\" lon=\"8.2\"/></rte></gpx>";
}

} // namespace

class TestPlanHeights : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("altitude"); // NaN: none
        QTest::addColumn<HeightReference>("reference");

        // QGroundControl: the item's altitude mode names its "Altitude"; the frame its parameter.
        QTest::newRow("plan relative frame") << qgcItem(3, 30) << 30.0 << TakeOff;
        QTest::newRow("plan relative int frame") << qgcItem(6, 30) << 30.0 << TakeOff;
        QTest::newRow("plan global frame") << qgcItem(0, 768) << 768.0 << SeaLevel;
        QTest::newRow("plan global int frame") << qgcItem(5, 768) << 768.0 << SeaLevel;
        QTest::newRow("plan terrain frame") << qgcItem(10, 40) << 40.0 << Ground;
        QTest::newRow("plan mode relative") << qgcItem(3, 30, R"(,"AltitudeMode":1,"Altitude":30)") << 30.0 << TakeOff;
        QTest::newRow("plan mode AMSL") << qgcItem(0, 768, R"(,"AltitudeMode":2,"Altitude":768)") << 768.0 << SeaLevel;
        QTest::newRow("plan mode above terrain")
            << qgcItem(0, 806, R"(,"AltitudeMode":3,"Altitude":40)") << 40.0 << Ground;
        QTest::newRow("plan above terrain, no Altitude")
            << qgcItem(0, 806, R"(,"AltitudeMode":3)") << 806.0 << SeaLevel;
        QTest::newRow("plan mode terrain frame")
            << qgcItem(10, 40, R"(,"AltitudeMode":4,"Altitude":40)") << 40.0 << Ground;
        QTest::newRow("plan mode none, frame counts")
            << qgcItem(0, 768, R"(,"AltitudeMode":5,"Altitude":12)") << 768.0 << SeaLevel;

        // Waypoint lists: by frame.
        QTest::newRow("wpl frame 0") << wpl(0, 768) << 768.0 << SeaLevel;
        QTest::newRow("wpl frame 3") << wpl(3, 30) << 30.0 << TakeOff;
        QTest::newRow("wpl frame 5") << wpl(5, 768) << 768.0 << SeaLevel;
        QTest::newRow("wpl frame 6") << wpl(6, 30) << 30.0 << TakeOff;
        QTest::newRow("wpl frame 10") << wpl(10, 40) << 40.0 << Ground;
        QTest::newRow("wpl frame 11") << wpl(11, 40) << 40.0 << Ground;

        // KML: by altitude mode; our data names the reference and wins.
        QTest::newRow("kml absolute") << kmlLine("<altitudeMode>absolute</altitudeMode>") << 768.0 << SeaLevel;
        QTest::newRow("kml relativeToGround")
            << kmlLine("<altitudeMode>relativeToGround</altitudeMode>") << 768.0 << Ground;
        QTest::newRow("kml relativeToSeaFloor")
            << kmlLine("<gx:altitudeMode>relativeToSeaFloor</gx:altitudeMode>") << 768.0 << Ground;
        QTest::newRow("kml clampToGround") << kmlLine("<altitudeMode>clampToGround</altitudeMode>") << kNone << TakeOff;
        QTest::newRow("kml no mode") << kmlLine({}) << kNone << TakeOff;
        QTest::newRow("kml unknown mode") << kmlLine("<altitudeMode>aboveTheClouds</altitudeMode>") << 768.0 << Unknown;
        QTest::newRow("kml our data") << kmlLine("<altitudeMode>absolute</altitudeMode>",
                                                 kmlData({{"altitude", "45"}, {"altitudeReference", "takeoff"}}))
                                      << 45.0 << TakeOff;
        QTest::newRow("kml data, unknown word")
            << kmlLine({}, kmlData({{"altitude", "45"}, {"altitudeReference", "moon"}})) << 45.0 << Unknown;
        QTest::newRow("kml earlier data, terrain off")
            << kmlLine({}, kmlData({{"altitude", "45"}, {"terrainFollow", "false"}})) << 45.0 << TakeOff;
        QTest::newRow("kml earlier data, terrain on")
            << kmlLine({}, kmlData({{"altitude", "45"}, {"terrainFollow", "true"}})) << 45.0 << Ground;
        QTest::newRow("kml bare altitude") << kmlLine({}, kmlData({{"altitude", "45"}})) << 45.0 << Unknown;
        QTest::newRow("kml reference alone (flight export)")
            << kmlLine("<altitudeMode>relativeToGround</altitudeMode>", kmlData({{"altitudeReference", "takeoff"}}))
            << 768.0 << TakeOff;

        // GeoJSON: a position's height is above the ellipsoid; our properties name theirs.
        QTest::newRow("geojson position heights") << geoLine({}, true) << 768.0 << SeaLevel;
        QTest::newRow("geojson our properties")
            << geoLine(R"("altitude":45,"altitudeReference":"ground")", true) << 45.0 << Ground;
        QTest::newRow("geojson earlier properties")
            << geoLine(R"("altitude":45,"terrainFollow":false)", false) << 45.0 << TakeOff;
        QTest::newRow("geojson bare altitude") << geoLine(R"("altitude":45)", false) << 45.0 << Unknown;
        QTest::newRow("geojson reference not a word")
            << geoLine(R"("altitude":45,"altitudeReference":3)", false) << 45.0 << Unknown;
        QTest::newRow("geojson no heights") << geoLine({}, false) << kNone << TakeOff;

        // GPX: <ele> is above sea level; our extension is above take-off.
        QTest::newRow("gpx ele") << gpx("<ele>768.4</ele>") << 768.4 << SeaLevel;
        QTest::newRow("gpx our extension")
            << gpx("<ele>768.4</ele><extensions><z:heightAboveTakeoff>35</z:heightAboveTakeoff></extensions>") << 35.0
            << TakeOff;
        QTest::newRow("gpx no ele") << gpx({}) << kNone << TakeOff;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(double, altitude);
        QFETCH(HeightReference, reference);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        if (std::isnan(altitude)) {
            QVERIFY(!r.plan->altitude);
            return;
        }
        QCOMPARE(r.plan->altitude.value_or(kNone), altitude);
        QCOMPARE(r.plan->altitudeReference, reference);
    }

    // Each writer labels the height with its reference, and reads it back as it was. The
    // MAVLink formats have no frame for an unknown reference nor an item without a height:
    // they write the planner's default, 50 m above take-off.
    void writes_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<HeightReference>("reference");
        QTest::addColumn<QStringList>("labels"); // in the file
        QTest::addColumn<double>("readAltitude");
        QTest::addColumn<HeightReference>("readReference");
        const auto row = [](const char *name, Format f, HeightReference ref, QStringList labels, double alt,
                            HeightReference readRef) { QTest::newRow(name) << f << ref << labels << alt << readRef; };
        row("plan take-off", Format::QgcPlan, TakeOff,
            {R"("AltitudeMode":1)", R"("frame":3)", R"("globalPlanAltitudeMode":1)"}, 65, TakeOff);
        row("plan ground", Format::QgcPlan, Ground, {R"("AltitudeMode":4)", R"("frame":10)"}, 65, Ground);
        row("plan sea level", Format::QgcPlan, SeaLevel, {R"("AltitudeMode":2)", R"("frame":0,)"}, 65, SeaLevel);
        row("plan unknown", Format::QgcPlan, Unknown, {R"("Altitude":50,)", R"("frame":3)"}, 50, TakeOff);
        row("wpl take-off", Format::WaypointList, TakeOff, {"\t0\t3\t16\t"}, 65, TakeOff);
        row("wpl ground", Format::WaypointList, Ground, {"\t0\t10\t16\t"}, 65, Ground);
        row("wpl sea level", Format::WaypointList, SeaLevel, {"1\t0\t0\t16\t"}, 65, SeaLevel);
        row("wpl unknown", Format::WaypointList, Unknown, {"\t0\t3\t16\t", "\t50\t1\n"}, 50, TakeOff);
        // KML has no take-off reference: such a plan lies on the ground, its height in the data.
        row("kml take-off", Format::Kml, TakeOff, {"clampToGround", "<coordinates>8.1,47.1</", "<value>takeoff<"}, 65,
            TakeOff);
        row("kml ground", Format::Kml, Ground, {"relativeToGround", "8.1,47.1,65", "<value>ground<"}, 65, Ground);
        row("kml sea level", Format::Kml, SeaLevel, {"absolute", "8.1,47.1,65", "<value>sealevel<"}, 65, SeaLevel);
        row("kml unknown", Format::Kml, Unknown, {"clampToGround", "<value>unknown<"}, 65, Unknown);
        row("kmz take-off", Format::Kmz, TakeOff, {}, 65, TakeOff);
        // GeoJSON positions hold no heights of ours.
        row("geojson take-off", Format::GeoJson, TakeOff, {"[8.1,47.1]", R"("altitudeReference":"takeoff")"}, 65,
            TakeOff);
        row("geojson ground", Format::GeoJson, Ground, {"[8.1,47.1]", R"("altitudeReference":"ground")"}, 65, Ground);
        row("geojson sea level", Format::GeoJson, SeaLevel, {"[8.1,47.1]", R"("altitudeReference":"sealevel")"}, 65,
            SeaLevel);
        row("geojson unknown", Format::GeoJson, Unknown, {R"("altitudeReference":"unknown")"}, 65, Unknown);
    }
    void writes()
    {
        QFETCH(Format, format);
        QFETCH(HeightReference, reference);
        QFETCH(QStringList, labels);
        QFETCH(double, readAltitude);
        QFETCH(HeightReference, readReference);
        MissionPlan p;
        p.waypoints = {{47.1, 8.1}, {47.2, 8.2}};
        p.altitude = 65;
        p.altitudeReference = reference;
        const QByteArray bytes = writePlan(p, format);
        for (const QString &label : labels)
            QVERIFY2(bytes.contains(label.toUtf8()), qPrintable(label));
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->altitude.value_or(kNone), readAltitude);
        QCOMPARE(r.plan->altitudeReference, readReference);
    }

    void planner_data()
    {
        QTest::addColumn<double>("fileAltitude"); // NaN: the file has none
        QTest::addColumn<HeightReference>("reference");
        QTest::addColumn<int>("fileTerrain"); // -1: the file does not say
        QTest::addColumn<double>("altitude"); // what the mission gets; NaN: it keeps its own (50)
        QTest::addColumn<int>("terrain");     // -1: unchanged
        QTest::addColumn<QString>("note");
        QTest::newRow("above take-off") << 80.0 << TakeOff << 0 << 80.0 << 0 << "";
        QTest::newRow("no altitude") << kNone << SeaLevel << -1 << kNone << -1 << "";
        QTest::newRow("above sea level")
            << 768.0 << SeaLevel << -1 << kNone << -1
            << "Heights above sea level were not used: the mission keeps its altitude of 50 m";
        QTest::newRow("unknown")
            << 45.0 << Unknown << 1 << kNone << 1
            << "The file does not say what its heights are measured from: the mission keeps its altitude of 50 m";
        QTest::newRow("above ground, terrain follow") << 40.0 << Ground << 1 << 40.0 << 1 << "";
        QTest::newRow("above ground, no flag")
            << 40.0 << Ground << -1 << 40.0 << 1 << "The file's heights are above the ground: Terrain Follow is on";
        QTest::newRow("above the limit")
            << 150.4 << TakeOff << -1 << 120.0 << -1
            << "The file's altitude of 150 m is above the 120 m limit: the mission flies at 120 m";
        QTest::newRow("below the minimum, printf rounding")
            << -0.4 << TakeOff << -1 << 5.0 << -1
            << "The file's altitude of -0 m is below the 5 m minimum: the mission flies at 5 m";
        QTest::newRow("above ground and the limit")
            << 130.0 << Ground << 0 << 120.0 << 1
            << "The file's heights are above the ground: Terrain Follow is on. The file's altitude of 130 m is above the 120 m limit: the mission flies at 120 m";
    }
    void planner()
    {
        QFETCH(double, fileAltitude);
        QFETCH(HeightReference, reference);
        QFETCH(int, fileTerrain);
        QFETCH(double, altitude);
        QFETCH(int, terrain);
        QFETCH(QString, note);
        MissionPlan p;
        if (!std::isnan(fileAltitude))
            p.altitude = fileAltitude;
        p.altitudeReference = reference;
        if (fileTerrain >= 0)
            p.terrainFollow = fileTerrain == 1;
        const OpenedHeights h = openedHeights(p, 50.0, 5.0, 120.0);
        QCOMPARE(h.altitude.value_or(kNone), altitude);
        QCOMPARE(h.terrainFollow.has_value(), terrain >= 0);
        if (terrain >= 0)
            QCOMPARE(*h.terrainFollow, terrain == 1);
        QCOMPARE(h.note, note);
    }

    // Over known ground, heights above sea level are flown above the take-off point's ground.
    void seaLevelOverKnownGround_data()
    {
        QTest::addColumn<double>("fileAltitude");
        QTest::addColumn<double>("altitude");
        QTest::addColumn<QString>("note");
        const QString over = QStringLiteral(
            "Heights above sea level are flown above the take-off point, whose ground is 700 m above sea level");
        QTest::newRow("768 m over ground at 700 m") << 768.0 << 68.0 << over;
        QTest::newRow("900 m: 200 m, over the limit")
            << 900.0 << 120.0
            << over + ". The file's altitude of 200 m is above the 120 m limit: the mission flies at 120 m";
    }
    void seaLevelOverKnownGround()
    {
        QFETCH(double, fileAltitude);
        QFETCH(double, altitude);
        QFETCH(QString, note);
        MissionPlan p;
        p.altitude = fileAltitude;
        p.altitudeReference = SeaLevel;
        const OpenedHeights h = openedHeights(p, 50.0, 5.0, 120.0, 700.0);
        QCOMPARE(h.altitude.value_or(kNone), altitude);
        QCOMPARE(h.note, note);
    }

    // A plan of one waypoint is written as one Point (a line needs two positions) carrying the
    // plan's values, and reads back whole; so does a lone Point from elsewhere.
    void oneWaypoint_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("kml") << Format::Kml;
        QTest::newRow("kmz") << Format::Kmz;
        QTest::newRow("geojson") << Format::GeoJson;
        QTest::newRow("plan") << Format::QgcPlan;
        QTest::newRow("waypoints") << Format::WaypointList;
    }
    void oneWaypoint()
    {
        QFETCH(Format, format);
        MissionPlan p;
        p.waypoints = {{-33.8688197, 151.2092955}};
        p.altitude = 35;
        p.altitudeReference = Ground;
        p.speed = 4.5;
        p.terrainFollow = true;
        const QByteArray bytes = writePlan(p, format);
        QVERIFY(!bytes.contains("LineString"));
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints, p.waypoints);
        QCOMPARE(r.plan->altitude, p.altitude);
        QCOMPARE(r.plan->altitudeReference, p.altitudeReference);
        QCOMPARE(r.plan->speed, p.speed);
        QCOMPARE(r.plan->terrainFollow, p.terrainFollow);
    }
    void lonePointReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("kml placemark") << kml(
            "<Placemark><name>Summit</name><Point><coordinates>151.2092955,-33.8688197</coordinates></Point></Placemark>");
        QTest::newRow("geojson feature") << QByteArray(
            R"({"type":"Feature","properties":null,"geometry":{"type":"Point","coordinates":[151.2092955,-33.8688197]}})");
        // (moc reads the "//" of a raw string's address as a comment: no raw strings here.)
        QTest::newRow("gpx waypoint") << QByteArray(
            "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"><wpt lat=\"-33.8688197\" lon=\"151.2092955\"/></gpx>");
    }
    void lonePointReads()
    {
        QFETCH(QByteArray, bytes);
        const PlanReadResult r = readPlan(bytes);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints, (QList<zeltrin::Coordinate>{{-33.8688197, 151.2092955}}));
    }
};

QTEST_GUILESS_MAIN(TestPlanHeights)
#include "tst_planheights.moc"
