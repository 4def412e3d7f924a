#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "PlanFormats.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace zeltrin;

namespace {
void add(FlightPlanModel &m, int n)
{
    for (int i = 0; i < n; ++i)
        m.addWaypoint();
}
} // namespace

// What the plan asks of the ground and of the battery before it goes to the aircraft.
class TestFlightPlanGround : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A plan one battery cannot fly goes out only as a multi-battery mission. Out 0.25° of
    // longitude at 43° N (20,332 m) and back at 8 m/s: 5,083 s at 0.065 + 0.004 × 8 = 0.097 %/s
    // is 493.1 %; the climb to 50 m (10 s at 0.115 %/s), the descent (33.3 s at 0.08 %/s) and a
    // 3 s stop at each waypoint (0.39 %) make 497.2 %, 6.63 packs of 75 % each: 7.
    void aPlanBeyondOneBatteryNeedsMultiBattery_data()
    {
        QTest::addColumn<double>("east"); // ° of longitude to the second waypoint
        QTest::addColumn<bool>("multiBattery");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("one battery") << 0.003 << false << QString();
        QTest::newRow("seven, Multi-Battery off")
            << 0.25 << false
            << QStringLiteral(
                   "This mission needs 7 batteries, and one flies only part of it. Make it shorter, or turn on Multi-Battery to fly it a battery at a time.");
        QTest::newRow("seven, Multi-Battery on") << 0.25 << true << QString();
        // With the aircraft's figures the parts are worked out: 20 km out is beyond any pack.
        QTest::newRow("beyond a pack, Multi-Battery on, the aircraft's figures")
            << 0.25 << true
            << QStringLiteral("Waypoint 2 is too far for one battery: the way there and home again needs more "
                              "than a full pack holds.");
    }
    void aPlanBeyondOneBatteryNeedsMultiBattery()
    {
        QFETCH(double, east);
        QFETCH(bool, multiBattery);
        QFETCH(QString, refusal);
        FakeDJISDK sdk;
        sdk.answer = DJICommandError{};
        if (QByteArray(QTest::currentDataTag()).contains("figures"))
            sdk.profile = DJIReturnProfile{};
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        FlightPlanModel m;
        m.setDrone(&drone);
        m.setUploadDurationMs(10);
        m.applyMissionPlan(zeltrin::MissionPlan{.waypoints = {{43.0, -84.0}, {43.0, -84.0 + east}}});
        m.setMissionAltitude(50);
        m.setMissionSpeed(8);
        m.setMultiBatteryEnabled(multiBattery);
        m.executeMission();
        QCOMPARE(m.uploadMessage(), refusal);
        QCOMPARE(sdk.uploads.size(), refusal.isEmpty() ? 1 : 0);
    }

    // Multi-Battery on, with the aircraft's figures: the list marks the row where each battery
    // after the first starts (a back and forth of 1.4 km legs, some 23 km), and nothing is marked
    // with Multi-Battery off.
    void batteryStartsAreMarkedInTheList()
    {
        FakeDJISDK sdk;
        sdk.profile = DJIReturnProfile{};
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        FlightPlanModel m;
        m.setDrone(&drone);
        zeltrin::MissionPlan plan;
        for (int line = 0; line < 16; ++line) {
            const double lat = 42.997 + line * 0.0004;
            plan.waypoints.append({lat, line % 2 ? -83.991 : -84.009});
            plan.waypoints.append({lat, line % 2 ? -84.009 : -83.991});
        }
        m.applyMissionPlan(plan);
        m.setMissionAltitude(60);
        m.setMultiBatteryEnabled(true);
        QTRY_VERIFY(m.batteries()->partCount() >= 2);
        QStringList notes;
        for (int row = 0; row < m.waypointCount(); ++row) {
            const QString note = m.waypoints()->index(row).data(WaypointListModel::BatteryNoteRole).toString();
            if (!note.isEmpty())
                notes << QStringLiteral("%1: %2").arg(row).arg(note);
        }
        QCOMPARE(notes.size(), m.batteries()->partCount() - 1);
        QVERIFY2(notes.first().endsWith(QStringLiteral(": Battery 2 starts here")), qPrintable(notes.join(", ")));
        m.setMultiBatteryEnabled(false);
        QTRY_COMPARE(m.batteries()->partCount(), 0);
        QVERIFY(m.waypoints()
                    ->index(notes.first().section(QLatin1Char(':'), 0, 0).toInt())
                    .data(WaypointListModel::BatteryNoteRole)
                    .toString()
                    .isEmpty());
    }

    // Terrain follow on: the aircraft gets the heights worked out over the ground, waypoints
    // added where it bends; unknown ground under a leg keeps the plan on the ground, and the
    // banner says why.
    void terrainFollowFliesTheGround()
    {
        struct Hills : ElevationSource {
            bool voidEast = false;
            std::optional<double> heightAt(double lat, double lon) const override
            {
                if (voidEast && lon > -83.9985)
                    return std::nullopt;
                return 300 + 8 * std::sin((lon + 84.0) * 2000) * std::cos((lat - 43.0) * 1500);
            }
        } hills;
        FakeDJISDK sdk;
        sdk.answer = DJICommandError{};
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        FlightPlanModel m;
        m.setDrone(&drone);
        m.setUploadDurationMs(10);
        m.setGround(&hills);
        add(m, 2);
        m.setTerrainFollowEnabled(true);
        hills.voidEast = true;
        m.setGround(nullptr);
        m.setGround(&hills);
        m.executeMission();
        const QString refusal = QStringLiteral("Waypoint 1: the ground on the way to waypoint 2 is not known. "
                                               "Download or import elevation data for this area.");
        QCOMPARE(m.uploadMessage(), refusal);
        QCOMPARE(m.banners().constFirst().toMap().value(QStringLiteral("note")).toString(), refusal);
        QCOMPARE(m.terrain()->unknownLegs().size(), size_t(1));
        QVERIFY(sdk.uploads.isEmpty());

        hills.voidEast = false;
        m.setGround(nullptr);
        m.setGround(&hills);
        m.executeMission();
        QCOMPARE(sdk.uploads.size(), 1);
        const QList<DJIWaypoint> &sent = sdk.uploads[0].waypoints;
        QVERIFY(sent.size() > 2);
        QCOMPARE(sent.constFirst().height, 50.0); // over the take-off point, the first waypoint
        QCOMPARE(sent.constLast().latitude, 43.003);
        const double rise = *hills.heightAt(43.003, -83.997) - *hills.heightAt(43.0, -84.0);
        QVERIFY(std::abs(sent.constLast().height - (rise + 50)) <= 2.0 + 1e-9);
        QVERIFY(m.terrain()->followable());
    }

    // A file's heights above sea level are flown over the take-off point's ground (700 m here,
    // its first waypoint's) and go back to a file above sea level: 768 m is flown at 68 m, and
    // 80 m set on the slider is written as 780 m.
    void seaLevelHeightsKeepTheirReference()
    {
        struct Plateau : ElevationSource {
            std::optional<double> heightAt(double, double) const override { return 700.0; }
        } plateau;
        QTemporaryDir dir;
        MissionPlan file;
        file.waypoints = {{43.0, -84.0}, {43.002, -84.0}};
        file.altitude = 768;
        file.altitudeReference = HeightReference::SeaLevel;
        const QString in = dir.filePath(QStringLiteral("in.kml")), out = dir.filePath(QStringLiteral("out.kml"));
        QVERIFY(planio::savePlanFile(file, in, planio::Format::Kml).isEmpty());
        FlightPlanModel m;
        m.setGround(&plateau);
        QVERIFY(m.openPlan(in));
        QCOMPARE(m.missionAltitude(), 68.0);
        m.setMissionAltitude(80);
        QVERIFY(m.savePlan(out));
        const PlanReadResult back = planio::readPlanFile(out);
        QVERIFY(back.ok());
        QCOMPARE(back.plan->altitudeReference, HeightReference::SeaLevel);
        QCOMPARE(back.plan->altitude.value_or(0), 780.0);
    }
};

QTEST_MAIN(TestFlightPlanGround)
#include "tst_flightplanground.moc"
