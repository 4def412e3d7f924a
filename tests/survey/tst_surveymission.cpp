// A planned survey as the aircraft is handed it: every waypoint at the survey's height, the
// gimbal down at the first, the distance trigger on at each photo run's first waypoint and off at
// its last, and nothing anywhere else; runs that do not fit the waypoints add nothing.
#include "SurveyShapes.h"

#include "SurveyMission.h"

#include <QTest>

using namespace zeltrin;
using namespace zeltrin::survey;
using namespace surveyshapes;

Q_DECLARE_METATYPE(zeltrin::survey::PhotoRun)

namespace {

SurveySettings specOver(const QList<Coordinate> &polygon, double angle, bool crosshatch = false)
{
    SurveySettings s;
    s.polygon = polygon;
    s.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    s.height = 100; // footprint 150 × 100 m: lines 45 m apart, a photo every 20 m
    s.gridAngle = angle;
    s.crosshatch = crosshatch;
    return s;
}

// Four waypoints in a row and a survey of the 1-inch camera at 100 m over them.
DJIWaypointMission fourWaypoints()
{
    DJIWaypointMission m;
    for (int i = 0; i < 4; ++i)
        m.waypoints.append(DJIWaypoint{47.0 + i * 1e-3, 8.0, 100, DJIHeightReference::aboveTakeOff, {}});
    return m;
}

} // namespace

class TestSurveyMission : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cameraRunsOnTheLinesOnly_data()
    {
        QTest::addColumn<QList<Coordinate>>("area");
        QTest::addColumn<double>("angle");
        QTest::addColumn<bool>("crosshatch");
        QTest::addColumn<int>("runs");
        // Lines running east over 300 m: ⌈300 / 45⌉ = 7, one run each.
        QTest::newRow("rectangle") << rectangle() << 90.0 << false << 7;
        // Across the L's notch: the lines of its lower half run through, those of the upper half
        // stop at it; ⌈600 / 45⌉ = 14 lines, one run each.
        QTest::newRow("L-shape") << lShape() << 0.0 << false << 14;
        QTest::newRow("crosshatch") << rectangle() << 90.0 << true << 7 + 10;
    }
    void cameraRunsOnTheLinesOnly()
    {
        QFETCH(QList<Coordinate>, area);
        QFETCH(double, angle);
        QFETCH(bool, crosshatch);
        QFETCH(int, runs);
        const SurveySettings spec = specOver(area, angle, crosshatch);
        const SurveyFlight flight = planSurvey(spec);
        QVERIFY2(flight.ok(), qPrintable(flight.error));
        QCOMPARE(flight.runs.size(), runs);
        const double trigger = flight.figures.image.triggerDistance;
        QCOMPARE(trigger, 20.0);
        const DJIWaypointMission m = surveyAircraftMission(spec, flight, 11);
        QCOMPARE(m.speed, 11.0);
        QCOMPARE(m.waypoints.size(), flight.waypoints.size());
        using Role = SurveyWaypoint::Role;
        for (qsizetype i = 0; i < m.waypoints.size(); ++i) {
            const DJIWaypoint &w = m.waypoints[i];
            QCOMPARE(w.latitude, flight.waypoints[i].position.latitude);
            QCOMPARE(w.longitude, flight.waypoints[i].position.longitude);
            QCOMPARE(w.height, 100.0);
            QCOMPARE(w.heightReference, DJIHeightReference::aboveTakeOff);
            QList<DJICameraAction> expected;
            if (i == 0)
                expected << DJISetGimbalPitch{-90};
            const Role role = flight.waypoints[i].role;
            if (role == Role::LineStart)
                expected << DJIStartDistancePhotos{trigger};
            if (role == Role::LineEnd)
                expected << DJIStopDistancePhotos{};
            QVERIFY2(w.actions == expected, qPrintable(QStringLiteral("waypoint %1").arg(i)));
        }
        // The runs are where the planner put them.
        for (const PhotoRun &r : flight.runs) {
            QCOMPARE(flight.waypoints[r.first].role, Role::LineStart);
            QCOMPARE(flight.waypoints[r.last].role, Role::LineEnd);
        }
    }

    void unplannedSurveyGivesNoWaypoints()
    {
        const SurveySettings spec = specOver(corners({{0, 0}, {10, 0}}), 0);
        const SurveyFlight flight = planSurvey(spec);
        QVERIFY(!flight.ok());
        QVERIFY(surveyAircraftMission(spec, flight, 8).waypoints.isEmpty());
    }

    void runsThatDoNotFitAddNothing_data()
    {
        QTest::addColumn<QList<PhotoRun>>("runs");
        QTest::addColumn<bool>("fits");
        QTest::newRow("two runs") << QList<PhotoRun>{{0, 1}, {2, 3}} << true;
        QTest::newRow("one photo: a run on one waypoint") << QList<PhotoRun>{{1, 1}} << true;
        QTest::newRow("past the end") << QList<PhotoRun>{{2, 4}} << false;
        QTest::newRow("before the start") << QList<PhotoRun>{{-1, 1}} << false;
        QTest::newRow("backwards") << QList<PhotoRun>{{2, 1}} << false;
        QTest::newRow("sharing a waypoint") << QList<PhotoRun>{{0, 1}, {1, 2}} << false;
        QTest::newRow("out of order") << QList<PhotoRun>{{2, 3}, {0, 1}} << false;
    }
    void runsThatDoNotFitAddNothing()
    {
        QFETCH(QList<PhotoRun>, runs);
        QFETCH(bool, fits);
        DJIWaypointMission m = fourWaypoints();
        const DJIWaypointMission before = m;
        const SurveySettings spec = specOver(rectangle(), 0);
        const double trigger = imageGeometry(spec)->triggerDistance; // 20 m, give or take a rounding
        QCOMPARE(addSurveyCameraActions(m, MissionPlan::Survey{spec, runs}), fits);
        if (!fits) {
            QCOMPARE(m, before);
            return;
        }
        QCOMPARE(m.waypoints[0].actions.first(), DJICameraAction(DJISetGimbalPitch{-90}));
        for (const PhotoRun &r : runs) {
            QVERIFY(m.waypoints[r.first].actions.contains(DJICameraAction(DJIStartDistancePhotos{trigger})));
            QCOMPARE(m.waypoints[r.last].actions.last(), DJICameraAction(DJIStopDistancePhotos{}));
        }
    }

    void settingsWithoutATriggerAddNothing()
    {
        SurveySettings spec = specOver(rectangle(), 0);
        spec.frontOverlap = 120; // no trigger distance
        DJIWaypointMission m = fourWaypoints();
        QVERIFY(!addSurveyCameraActions(m, MissionPlan::Survey{spec, {{0, 1}}}));
        QCOMPARE(m, fourWaypoints());
        DJIWaypointMission none;
        QVERIFY(!addSurveyCameraActions(none, MissionPlan::Survey{specOver(rectangle(), 0), {}}));
    }
};

QTEST_GUILESS_MAIN(TestSurveyMission)
#include "tst_surveymission.moc"
