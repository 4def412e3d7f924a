// The upload step as it is now: the plan handed over at the tap, the step ending when both its
// two seconds and the aircraft's answer are in, a refusal kept in the panel with nothing flying,
// a running mission replaced only when the pilot says so, and an automatic return seen from
// the Mission tab.
#include "AppState.h"
#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "MainTabModel.h"
#include "ScreenHarness.h"
#include "SimulatedDJISDK.h"
#include "TileMapItem.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

namespace {

// The flight plan screen on the simulated aircraft, connected, with no imagery to fetch.
struct PlanScreen : ScreenHarness {
    FlightPlanModel *plan = nullptr;
    bool ready = false;
    explicit PlanScreen(const char *url = "qrc:/Zeltrin/screens/mission/FlightPlanView.qml")
        : ScreenHarness(Aircraft::simulated)
    {
        if (!load(QUrl(QString::fromLatin1(url))))
            return;
        attach(root());
        show();
        ready = waitExposed() && connectAircraft();
    }
    // The screen's plan, and a map with no imagery to fetch: these tests are offline.
    void attach(QQuickItem *screen)
    {
        plan = screen->property("plan").value<FlightPlanModel *>();
        if (auto *map = qobject_cast<TileMapItem *>(find(QStringLiteral("tileMap"), screen))) {
            map->setImageryUrlTemplate({});
            map->setLabelsUrlTemplate({});
        }
    }
    void tapUpload() { tap(findShown(QStringLiteral("uploadButton"))); }
};

} // namespace

class TestMissionUpload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The step ends when both the wait and the answer are in, whichever comes last; a refusal
    // stays in the panel with the plan as it was, and nothing is flown.
    void stepEndsWithTheWaitAndTheAnswer_data()
    {
        QTest::addColumn<QString>("aircraft");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("flown");
        QTest::newRow("taken at once") << "accepts"
                                       << "" << true;
        QTest::newRow("taken after the wait") << "late"
                                              << "" << true;
        QTest::newRow("refused") << "ceiling"
                                 << "Mission altitude 120 m is above the 60 m ceiling" << false;
        QTest::newRow("no aircraft") << "none"
                                     << "Aircraft is not connected" << false;
        QTest::newRow("no drone link") << "nolink"
                                       << "Aircraft is not connected" << false;
    }
    void stepEndsWithTheWaitAndTheAnswer()
    {
        QFETCH(QString, aircraft);
        QFETCH(QString, message);
        QFETCH(bool, flown);
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        if (aircraft == QLatin1String("accepts") || aircraft == QLatin1String("late"))
            sdk.answer = DJICommandError{};
        if (aircraft == QLatin1String("ceiling"))
            sdk.answer = DJICommandError(message);
        sdk.holdUploads = aircraft == QLatin1String("late");
        FlightPlanModel m;
        if (aircraft != QLatin1String("nolink"))
            m.setDrone(&drone);
        m.setUploadDurationMs(100);
        for (int i = 0; i < 3; ++i)
            m.addWaypoint();
        m.setMissionAltitude(120);
        QElapsedTimer t;
        t.start();
        m.executeMission();
        QVERIFY(m.isUploadingMission());
        if (aircraft == QLatin1String("late")) {
            QTest::qWait(250);
            QVERIFY(m.isUploadingMission()); // the wait is over, the answer is not in
            QCOMPARE(m.uploadButtonText(), QStringLiteral("Uploading Mission..."));
            sdk.heldUploads.takeFirst()(std::nullopt);
        }
        QTRY_VERIFY(!m.isUploadingMission());
        QVERIFY(t.elapsed() >= 100);
        QCOMPARE(m.uploadMessage(), message);
        QTRY_COMPARE(sdk.missions.size(), flown ? 1 : 0);
        QCOMPARE(m.waypointCount(), 3);
        QCOMPARE(m.missionAltitude(), 120.0);
        QVERIFY(m.uploadEnabled());
        // The next upload starts afresh.
        m.executeMission();
        QCOMPARE(m.uploadMessage(), QString());
        m.cancelUpload();
    }

    // The plan is published for the take-off checks while the screen has one, and withdrawn
    // with the screen.
    void thePlanIsPublished()
    {
        AppState state;
        {
            FlightPlanModel m;
            m.setAppState(&state);
            QVERIFY(!state.plannedMission());
            m.addWaypoint();
            m.addWaypoint();
            m.setMissionAltitude(75);
            QVERIFY(state.plannedMission() && *state.plannedMission() == m.aircraftMission());
            m.moveWaypoints({1}, 0);
            QCOMPARE(state.plannedMission()->waypoints.first().latitude, 43.003);
            m.clearWaypoints();
            QVERIFY(!state.plannedMission());
            m.addWaypoint();
            QVERIFY(state.plannedMission());
        }
        QVERIFY(!state.plannedMission());
    }

    // By finger, with "Max Altitude" at 60 m: the aircraft refuses a 120 m plan, the panel says
    // so after the step, the plan stays and the aircraft stays on the ground.
    void refusedAboveTheCeiling()
    {
        PlanScreen s;
        QVERIFY(s.ready);
        s.drone()->setAltitudeCeiling(60);
        s.plan->setUploadDurationMs(300);
        for (int i = 0; i < 3; ++i)
            s.plan->addWaypoint();
        s.plan->setMissionAltitude(120);
        s.tapUpload();
        QVERIFY(s.findShown(QStringLiteral("Uploading Mission...")));
        QTRY_VERIFY(!s.plan->isUploadingMission());
        const QString reason = QStringLiteral("Mission altitude 120 m is above the 60 m ceiling");
        QQuickItem *shown = s.findShown(QStringLiteral("uploadRefusalText"));
        QVERIFY(shown);
        QCOMPARE(shown->property("text").toString(), reason);
        s.fly(3);
        QVERIFY(!s.drone()->isFlying());
        QCOMPARE(s.plan->waypointCount(), 3);
        // A tap puts the message away.
        s.tap(shown);
        QTRY_VERIFY(!s.findShown(QStringLiteral("uploadRefusalText")));
    }

    // While a mission runs, the upload asks first; Cancel leaves the aircraft on its way,
    // Replace starts the plan again from its first waypoint.
    void aRunningMissionIsReplacedOnlyWhenAsked()
    {
        PlanScreen s;
        QVERIFY(s.ready);
        s.plan->setUploadDurationMs(100);
        for (int i = 0; i < 3; ++i)
            s.plan->addWaypoint();
        s.tapUpload();
        QTRY_VERIFY(!s.plan->isUploadingMission());
        s.fly(60);
        QCOMPARE(s.drone()->missionState(), QStringLiteral("executing"));
        const int flyingTo = s.drone()->missionWaypoint();
        QVERIFY(flyingTo >= 1);

        s.tapUpload();
        QVERIFY(!s.plan->isUploadingMission());
        QTRY_VERIFY(s.findShown(QStringLiteral("Replace the running mission?")));
        QTest::qWait(350); // the dialog slides up
        s.tap(s.findShown(QStringLiteral("cancelAction")));
        QTRY_VERIFY(!s.plan->replaceMissionPending());
        QTRY_VERIFY(!s.findShown(QStringLiteral("cancelAction"))); // slid away, no longer in the way
        s.fly(1);
        QCOMPARE(s.drone()->missionWaypoint(), flyingTo);

        s.tapUpload();
        QTRY_VERIFY(s.findShown(QStringLiteral("destructiveAction")));
        QTest::qWait(350);
        s.tap(s.findShown(QStringLiteral("destructiveAction")));
        QTRY_VERIFY(!s.plan->isUploadingMission());
        s.fly(1);
        QCOMPARE(s.drone()->missionState(), QStringLiteral("executing"));
        QCOMPARE(s.drone()->missionWaypoint(), 0);
    }

    // A low-battery return seen from the Mission tab: the banner above the tabs and the panel
    // both say it while it lasts, and neither once the aircraft has landed.
    void automaticReturnSeenFromTheMissionTab()
    {
        PlanScreen s("qrc:/Zeltrin/app/qml/MainTabView.qml");
        QVERIFY(s.ready);
        s.app()->appState()->setSelectedTab(AppTab::flightPlan);
        QTRY_VERIFY(s.find(QStringLiteral("tileMap")));
        s.attach(s.root());
        QTRY_VERIFY(s.findShown(QStringLiteral("missionControlPanel")));
        const QString text = QStringLiteral("Returning home \u2014 low battery");
        s.simulator()->model().setBatteryCharge(FlightModel::kDefaultReturnCharge + 1);
        DJIWaypointMission out;
        out.waypoints << SimulatedDJISDK::toLatLon({0, 800});
        out.waypoints.first().height = 40;
        s.drone()->executeMission(out);
        for (int i = 0; i < 300 && s.drone()->autoReturnText().isEmpty(); ++i)
            s.fly(1);
        QCOMPARE(s.drone()->autoReturnText(), text);
        QTRY_VERIFY(s.findShown(QStringLiteral("autoReturnBanner")));
        QVERIFY(s.findShown(QStringLiteral("panelAutoReturn")));
        QCOMPARE(s.findShown(QStringLiteral("autoReturnBanner"))->property("text").toString(), text);
        for (int i = 0; i < 600 && s.drone()->isFlying(); ++i)
            s.fly(1);
        QVERIFY(!s.drone()->isFlying());
        QTRY_VERIFY(!s.findShown(QStringLiteral("autoReturnBanner")));
        QVERIFY(!s.findShown(QStringLiteral("panelAutoReturn")));
    }
};

QTEST_MAIN(TestMissionUpload)
#include "tst_missionupload.moc"
