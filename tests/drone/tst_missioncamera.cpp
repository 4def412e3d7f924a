// The simulated aircraft's camera on a mission, on a clock the test drives: a 10 ha survey flown
// with its camera actions takes the planner's photos on each line, a trigger distance apart, and
// none on the turns or the way home; single actions fire where they are set; a failing camera
// leaves a gap; the drone link counts the flight's photos.
#include "FlightPlanModel.h"
#include "SimFlight.h"
#include "SurveyMission.h"

#include <QSignalSpy>

using namespace simflight;
using namespace zeltrin;
using namespace zeltrin::survey;

Q_DECLARE_METATYPE(QList<DJICameraAction>)

namespace {

using Local = FlightModel::Point;

Local local(const DJIPhotoCapture &p)
{
    return SimulatedDJISDK::toLocal(p.latitude, p.longitude);
}
Local local(const Coordinate &c)
{
    return SimulatedDJISDK::toLocal(c.latitude, c.longitude);
}

double toSegment(Local p, Local a, Local b)
{
    const double dx = b.east - a.east, dy = b.north - a.north, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.east - a.east) * dx + (p.north - a.north) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.east - a.east - t * dx, p.north - a.north - t * dy);
}

// The capture events the drone link relays, in order.
struct Shots {
    QList<DJIPhotoCapture> all;
    explicit Shots(DJIDroneManager &m)
    {
        QObject::connect(&m, &DJIDroneManager::photoCaptured, [this](const DJIPhotoCapture &p) { all << p; });
    }
};

// 400 × 250 m (10 ha) from 200 m north of the take-off point, where the climb is done.
SurveySettings tenHectares(double angle)
{
    SurveySettings s;
    for (const auto &[east, north] : {std::pair{-200.0, 200.0}, {200.0, 200.0}, {200.0, 450.0}, {-200.0, 450.0}}) {
        const DJIWaypoint at = SimulatedDJISDK::toLatLon({east, north});
        s.polygon.append({at.latitude, at.longitude});
    }
    s.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    s.height = 80; // footprint 120 × 80 m: lines 36 m apart, a photo every 16 m
    s.gridAngle = angle;
    return s;
}

// A mission north through `actions.size()` waypoints 100 m apart, the first 100 m out, at 30 m.
DJIWaypointMission northwards(const QList<QList<DJICameraAction>> &actions)
{
    DJIWaypointMission m;
    m.speed = 8;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        DJIWaypoint w = SimulatedDJISDK::toLatLon({0, 100.0 * (i + 1)});
        w.height = 30;
        w.actions = actions[i];
        m.waypoints << w;
    }
    return m;
}

bool finished(Flight &f)
{
    return f.model().missionState() == FlightModel::MissionState::finished;
}

} // namespace

class TestMissionCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void surveyTakesThePlannedPhotosOnTheLines_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<bool>("fromPlanScreen");
        QTest::addColumn<int>("lines");   // 0: as planned
        QTest::addColumn<int>("perLine"); // photos on each
        // Footprint 120 m across the lines, 80 m along; 70 % side and 80 % front overlap: lines
        // 36 m apart, a photo every 16 m. Lines east cross 250 m: ⌈250 / 36⌉ = 7 lines, each 400 m
        // long with its photos' centres from 40 m in to 40 m short of the end: 320 / 16 + 1 = 21.
        // Lines north cross 400 m: ⌈400 / 36⌉ = 12 lines, each 250 m: ⌈170 / 16⌉ + 1 = 12 photos,
        // 176 m from the first to the last, centred. At 30° the lines' lengths all differ.
        QTest::newRow("lines east") << 90.0 << false << 7 << 21;
        QTest::newRow("lines north") << 0.0 << false << 12 << 12;
        QTest::newRow("lines at 30°") << 30.0 << false << 0 << 0;
        QTest::newRow("uploaded by the flight plan screen") << 90.0 << true << 7 << 21;
    }
    void surveyTakesThePlannedPhotosOnTheLines()
    {
        QFETCH(double, angle);
        QFETCH(bool, fromPlanScreen);
        QFETCH(int, lines);
        QFETCH(int, perLine);
        const SurveySettings spec = tenHectares(angle);
        SurveyFlightSettings settings;
        settings.speed = 10;
        settings.takeOff = Coordinate{SimulatedDJISDK::kParkedLatitude, SimulatedDJISDK::kParkedLongitude};
        const SurveyFlight plan = planSurvey(spec, settings);
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        const double trigger = plan.figures.image.triggerDistance;
        QCOMPARE(trigger, 16.0);

        Flight f;
        Shots shots(f.manager);
        QVERIFY(f.connectAircraft());
        f.model().setBatteryCharge(100);
        FlightPlanModel screen;
        if (fromPlanScreen) {
            screen.setDrone(&f.manager);
            screen.setUploadDurationMs(10);
            screen.applyMissionPlan(surveyMissionPlan(spec, plan, settings.speed));
            QCOMPARE(screen.aircraftMission(), surveyAircraftMission(spec, plan, settings.speed));
            screen.executeMission();
            QTRY_VERIFY(f.model().missionState() == FlightModel::MissionState::executing);
        } else {
            f.manager.executeMission(surveyAircraftMission(spec, plan, settings.speed));
            f.settle();
        }
        f.flyUntil([&] { return finished(f); }, 3000);
        QVERIFY(finished(f));
        QVERIFY(f.failures.isEmpty());
        const qsizetype taken = shots.all.size();
        f.manager.returnToHome();
        f.settle();
        f.flyUntil([&] { return !f.model().isFlying(); }, 600);
        QCOMPARE(shots.all.size(), taken); // none on the way home
        QCOMPARE(f.manager.photoCount(), int(taken));

        // Each photo on a line (within a metre and a half), the lines in flight order, as many on
        // each as planned, a trigger distance apart, facing along it, from the survey's height.
        QList<int> perRun(plan.runs.size(), 0);
        qsizetype run = 0;
        for (qsizetype i = 0; i < shots.all.size(); ++i) {
            const DJIPhotoCapture &p = shots.all[i];
            QCOMPARE(p.index, int(i) + 1);
            QCOMPARE(p.gimbalPitch, -90.0);
            QVERIFY(i == 0 || p.timeMs >= shots.all[i - 1].timeMs);
            while (run < plan.runs.size()
                   && toSegment(local(p), local(plan.waypoints[plan.runs[run].first].position),
                                local(plan.waypoints[plan.runs[run].last].position))
                       > 1.5)
                ++run;
            QVERIFY2(run < plan.runs.size(),
                     qPrintable(QStringLiteral("photo %1 at %2, %3 is on no line")
                                    .arg(i + 1)
                                    .arg(local(p).east)
                                    .arg(local(p).north)));
            if (perRun[run] > 0) {
                const Local a = local(shots.all[i - 1]), b = local(p);
                QCOMPARE_LE(std::abs(std::hypot(b.east - a.east, b.north - a.north) - trigger), 0.5);
            }
            const auto &planned = plan.photos;
            const auto first = std::find_if(planned.begin(), planned.end(),
                                            [&](const SurveyPhoto &s) { return s.run == run; });
            // The first is taken as the aircraft reaches the line from its turnaround, still
            // settling on it.
            if (perRun[run] > 0)
                QCOMPARE_LE(std::abs(std::remainder(p.heading - first->heading, 360.0)), 5.0);
            QCOMPARE_LE(std::abs(p.height - 80.0), 1.0);
            ++perRun[run];
        }
        for (qsizetype r = 0; r < plan.runs.size(); ++r) {
            const auto planned = std::count_if(plan.photos.begin(), plan.photos.end(),
                                               [&](const SurveyPhoto &s) { return s.run == r; });
            QVERIFY2(perRun[r] == planned,
                     qPrintable(QStringLiteral("run %1: %2 of %3").arg(r).arg(perRun[r]).arg(planned)));
        }
        QCOMPARE(taken, plan.figures.photoCount);
        if (lines > 0) {
            QCOMPARE(plan.runs.size(), lines);
            QCOMPARE(perRun, QList<int>(lines, perLine));
        }
    }

    // Single actions on a straight mission north; the photos' distances north, to half a metre.
    void actionsFireWhereTheyAreSet_data()
    {
        QTest::addColumn<QList<QList<DJICameraAction>>>("actions");
        QTest::addColumn<double>("returnAt"); // north, where the pilot calls the aircraft home; 0: never
        QTest::addColumn<QList<double>>("norths");
        QTest::addColumn<double>("pitch");
        using L = QList<DJICameraAction>;
        QTest::newRow("a photo at its waypoint")
            << QList<L>{{}, {DJITakePhoto{}}, {}} << 0.0 << QList<double>{200} << 0.0;
        QTest::newRow("every 20 m from one waypoint to the next")
            << QList<L>{{}, {DJIStartDistancePhotos{20}}, {DJIStopDistancePhotos{}}, {}} << 0.0
            << QList<double>{200, 220, 240, 260, 280, 300} << 0.0;
        QTest::newRow("stopped short of the mission's end")
            << QList<L>{{DJIStartDistancePhotos{50}}, {DJIStopDistancePhotos{}}, {}, {}} << 0.0
            << QList<double>{100, 150, 200} << 0.0;
        QTest::newRow("never stopped: on to the mission's end") << QList<L>{{}, {DJIStartDistancePhotos{50}}, {}, {}}
                                                                << 0.0 << QList<double>{200, 250, 300, 350, 400} << 0.0;
        QTest::newRow("the gimbal set first")
            << QList<L>{{DJISetGimbalPitch{-45}}, {DJITakePhoto{}}} << 0.0 << QList<double>{200} << -45.0;
        QTest::newRow("the gimbal only goes so far")
            << QList<L>{{DJISetGimbalPitch{-120}}, {DJITakePhoto{}}} << 0.0 << QList<double>{200} << -90.0;
        QTest::newRow("a return ends the run")
            << QList<L>{{DJIStartDistancePhotos{25}}, {}, {}} << 160.0 << QList<double>{100, 125, 150} << 0.0;
        QTest::newRow("a trigger too short is not taken up")
            << QList<L>{{DJIStartDistancePhotos{0.05}}, {}} << 0.0 << QList<double>{} << 0.0;
    }
    void actionsFireWhereTheyAreSet()
    {
        QFETCH(QList<QList<DJICameraAction>>, actions);
        QFETCH(double, returnAt);
        QFETCH(QList<double>, norths);
        QFETCH(double, pitch);
        Flight f;
        Shots shots(f.manager);
        QVERIFY(f.connectAircraft());
        f.manager.executeMission(northwards(actions));
        f.settle();
        f.flyUntil(
            [&] {
                if (returnAt > 0 && f.model().position().north >= returnAt
                    && f.model().phase() == FlightModel::Phase::mission)
                    f.model().goHome();
                return finished(f) || f.model().phase() == FlightModel::Phase::goingHome;
            },
            600);
        f.model().goHome();
        f.flyUntil([&] { return !f.model().isFlying(); }, 600);
        QCOMPARE(shots.all.size(), norths.size());
        for (qsizetype i = 0; i < norths.size(); ++i) {
            const Local at = local(shots.all[i]);
            QVERIFY2(std::abs(at.north - norths[i]) <= 0.5 && std::abs(at.east) <= 0.5,
                     qPrintable(QStringLiteral("photo %1 at %2, %3").arg(i + 1).arg(at.east).arg(at.north)));
            QCOMPARE(shots.all[i].gimbalPitch, pitch);
        }
    }

    // Photos every 10 m from 100 to 300 m north, the camera failing from 155 to 195 m: those on
    // the way are lost, and the ones after keep to the same spacing from the start.
    void failingCameraLeavesAGap()
    {
        Flight f;
        Shots shots(f.manager);
        QVERIFY(f.connectAircraft());
        f.manager.executeMission(northwards({{DJIStartDistancePhotos{10}}, {}, {DJIStopDistancePhotos{}}}));
        f.settle();
        f.flyUntil(
            [&] {
                const double north = f.model().position().north;
                f.sdk.setCameraFailing(north > 155 && north < 195);
                return finished(f);
            },
            600);
        QList<double> expected;
        for (double n = 100; n <= 300; n += 10)
            if (n < 155 || n > 195)
                expected << n;
        QCOMPARE(shots.all.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE_LE(std::abs(local(shots.all[i]).north - expected[i]), 0.5);
            QCOMPARE(shots.all[i].index, int(i) + 1);
        }
        // The pilot's own photo fails as well, and says so.
        f.sdk.setCameraFailing(true);
        f.manager.capturePhoto();
        f.settle();
        QCOMPARE(f.failures, QStringList{QStringLiteral("Capture: The camera did not take the photo")});
    }

    // The count is the flight's: a take-off starts it again, and the index with it.
    void photoCountIsTheFlights()
    {
        Flight f;
        QSignalSpy captured(&f.manager, &DJIDroneManager::photoCaptured);
        QVERIFY(f.connectAircraft());
        f.manager.capturePhoto();
        f.manager.capturePhoto();
        f.fly(0.5);
        QCOMPARE(f.manager.photoCount(), 2);
        f.manager.takeOff();
        f.settle();
        f.flyUntil([&] { return f.manager.isFlying(); }, 10);
        QCOMPARE(f.manager.photoCount(), 0);
        f.manager.setGimbalPitch(-30);
        f.manager.capturePhoto();
        f.fly(0.5);
        QCOMPARE(f.manager.photoCount(), 1);
        QCOMPARE(captured.size(), 3);
        const auto p = captured.last().at(0).value<DJIPhotoCapture>();
        QCOMPARE(p.index, 1);
        QCOMPARE(p.gimbalPitch, -30.0);
        QCOMPARE_LE(std::abs(p.height - f.model().height()), 1.0); // still climbing, half a second on
        QCOMPARE_LE(
            metresBetween(p.latitude, p.longitude, f.manager.flightData().latitude, f.manager.flightData().longitude),
            0.5);
    }
};

QTEST_GUILESS_MAIN(TestMissionCamera)
#include "tst_missioncamera.moc"
