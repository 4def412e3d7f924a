// The dashboard and the telemetry screen with the simulated aircraft behind the link, on a clock
// the test drives: a take-off confirmed by holding, refusals and alerts in the banner, live
// values read from the QML, and how the screens look once the link drops.
#include "DJIDroneManager.h"
#include "QmlSetup.h"
#include "QuickItems.h"
#include "SimulatedDJISDK.h"
#include "ZeltrinPilotApp.h"

#include <QPointingDevice>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <functional>

namespace {

QQuickItem *findWhere(QQuickItem *item, const std::function<bool(QQuickItem *)> &match)
{
    if (match(item))
        return item;
    for (QQuickItem *c : item->childItems())
        if (QQuickItem *f = findWhere(c, match))
            return f;
    return nullptr;
}

bool shownOnScreen(const QQuickItem *item)
{
    for (const QQuickItem *p = item; p; p = p->parentItem())
        if (!p->isVisible() || p->opacity() <= 0.01)
            return false;
    return true;
}

struct LiveScreen {
    ManualClock clock;
    SimulatedDJISDK *sdk = nullptr;
    std::unique_ptr<ZeltrinPilotApp> app;
    QQuickView view;

    explicit LiveScreen(const char *path)
    {
        ZeltrinPilotApp::Dependencies deps;
        auto sim = std::make_unique<SimulatedDJISDK>(1, nullptr, &clock);
        sdk = sim.get();
        deps.sdk = std::move(sim);
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        zeltrin::setupEngine(*view.engine());
        app->attachTo(*view.engine());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(390, 844);
        view.setSource(QUrl(QString::fromLatin1(path)));
        view.show();
    }
    DJIDroneManager *drone() const { return app->droneManager(); }
    bool connect()
    {
        drone()->startConnection();
        return QTest::qWaitFor([&] { return drone()->connectionState() == DJIDroneManager::ConnectionState::connected; });
    }
    void fly(double seconds)
    {
        for (int i = 0; i < int(seconds * 10); ++i)
            clock.advance(SimClock::kTickMs);
        QCoreApplication::processEvents();
    }
    // A visible item whose accessible name or text is `name`.
    QQuickItem *named(const QString &name)
    {
        return findWhere(view.contentItem(), [&](QQuickItem *i) {
            if (!shownOnScreen(i))
                return false;
            if (i->objectName() == name || i->property("text").toString() == name)
                return true;
            for (const QObject *c : i->children())
                if (qstrcmp(c->metaObject()->className(), "QQuickAccessibleAttached") == 0 && c->property("name").toString() == name)
                    return true;
            return false;
        });
    }
    static QPoint centre(QQuickItem *i) { return i->mapToScene(QPointF(i->width() / 2, i->height() / 2)).toPoint(); }
    void press(QPoint p) { QTest::touchEvent(&view, touchscreen()).press(0, p, &view); }
    void release(QPoint p) { QTest::touchEvent(&view, touchscreen()).release(0, p, &view); }
    void tap(QQuickItem *i)
    {
        press(centre(i));
        release(centre(i));
    }
    static QPointingDevice *touchscreen()
    {
        static QPointingDevice *dev = QTest::createTouchDevice();
        return dev;
    }
};

} // namespace

class TestLiveScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QVERIFY(s.connect());
        QQuickItem *takeOff = s.named(QStringLiteral("Take Off"));
        QVERIFY(takeOff);
        s.tap(takeOff);
        QTRY_VERIFY(s.named(QStringLiteral("holdToTakeOff")));
        QQuickItem *hold = s.named(QStringLiteral("holdToTakeOff"));
        const QPoint at = LiveScreen::centre(hold);
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

    void refusalShowsInTheBanner()
    {
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QVERIFY(s.connect());
        s.tap(s.named(QStringLiteral("Land")));
        QTRY_VERIFY(s.named(QStringLiteral("Land: Aircraft is not flying")));
        QVERIFY(!s.drone()->isFlying());
        // A tap on the banner puts it away.
        s.tap(s.named(QStringLiteral("droneNotice")));
        QTRY_VERIFY(!s.named(QStringLiteral("Land: Aircraft is not flying")));
    }

    void telemetryShowsTheLiveFlight()
    {
        LiveScreen s("qrc:/Zeltrin/screens/telemetry/TelemetryView.qml");
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QVERIFY(s.connect());
        s.drone()->takeOff();
        s.fly(6);
        QVERIFY(s.named(QStringLiteral("Altitude (AGL) 1.20 m")));
        QVERIFY(s.named(QStringLiteral("Latitude ") + QString::asprintf("%.6f\u00B0", s.drone()->flightData().latitude)));
    }

    // After the link drops, the last values stay, dimmed, and the SIM mark stays with the model.
    void droppedLinkDimsTheLastValues()
    {
        LiveScreen s("qrc:/Zeltrin/screens/dashboard/DashboardView.qml");
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QVERIFY(s.connect());
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
        s.sdk->dropLink();
        QCoreApplication::processEvents();
        QVERIFY(s.named(QStringLiteral("87%")));
        QVERIFY(effectiveOpacity(battery) < 0.5);
        s.sdk->restoreLink();
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
        LiveScreen s("qrc:/Zeltrin/screens/mission/FlightPlanView.qml");
        s.view.resize(size);
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QVERIFY(s.connect());
        QQuickItem *progress = s.view.rootObject()->findChild<QQuickItem *>(QStringLiteral("missionProgress"));
        QQuickItem *panel = s.view.rootObject()->findChild<QQuickItem *>(QStringLiteral("missionControlPanel"));
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
        QTRY_VERIFY(shownOnScreen(progress));
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
