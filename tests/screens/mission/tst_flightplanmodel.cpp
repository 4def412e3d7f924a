#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "PlanFormats.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;

namespace {
QList<Coordinate> coords(const FlightPlanModel &m) { return m.waypoints()->coordinates(); }
void add(FlightPlanModel &m, int n)
{
    for (int i = 0; i < n; ++i)
        m.addWaypoint();
}
} // namespace

class TestFlightPlanModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialState()
    {
        FlightPlanModel m;
        const MapRegion r = m.mapPosition();
        QCOMPARE(r.centerLatitude, 43.0);
        QCOMPARE(r.centerLongitude, -84.0);
        QCOMPARE(r.latitudeSpan, 0.05);
        QCOMPARE(r.longitudeSpan, 0.05);
        QCOMPARE(m.waypointCount(), 0);
        QCOMPARE(m.missionAltitude(), 50.0);
        QCOMPARE(m.missionSpeed(), 8.0);
        QVERIFY(!m.showWaypointList() && !m.showShotDesigner() && !m.show3DPreview());
        QVERIFY(!m.selectedWaypoint().has_value());
        QVERIFY(!m.isUploadingMission() && !m.terrainFollowEnabled() && !m.multiBatteryEnabled());
        auto *s = m.shotDesignerSettings();
        QCOMPARE(s->selectedShot(), CinematicShot::orbit);
        QCOMPARE(s->duration(), 30.0);
        QCOMPARE(s->distance(), 20.0);
        QCOMPARE(s->height(), 15.0);
        // Empty mission: no preview or trash tool, upload disabled, no clear button.
        QVERIFY(!m.showsPreviewTool() && !m.showsTrashTool() && !m.showsClearButton());
        QVERIFY(!m.uploadEnabled());
        QCOMPARE(m.waypointCountText(), QStringLiteral("0"));
    }

    void addStepsFromCount()
    {
        FlightPlanModel m;
        add(m, 3);
        const auto c = coords(m);
        QCOMPARE(c.size(), 3);
        const Coordinate expected[] = {{43.0, -84.0}, {43.003, -83.997}, {43.006, -83.994}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(c[i].latitude, expected[i].latitude);
            QCOMPARE(c[i].longitude, expected[i].longitude);
        }
        QVERIFY(!m.selectedWaypoint());
    }

    void deleteThenAddMayCoincide()
    {
        FlightPlanModel m;
        add(m, 3);
        m.selectWaypoint(0);
        m.deleteSelectedWaypoint();
        m.addWaypoint();
        const auto c = coords(m);
        QCOMPARE(c.size(), 3);
        QCOMPARE(c[2].latitude, 43.006);
        QCOMPARE(c[2].longitude, -83.994);
        QCOMPARE(c[1], c[2]);
    }

    // A map tap adds the next stepped waypoint wherever it lands; the second tap of a double tap
    // takes back what the first added, only while the list is as that tap left it, and leaves
    // the stored selection as it was.
    void mapTapsAndDoubleTaps_data()
    {
        // Steps: t map tap, d double tap's second tap, a addWaypoint, x delete the first row,
        // m move the last row first, sN select N.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::newRow("a tap") << "t" << 1 << -1;
        QTest::newRow("a double tap leaves nothing") << "t d" << 0 << -1;
        QTest::newRow("a triple tap: one waypoint") << "t d t" << 1 << -1;
        QTest::newRow("two double taps") << "t d t d" << 0 << -1;
        QTest::newRow("only the last tap is taken back") << "t t t d" << 2 << -1;
        QTest::newRow("taken back once") << "t t d d" << 1 << -1;
        QTest::newRow("no tap before: nothing") << "a a d" << 2 << -1;
        QTest::newRow("added since by another way: kept") << "t a d" << 2 << -1;
        QTest::newRow("a row deleted since: kept") << "t t x d" << 1 << -1;
        QTest::newRow("rows moved since: kept") << "t t m d" << 2 << -1;
        QTest::newRow("a stale selection is kept") << "s7 t d" << 0 << 7;
        QTest::newRow("the taken-back waypoint's selection is kept") << "t s0 d" << 0 << 0;
        QTest::newRow("an earlier selection is kept") << "t s0 t d" << 1 << 0;
    }
    void mapTapsAndDoubleTaps()
    {
        QFETCH(QString, steps);
        QFETCH(int, count);
        QFETCH(int, selected);
        FlightPlanModel m;
        double where = 0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            where += 7; // anywhere: the tap position is not used
            if (step == QLatin1String("t"))
                m.mapTapped(where, -where);
            else if (step == QLatin1String("d"))
                m.mapDoubleTapped(where, -where);
            else if (step == QLatin1String("a"))
                m.addWaypoint();
            else if (step == QLatin1String("x"))
                m.deleteWaypoints({0});
            else if (step == QLatin1String("m"))
                m.moveWaypoints({m.waypointCount() - 1}, 0);
            else if (step.startsWith(QLatin1Char('s')))
                m.selectWaypoint(step.mid(1).toInt());
        }
        QCOMPARE(m.waypointCount(), count);
        QCOMPARE(m.selectedWaypointInt(), selected);
        if (!steps.contains(QLatin1Char('x')) && !steps.contains(QLatin1Char('m')))
            for (int i = 0; i < count; ++i)
                QCOMPARE(coords(m).at(i), (Coordinate{43.0 + 0.003 * i, -84.0 + 0.003 * i}));
    }

    void deleteSelected_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("expectedCount");
        QTest::newRow("none selected: nothing") << 3 << -1 << 3;
        QTest::newRow("third of three") << 3 << 2 << 2;
        QTest::newRow("first of three") << 3 << 0 << 2;
        QTest::newRow("stale selection only clears") << 2 << 2 << 2;
        QTest::newRow("far past the end") << 1 << 1000 << 1;
    }
    void deleteSelected()
    {
        QFETCH(int, count);
        QFETCH(int, selection);
        QFETCH(int, expectedCount);
        FlightPlanModel m;
        add(m, count);
        m.setSelectedWaypointInt(selection);
        QCOMPARE(m.showsTrashTool(), selection >= 0);
        m.deleteSelectedWaypoint();
        QCOMPARE(m.waypointCount(), expectedCount);
        QVERIFY(!m.selectedWaypoint());
        QVERIFY(!m.showsTrashTool());
    }

    void deletingThirdKeepsOthersInOrder()
    {
        FlightPlanModel m;
        add(m, 3);
        m.selectWaypoint(2);
        m.deleteSelectedWaypoint();
        QCOMPARE(coords(m).at(1).latitude, 43.003);
        QCOMPARE(WaypointListModel::annotationTitle(1), QStringLiteral("WP2"));
    }

    void markerSelectionOutOfRange()
    {
        FlightPlanModel m;
        add(m, 2);
        m.setSelectedWaypointInt(2);
        QCOMPARE(m.markedWaypoint(), -1);
        m.selectWaypoint(1);
        QCOMPARE(m.markedWaypoint(), 1);
        QCOMPARE(m.waypointCount(), 2); // a marker tap adds nothing
    }

    void toolVisibility()
    {
        FlightPlanModel m;
        m.addWaypoint();
        QVERIFY(!m.showsPreviewTool());
        QVERIFY(m.showsClearButton() && m.uploadEnabled());
        QCOMPARE(m.waypointCountText(), QStringLiteral("1"));
        m.addWaypoint();
        QVERIFY(m.showsPreviewTool());
    }

    void uploadRunsTwoSecondsOnce()
    {
        FlightPlanModel m;
        QCOMPARE(m.uploadDurationMs(), 2000);
        m.setUploadDurationMs(150);
        m.executeMission(); // empty: nothing
        QVERIFY(!m.isUploadingMission());
        add(m, 2);
        m.selectWaypoint(1);
        m.setMissionAltitude(70);
        QSignalSpy spy(&m, &FlightPlanModel::isUploadingMissionChanged);
        QElapsedTimer t;
        t.start();
        m.executeMission();
        m.executeMission(); // a double tap starts one upload
        QVERIFY(m.isUploadingMission());
        QVERIFY(!m.uploadEnabled());
        QCOMPARE(m.uploadButtonText(), QStringLiteral("Uploading Mission..."));
        QCOMPARE(spy.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!m.isUploadingMission(), 2000);
        QVERIFY(t.elapsed() >= 150);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(m.uploadButtonText(), QStringLiteral("Upload & Execute Mission"));
        // Nothing else changed.
        QCOMPARE(m.waypointCount(), 2);
        QCOMPARE(m.selectedWaypointInt(), 1);
        QCOMPARE(m.missionAltitude(), 70.0);
    }

    // The upload hands the aircraft the plan as it is at the tap: waypoint n of the tapped plan
    // at (43 + 0.003 n, -84 + 0.003 n), every one at the mission altitude above the take-off
    // point with no camera actions, and the plan's speed and flags. Once the step ends, the
    // aircraft, having taken it, is told to fly that same mission; a cancelled step flies nothing.
    void theAircraftGetsThePlan_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("altitude");
        QTest::addColumn<double>("speed");
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<bool>("multiBattery");
        QTest::addColumn<int>("addedDuringUpload");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("one waypoint, as planned") << 1 << 50.0 << 8.0 << false << false << 0 << false;
        QTest::newRow("four, high and fast, both flags") << 4 << 120.0 << 15.0 << true << true << 0 << false;
        QTest::newRow("fractions kept") << 2 << 49.7 << 3.25 << false << true << 0 << false;
        QTest::newRow("edited during the upload: not sent") << 2 << 60.0 << 8.0 << false << false << 1 << false;
        QTest::newRow("cancelled") << 3 << 50.0 << 8.0 << false << false << 0 << true;
    }
    void theAircraftGetsThePlan()
    {
        QFETCH(int, count);
        QFETCH(double, altitude);
        QFETCH(double, speed);
        QFETCH(bool, terrain);
        QFETCH(bool, multiBattery);
        QFETCH(int, addedDuringUpload);
        QFETCH(bool, cancel);
        FakeDJISDK sdk;
        sdk.answer = DJICommandError{}; // the aircraft takes it
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        FlightPlanModel m;
        m.setDrone(&drone);
        m.setUploadDurationMs(50);
        // Flat ground: terrain follow keeps every height above the take-off point as it is.
        struct Flat : ElevationSource {
            std::optional<double> heightAt(double, double) const override { return 212.0; }
        } flat;
        m.setGround(&flat);
        add(m, count);
        m.setMissionAltitude(altitude);
        m.setMissionSpeed(speed);
        m.setTerrainFollowEnabled(terrain);
        m.setMultiBatteryEnabled(multiBattery);
        const DJIWaypointMission tapped = m.aircraftMission();
        QSignalSpy uploaded(&m, &FlightPlanModel::missionUploaded);
        m.executeMission();
        add(m, addedDuringUpload);
        QCOMPARE(sdk.uploads, QList<DJIWaypointMission>{tapped}); // handed over at the tap
        QVERIFY(sdk.missions.isEmpty());                          // not flown before the step ends
        if (cancel)
            m.cancelUpload();
        QTest::qWait(150);
        QVERIFY(!m.isUploadingMission());
        if (cancel) {
            QVERIFY(sdk.missions.isEmpty());
            QCOMPARE(uploaded.count(), 0);
            return;
        }
        QCOMPARE(uploaded.count(), 1);
        QCOMPARE(sdk.missions.size(), 1);
        const DJIWaypointMission &got = sdk.missions[0];
        QCOMPARE(got.waypoints.size(), count);
        for (int n = 0; n < got.waypoints.size(); ++n) {
            const DJIWaypoint &w = got.waypoints[n];
            QCOMPARE(w.latitude, 43.0 + 0.003 * n);
            QCOMPARE(w.longitude, -84.0 + 0.003 * n);
            QCOMPARE(w.height, altitude);
            QCOMPARE(w.heightReference, DJIHeightReference::aboveTakeOff);
            QVERIFY(w.actions.isEmpty());
        }
        QCOMPARE(got.speed, speed);
        QCOMPARE(got.terrainFollow, terrain);
        QCOMPARE(got.multiBattery, multiBattery);
        QVERIFY(got == tapped);
        QCOMPARE(m.uploadMessage(), QString());
    }

    void cancelDropsFlagAtOnce()
    {
        FlightPlanModel m;
        m.addWaypoint();
        m.executeMission();
        QVERIFY(m.isUploadingMission());
        m.cancelUpload();
        QVERIFY(!m.isUploadingMission());
        QVERIFY(m.uploadEnabled());
    }

    void clearAll()
    {
        FlightPlanModel m;
        add(m, 3);
        m.selectWaypoint(1);
        m.setTerrainFollowEnabled(true);
        m.setMissionSpeed(12.5);
        m.clearWaypoints();
        QCOMPARE(m.waypointCount(), 0);
        QVERIFY(!m.selectedWaypoint() && !m.showsTrashTool() && !m.showsClearButton());
        QVERIFY(m.terrainFollowEnabled());
        QCOMPARE(m.missionSpeed(), 12.5);
    }

    void sliderText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("text");
        QTest::newRow("49.7 rounds") << 49.7 << "m" << "50 m";
        QTest::newRow("low end") << 5.0 << "m" << "5 m";
        QTest::newRow("high end") << 120.0 << "m" << "120 m";
        QTest::newRow("speed") << 8.0 << "m/s" << "8 m/s";
        QTest::newRow("half rounds to even") << 8.5 << "m/s" << "8 m/s";
    }
    void sliderText()
    {
        QFETCH(double, value);
        QFETCH(QString, unit);
        QFETCH(QString, text);
        QCOMPARE(FlightPlanModel::sliderValueText(value, unit), text);
    }

    void continuousAltitudeIsKept()
    {
        FlightPlanModel m;
        m.setMissionAltitude(49.7);
        QCOMPARE(m.missionAltitude(), 49.7);
    }

    void bannersInOrder_data()
    {
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<bool>("battery");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("none") << false << false << QStringList{};
        QTest::newRow("terrain") << true << false << QStringList{"Terrain Following Active"};
        QTest::newRow("battery") << false << true << QStringList{"Multi-Battery Mission"};
        QTest::newRow("both, terrain first") << true << true
                                             << QStringList{"Terrain Following Active", "Multi-Battery Mission"};
    }
    void bannersInOrder()
    {
        QFETCH(bool, terrain);
        QFETCH(bool, battery);
        QFETCH(QStringList, texts);
        FlightPlanModel m;
        m.setTerrainFollowEnabled(terrain);
        m.setMultiBatteryEnabled(battery);
        QStringList got;
        for (const auto &b : m.banners())
            got << b.toMap().value("text").toString();
        QCOMPARE(got, texts);
    }

    void listEditsThroughScreen()
    {
        FlightPlanModel m;
        add(m, 3);
        m.selectWaypoint(2);
        m.deleteWaypoints({0});
        // Stored position kept although it now points past the end.
        QCOMPARE(m.selectedWaypointInt(), 2);
        QCOMPARE(m.markedWaypoint(), -1);
        m.selectWaypoint(1);
        QSignalSpy sel(&m, &FlightPlanModel::selectedWaypointChanged);
        m.deleteWaypoints({1});
        QCOMPARE(m.selectedWaypointInt(), -1);
        QCOMPARE(sel.count(), 1);
        QVERIFY(!m.showsTrashTool());
    }

    void listRowTexts()
    {
        FlightPlanModel m;
        m.addWaypoint();
        auto *w = m.waypoints();
        QCOMPARE(WaypointListModel::rowTitle(0), QStringLiteral("WP 1"));
        QCOMPARE(w->data(w->index(0), WaypointListModel::LatitudeTextRole).toString(), QStringLiteral("Lat: 43.000000"));
        QCOMPARE(w->data(w->index(0), WaypointListModel::LongitudeTextRole).toString(), QStringLiteral("Lon: -84.000000"));
    }

    void setterNotifiesOnEqualValue()
    {
        FlightPlanModel m;
        QSignalSpy spy(&m, &FlightPlanModel::missionAltitudeChanged);
        m.setMissionAltitude(50.0);
        QCOMPARE(spy.count(), 1);
    }

    void shotSettingsSurviveSheet()
    {
        // The sheet writes into the screen's settings object; nothing is copied.
        FlightPlanModel m;
        auto *s = m.shotDesignerSettings();
        m.setShowShotDesigner(true);
        s->setSelectedShotIndex(2);
        s->setHeight(40);
        m.setShowShotDesigner(false);
        m.setShowShotDesigner(true);
        QCOMPARE(m.shotDesignerSettings()->selectedShot(), CinematicShot::helix);
        QCOMPARE(m.shotDesignerSettings()->height(), 40.0);
        s->setSelectedShotIndex(42); // not a shot: unchanged
        QCOMPARE(s->selectedShot(), CinematicShot::helix);
        QCOMPARE(ShotDesignerSettings::valueText(119.6, "sec"), QStringLiteral("120 sec"));
        QCOMPARE(ShotDesignerSettings::valueText(10.0, "sec"), QStringLiteral("10 sec"));
    }

    // An opened file's heights: used when the planner flies them as they stand, else the
    // mission keeps its altitude and the message says why.
    void openedFileHeights_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("altitude");
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<QString>("message");
        const QByteArray home = "QGC WPL 110\n0\t1\t0\t16\t0\t0\t0\t0\t47\t8\t412\t1\n";
        QTest::newRow("KML above sea level (a 768 m launch)")
            << "alps.kml"
            << QByteArray(
                   "<kml><Placemark><LineString><altitudeMode>absolute</altitudeMode><coordinates>8.1,47.1,768 8.2,47.2,790"
                   "</coordinates></LineString></Placemark></kml>")
            << 50.0 << false << "Heights above sea level were not used: the mission keeps its altitude of 50 m";
        QTest::newRow("waypoints above sea level, an item skipped")
            << "amsl.waypoints"
            << home + "1\t0\t0\t16\t0\t0\t0\t0\t47.1\t8.1\t530\t1\n2\t0\t2\t206\t1\t0\t0\t0\t0\t0\t0\t1\n"
            << 50.0 << false
            << "1 item without a position was skipped. Heights above sea level were not used: the mission keeps its altitude of 50 m";
        QTest::newRow("GPX elevations")
            << "route.gpx"
            << QByteArray("<gpx><rte><rtept lat=\"47.1\" lon=\"8.1\"><ele>1210</ele></rtept></rte></gpx>") << 50.0
            << false << "Heights above sea level were not used: the mission keeps its altitude of 50 m";
        QTest::newRow("above take-off") << "rel.waypoints" << home + "1\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1\t65\t1\n"
                                        << 65.0 << false << "";
        QTest::newRow("above take-off, over the limit")
            << "high.waypoints" << home + "1\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1\t150\t1\n"
            << 120.0 << false << "The file's altitude of 150 m is above the 120 m limit: the mission flies at 120 m";
        QTest::newRow("KML above ground")
            << "hill.kml"
            << QByteArray(
                   "<kml><Placemark><Point><altitudeMode>relativeToGround</altitudeMode><coordinates>8.1,47.1,40</coordinates>"
                   "</Point></Placemark></kml>")
            << 40.0 << true << "The file's heights are above the ground: Terrain Follow is on";
    }
    void openedFileHeights()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(double, altitude);
        QFETCH(bool, terrain);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        FlightPlanModel m;
        QVERIFY(m.openPlan(f.fileName()));
        QCOMPARE(m.missionAltitude(), altitude);
        QCOMPARE(m.terrainFollowEnabled(), terrain);
        QCOMPARE(m.fileMessage(), message);
        QVERIFY(!m.fileMessageIsError());
    }

    // A saved plan's heights are above take-off, or above the ground with terrain follow.
    void savedHeights()
    {
        QTemporaryDir dir;
        FlightPlanModel m;
        add(m, 2);
        m.setMissionAltitude(40);
        for (bool terrain : {false, true}) {
            m.setTerrainFollowEnabled(terrain);
            const QString path = dir.filePath(terrain ? "ground.kml" : "takeoff.kml");
            QVERIFY(m.savePlan(path));
            const auto r = zeltrin::planio::readPlanFile(path);
            QVERIFY2(r.ok(), qPrintable(r.error));
            QCOMPARE(r.plan->altitude, 40.0);
            QCOMPARE(r.plan->altitudeReference, terrain ? HeightReference::Ground : HeightReference::TakeOff);
        }
    }

    void cinematicShotRawValues()
    {
        namespace cs = zeltrin::cinematic_shot;
        QStringList raws;
        for (auto s : cs::allCases())
            raws << cs::rawValue(s);
        QCOMPARE(raws, (QStringList{"Orbit", "Dronie", "Helix", "Reveal", "Boomerang", "Asteroid"}));
        QCOMPARE(cs::fromRaw("Helix"), std::optional(CinematicShot::helix));
        QVERIFY(!cs::fromRaw("helix"));
        QVERIFY(!cs::fromRaw(""));
        QCOMPARE(cs::icon(CinematicShot::helix), QStringLiteral("tornado"));
    }
};

QTEST_GUILESS_MAIN(TestFlightPlanModel)
#include "tst_flightplanmodel.moc"
