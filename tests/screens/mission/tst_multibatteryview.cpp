// A survey of three or four batteries flown as a pilot would, by touch: uploaded with Multi-Battery on,
// the first part flown home and down by the simulated aircraft; the dashboard asks for the
// battery, a tap on it opens the plan, and one on "Resume Mission" carries the mission on, also
// after the app was started anew. A plan changed since is not resumed.
#include "AppState.h"
#include "FlightPlanModel.h"
#include "ScreenHarness.h"
#include "SimulatedDJISDK.h"
#include "SurveyEditModel.h"
#include "TileMapItem.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QUrl kPlanner(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml"));
const QUrl kDashboard(QStringLiteral("qrc:/Zeltrin/screens/dashboard/DashboardView.qml"));

struct Field : ScreenHarness {
    QTemporaryDir dir;
    Field() : ScreenHarness(NoAppYet{}) { start(); }
    void start()
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.flightStore = std::make_unique<FlightStore>(dir.filePath(QStringLiteral("flights.sqlite")));
        launch(std::move(deps), Aircraft::simulated);
    }
    // The planner with the 900 × 700 m survey at `height`, Multi-Battery on.
    FlightPlanModel *plan(double height = 100)
    {
        if (!open(kPlanner) || !connectAircraft())
            return nullptr;
        if (auto *map = qobject_cast<TileMapItem *>(find(QStringLiteral("tileMap")))) {
            map->setImageryUrlTemplate({});
            map->setLabelsUrlTemplate({});
        }
        simulator()->model().setBatteryCharge(100);
        auto *survey = root()->property("survey").value<SurveyEditModel *>();
        survey->begin();
        survey->setHeight(height);
        survey->setGridAngle(90);
        for (const auto &[lat, lon] :
             {std::pair{42.99685, -84.0055}, {42.99685, -83.9945}, {43.00315, -83.9945}, {43.00315, -84.0055}})
            survey->addCorner(lat, lon);
        survey->finish();
        auto *p = root()->property("plan").value<FlightPlanModel *>();
        p->setMultiBatteryEnabled(true);
        p->setUploadDurationMs(10);
        return p;
    }
    void flyUntilDown()
    {
        for (int i = 0; i < 4000 && (i < 10 || simulator()->model().isFlying()); ++i) {
            fly(1);
            QCoreApplication::processEvents();
        }
        fly(1); // the readings after the landing
    }
};

} // namespace

class TestMultiBatteryView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void batteryChangeAndResumeByTouch()
    {
        Field f;
        FlightPlanModel *plan = f.plan();
        QVERIFY(plan);
        QTRY_VERIFY(plan->batteries()->partCount() >= 3);
        const QString notice =
            QStringLiteral("Change the battery to continue: part 2 of %1").arg(plan->batteries()->partCount());
        f.tap(f.findShown(QStringLiteral("uploadButton")));
        QTRY_VERIFY(f.app()->multiBattery()->keeper().isFollowing());
        f.flyUntilDown();
        QCOMPARE(f.app()->multiBattery()->changeBatteryText(), notice);
        QVERIFY(f.findShown(QStringLiteral("resumeButton")));

        // The app started anew, with a fresh pack: the dashboard asks, the plan resumes.
        f.start();
        QVERIFY(f.open(kDashboard));
        QTRY_VERIFY(f.findShown(QStringLiteral("changeBatteryBanner")));
        QVERIFY(f.findShown(notice));
        f.tap(f.findShown(QStringLiteral("changeBatteryBanner"))); // tap 1
        QCOMPARE(f.app()->appState()->selectedTab(), AppTab::flightPlan);
        // The planner starts empty: the plan kept with the breakpoint is the one resumed.
        QVERIFY(f.open(kPlanner) && f.connectAircraft());
        f.simulator()->model().setBatteryCharge(100);
        plan = f.root()->property("plan").value<FlightPlanModel *>();
        QCOMPARE(plan->waypointCount(), 0);
        QTRY_VERIFY(f.findShown(QStringLiteral("resumeButton")));
        f.tap(f.findShown(QStringLiteral("resumeButton"))); // tap 2: resumed
        QTRY_VERIFY(f.app()->multiBattery()->keeper().isFollowing());
        QVERIFY2(plan->uploadMessage().isEmpty(), qPrintable(plan->uploadMessage()));
        f.fly(5);
        QCOMPARE(f.drone()->missionState(), QStringLiteral("executing"));
        QCOMPARE(f.app()->multiBattery()->keeper().breakpoint().part, 2);
    }

    void changedPlanIsNotResumed()
    {
        Field f;
        FlightPlanModel *plan = f.plan();
        QVERIFY(plan);
        QTRY_VERIFY(plan->batteries()->partCount() >= 3);
        f.tap(f.findShown(QStringLiteral("uploadButton")));
        QTRY_VERIFY(f.app()->multiBattery()->keeper().isFollowing());
        f.flyUntilDown();
        f.start();
        plan = f.plan(110); // another height: another plan
        QVERIFY(plan);
        QTRY_VERIFY(f.findShown(QStringLiteral("resumeButton")));
        f.tap(f.findShown(QStringLiteral("resumeButton")));
        QVERIFY(plan->uploadMessage().startsWith(QStringLiteral("The plan was changed")));
        QVERIFY(f.findShown(QStringLiteral("uploadRefusalText")));
        QVERIFY(!f.app()->multiBattery()->keeper().isFollowing());
    }
};

QTEST_MAIN(TestMultiBatteryView)
#include "tst_multibatteryview.moc"
