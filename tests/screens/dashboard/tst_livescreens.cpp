// The dashboard and the telemetry screen with the simulated aircraft behind the link, on a clock
// the test drives: a take-off confirmed by holding, refusals and alerts in the banner, live
// values read from the QML (the wind, the way home), and how the screens look once the link
// drops.
#include "DJIDroneManager.h"
#include "RTHSheetModel.h"
#include "ScreenHarness.h"
#include "SimulatedDJISDK.h"

#include <QQuickItem>
#include <QQuickView>
#include <QSettings>
#include <QTest>

namespace {

// A screen with the simulated aircraft behind the link.
struct LiveScreen : ScreenHarness {
    bool loaded = false;
    explicit LiveScreen(const char *path, QSize size = kPhone) : ScreenHarness(Aircraft::simulated)
    {
        loaded = open(QUrl(QString::fromLatin1(path)), size);
    }
    // A shown item whose objectName, accessible name or text is `name`.
    QQuickItem *named(const QString &name) const { return findShown(name); }
    void tap(QQuickItem *i) { ScreenHarness::tap(i, true, 0, 0); }
};

} // namespace

class TestLiveScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Without the pre-flight checklist, take-off goes as it always did: by a hold.
        QCoreApplication::setOrganizationName(QStringLiteral("ZeltrinTests"));
        // A store of this process's own: the offscreen and the window runs go side by side.
        QCoreApplication::setApplicationName(
            QStringLiteral("tst_livescreens-%1").arg(QCoreApplication::applicationPid()));
        QSettings().setValue(QStringLiteral("enablePreflightChecklist"), false);
    }

    // A tap only asks; holding the confirmation takes off, letting go early does not.
    void takeOffNeedsAHold_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("takesOff");
        QTest::newRow("a tap") << 0 << false;
        QTest::newRow("let go at half") << 450 << false;
        QTest::newRow("held") << 1300 << true;
    }
    void takeOffNeedsAHold()
    {
        QFETCH(int, holdMs);
        QFETCH(bool, takesOff);
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        QQuickItem *takeOff = s.named(QStringLiteral("Take Off"));
        QVERIFY(takeOff);
        s.tap(takeOff);
        QTRY_VERIFY(s.named(QStringLiteral("holdToTakeOff")));
        QQuickItem *hold = s.named(QStringLiteral("holdToTakeOff"));
        const QPoint at = centreOf(hold);
        s.press(at);
        if (holdMs > 0)
            QTest::qWait(holdMs);
        s.release(at);
        QCoreApplication::processEvents();
        s.fly(5);
        QCOMPARE(s.drone()->isFlying(), takesOff);
        QCOMPARE(bool(s.named(QStringLiteral("holdToTakeOff"))), !takesOff);
        if (takesOff) {
            // The dashboard shows the hover height the aircraft reports.
            QVERIFY(s.named(QStringLiteral("1.2 m")));
        }
    }

    // The aircraft's own refusal, after the hold, in the banner under the bar.
    void refusalShowsInTheBanner()
    {
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.simulator()->model().setBatteryCharge(10);
        s.tap(s.named(QStringLiteral("Take Off")));
        QTRY_VERIFY(s.named(QStringLiteral("holdToTakeOff")));
        s.ScreenHarness::tap(s.named(QStringLiteral("holdToTakeOff")), true, 1300, 0);
        const QString refusal = QStringLiteral("Take Off: Battery too low for take-off");
        QTRY_VERIFY(s.named(refusal));
        QVERIFY(!s.drone()->isFlying());
        // A tap on the banner puts it away.
        s.tap(s.named(QStringLiteral("droneNotice")));
        QTRY_VERIFY(!s.named(refusal));
    }

    void telemetryShowsTheLiveFlight()
    {
        LiveScreen s("qrc:/Zeltrin/screens/telemetry/TelemetryView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.drone()->takeOff();
        s.fly(6);
        QVERIFY(s.named(QStringLiteral("Altitude (AGL) 1.20 m")));
        QVERIFY(s.named(QStringLiteral("Latitude ") + QString::asprintf("%.6f\u00B0", s.drone()->flightData().latitude)));
    }

    void telemetryShowsTheWindWhileLive()
    {
        LiveScreen s("qrc:/Zeltrin/screens/telemetry/TelemetryView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.named(QStringLiteral("Est. Wind Speed \u2014 m/s")));
        QVERIFY(s.connectAircraft());
        s.simulator()->model().setWind({-6.0, 0.0}); // the air moves west: an east wind
        s.fly(0.1);
        QTRY_VERIFY(s.named(QStringLiteral("Est. Wind Speed 6.0 m/s")));
        QVERIFY(s.named(QStringLiteral("Est. Wind Dir. 90\u00B0")));
        s.simulator()->dropLink();
        QTRY_VERIFY(s.named(QStringLiteral("Est. Wind Dir. \u2014\u00B0")));
    }

    // The return sheet's figures are the aircraft's way home, live; the wind option changes
    // them by touch; without a link they are unknown.
    void returnSheetShowsTheWayHome()
    {
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.simulator()->model().setWind({0.0, 8.0});
        DJIWaypointMission out;
        out.waypoints << SimulatedDJISDK::toLatLon({0, 600});
        out.waypoints[0].height = 40;
        out.speed = 10;
        s.drone()->executeMission(out);
        for (int i = 0; i < 40 && s.drone()->missionState() != QLatin1String("finished"); ++i)
            s.fly(5);
        QCOMPARE(s.drone()->missionState(), QStringLiteral("finished"));
        s.tap(s.named(QStringLiteral("Smart RTH")));
        RTHSheetModel reckoned; // the same sums, off screen
        reckoned.setDrone(s.drone());
        auto card = [&](int i) {
            const QVariantMap c = reckoned.calculations()[i].toMap();
            return c.value(QStringLiteral("label")).toString() + u' ' + c.value(QStringLiteral("value")).toString();
        };
        QTRY_VERIFY(s.named(card(0)));
        QCOMPARE(card(0), QStringLiteral("Distance Home 600m"));
        QVERIFY(s.named(card(1)));
        QVERIFY(s.named(card(2)));
        const QString withWind = card(1);
        QQuickItem *wind = s.findWhere([](QQuickItem *i) {
            return i->inherits("QQuickAbstractButton")
                && i->property("text").toString() == QLatin1String("Wind Calculation");
        });
        QVERIFY(wind);
        s.tap(wind);
        reckoned.setIncludeWindCalculation(false);
        QVERIFY(card(1) != withWind);
        QTRY_VERIFY(s.named(card(1)));
        s.simulator()->dropLink();
        QTRY_VERIFY(s.named(QStringLiteral("Distance Home \u2014")));
        QVERIFY(s.named(QStringLiteral("Est. Battery \u2014")));
        QVERIFY(s.named(QStringLiteral("RTH Time \u2014")));
    }

    // After the link drops, the last values stay, dimmed, and the SIM mark stays with the model.
    void droppedLinkDimsTheLastValues()
    {
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.fly(1);
        QVERIFY(s.named(QStringLiteral("simMark")));
        QQuickItem *battery = s.named(QStringLiteral("87%")); // parked, the charge does not move
        QVERIFY(battery);
        auto effectiveOpacity = [](QQuickItem *i) {
            double o = 1;
            for (; i; i = i->parentItem())
                o *= i->opacity();
            return o;
        };
        QCOMPARE(effectiveOpacity(battery), 1.0);
        s.simulator()->dropLink();
        QCoreApplication::processEvents();
        QVERIFY(s.named(QStringLiteral("87%")));
        QVERIFY(effectiveOpacity(battery) < 0.5);
        s.simulator()->restoreLink();
        QCoreApplication::processEvents();
        QCOMPARE(effectiveOpacity(battery), 1.0);
    }

    // A mission in flight shows its progress inside the control panel; pause, resume and stop
    // by finger reach the aircraft, at a phone's size and on its side.
    void missionProgressInThePanel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("390x844") << QSize(390, 844);
        QTest::newRow("844x390") << QSize(844, 390);
    }
    void missionProgressInThePanel()
    {
        QFETCH(QSize, size);
        LiveScreen s("qrc:/Zeltrin/screens/mission/FlightPlanView.qml", size);
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        QQuickItem *progress = s.root()->findChild<QQuickItem *>(QStringLiteral("missionProgress"));
        QQuickItem *panel = s.root()->findChild<QQuickItem *>(QStringLiteral("missionControlPanel"));
        QVERIFY(progress && panel);
        QVERIFY(!progress->isVisible());
        DJIWaypointMission mission;
        for (int i = 0; i < 4; ++i) {
            DJIWaypoint w;
            w.latitude = 43.0 + 0.003 * i;
            w.longitude = -84.0 + 0.003 * i;
            w.height = 60;
            mission.waypoints << w;
        }
        mission.speed = 8;
        s.drone()->executeMission(mission);
        s.fly(30);
        QCOMPARE(s.drone()->missionState(), QStringLiteral("executing"));
        QTRY_VERIFY(isShown(progress));
        const QRectF card = panel->mapRectToScene(panel->boundingRect());
        const QRectF row = progress->mapRectToScene(progress->boundingRect());
        QVERIFY2(card.contains(row), "the progress lies outside the control panel");
        const QString wp = QStringLiteral("WP %1 of 4").arg(s.drone()->missionWaypoint() + 1);
        QVERIFY(s.named(wp));

        s.tap(s.named(QStringLiteral("pauseMission")));
        s.fly(1); // commands complete on the aircraft's clock
        QTRY_COMPARE(s.drone()->missionState(), QStringLiteral("paused"));
        QTRY_VERIFY(s.named(wp + QStringLiteral(" \u2014 Paused")));
        s.tap(s.named(QStringLiteral("pauseMission")));
        s.fly(1);
        QTRY_COMPARE(s.drone()->missionState(), QStringLiteral("executing"));
        s.tap(s.named(QStringLiteral("stopMission")));
        s.fly(1);
        QTRY_VERIFY(s.drone()->missionState() != QLatin1String("executing"));
        QTRY_VERIFY(!progress->isVisible());
    }
};

QTEST_MAIN(TestLiveScreens)
#include "tst_livescreens.moc"
