// The dashboard telling the truth, driven by finger: the link control asks the SDK and waits
// for it, quick actions that cannot act say why, take-off passes the pre-flight checklist when
// the settings ask for one, and a mode the aircraft refuses is shown off again with its reason.
#include "DashboardModel.h"
#include "ScreenHarness.h"
#include "SimulatedDJISDK.h"

#include <QCoreApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QSettings>
#include <QTest>

namespace {

const char *kDashboard = "qrc:/Zeltrin/screens/dashboard/DashboardView.qml";

struct Dashboard : ScreenHarness {
    bool loaded = false;
    explicit Dashboard(Aircraft aircraft) : ScreenHarness(aircraft)
    {
        loaded = open(QUrl(QString::fromLatin1(kDashboard)));
    }
    DashboardModel *model() const { return ScreenHarness::model<DashboardModel>(); }
    void tapNamed(const QString &name) { tap(findShown(name), true, 0, 0); }
    QString notice() const { return model()->notice()->shown() ? model()->notice()->text() : QString(); }
    void scrollSheetToEnd()
    {
        QVariant sheet;
        QMetaObject::invokeMethod(root(), "presentedSheetContent", Q_RETURN_ARG(QVariant, sheet));
        if (auto *item = sheet.value<QQuickItem *>())
            QMetaObject::invokeMethod(item, "scrollToEnd");
        QTest::qWait(50);
    }
};

void setChecklist(bool on)
{
    QSettings().setValue(QStringLiteral("enablePreflightChecklist"), on);
}

} // namespace

class TestDashboardActions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The preferences the settings screen keeps, in this run's own store.
        QCoreApplication::setOrganizationName(QStringLiteral("ZeltrinTests"));
        // A store of this process's own: the offscreen and the window runs go side by side.
        QCoreApplication::setApplicationName(
            QStringLiteral("tst_dashboardactions-%1").arg(QCoreApplication::applicationPid()));
    }
    void init() { setChecklist(true); }

    // Tapped while disconnected, the control asks the SDK and reads "Connecting…" until the
    // aircraft is reported; tapped while connected, it ends the link. With no aircraft in time,
    // it falls back to "Disconnected" and says why, once.
    void linkControl_data()
    {
        QTest::addColumn<bool>("aircraftAnswers");
        QTest::newRow("an aircraft answers") << true;
        QTest::newRow("nothing answers") << false;
    }
    void linkControl()
    {
        QFETCH(bool, aircraftAnswers);
        Dashboard s(ScreenHarness::Aircraft::fake);
        QVERIFY(s.loaded);
        s.drone()->setConnectTimeoutMs(1000);
        s.tapNamed(QStringLiteral("linkButton"));
        QCOMPARE(s.fakeSdk()->connectionRequests, 1);
        QVERIFY(s.findShown(QStringLiteral("Connecting\u2026")));
        QCOMPARE(s.model()->linkIcon(), QStringLiteral("antenna.radiowaves.left.and.right.slash"));
        if (!aircraftAnswers) {
            QTRY_VERIFY_WITH_TIMEOUT(s.findShown(QStringLiteral("Disconnected")), 3000);
            const QString why = QStringLiteral(
                "No aircraft answered within 1 s. Check that it and the remote controller are on.");
            QCOMPARE(s.notice(), why);
            QTRY_VERIFY(s.findShown(why));
            return;
        }
        QTest::qWait(100);
        QVERIFY(!s.findShown(QStringLiteral("Connected"))); // not by itself
        s.fakeSdk()->connectAircraft(QStringLiteral("Falcon"));
        QTRY_VERIFY(s.findShown(QStringLiteral("Connected")));
        s.tapNamed(QStringLiteral("linkButton"));
        QCOMPARE(s.fakeSdk()->disconnectRequests, 1);
        QTRY_VERIFY(s.findShown(QStringLiteral("Disconnected")));
        QVERIFY(s.findShown(QStringLiteral("Falcon"))); // the last model stays
    }

    // A quick action that cannot act now is faded, and a tap says why instead of commanding.
    void quickActionsSayWhyTheyCannotAct_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("why");
        QTest::newRow("take off, no aircraft") << "none"
                                               << "Take Off"
                                               << "No aircraft connected";
        QTest::newRow("take off, flying") << "flying"
                                          << "Take Off"
                                          << "Already flying";
        QTest::newRow("land, grounded") << "grounded"
                                        << "Land"
                                        << "Not flying";
        QTest::newRow("RTH, grounded") << "grounded"
                                       << "RTH"
                                       << "Not flying";
    }
    void quickActionsSayWhyTheyCannotAct()
    {
        QFETCH(QString, setup);
        QFETCH(QString, action);
        QFETCH(QString, why);
        setChecklist(false);
        Dashboard s(ScreenHarness::Aircraft::simulated);
        QVERIFY(s.loaded);
        if (setup != QLatin1String("none"))
            QVERIFY(s.connectAircraft());
        if (setup == QLatin1String("flying")) {
            s.drone()->takeOff();
            s.fly(3);
            QVERIFY(s.drone()->isFlying());
        }
        QQuickItem *tile = s.findShown(action);
        QVERIFY(tile);
        QVERIFY(!tile->property("available").toBool());
        s.tap(tile, true, 0, 0);
        QCOMPARE(s.notice(), why);
        QTest::qWait(100);
        QVERIFY(!s.findShown(QStringLiteral("holdToTakeOff"))); // no hold is asked for
        s.fly(1);
        QCOMPARE(s.notice(), why); // and no refusal follows
        QCOMPARE(s.drone()->isFlying(), setup == QLatin1String("flying"));
    }

    // With the checklist on, "Take Off" opens it; a failing item and unticked manual items keep
    // "Continue to Take Off" disabled; once all pass, the hold follows and the aircraft flies.
    void takeOffPassesTheChecklist()
    {
        Dashboard s(ScreenHarness::Aircraft::simulated);
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.simulator()->model().setBatteryCharge(22); // under the 25 % return level
        s.fly(0.3);
        s.tapNamed(QStringLiteral("Take Off"));
        QTRY_VERIFY(s.findShown(QStringLiteral("Pre-Flight Checklist")));
        QTest::qWait(450); // the sheet slides up
        QQuickItem *battery = s.findShown(QStringLiteral("checklist-battery"));
        QVERIFY(battery);
        QVERIFY(!battery->property("passed").toBool());
        QCOMPARE(battery->property("detail").toString(), QStringLiteral("22% \u2014 returns home at 25%"));
        QVERIFY(s.findShown(QStringLiteral("checklist-gps"))->property("passed").toBool());
        s.scrollSheetToEnd(); // the pilot's items and "Continue" below the aircraft's
        QQuickItem *go = s.findShown(QStringLiteral("checklistContinue"));
        QVERIFY(go && !go->isEnabled());
        s.tapNamed(QStringLiteral("checklist-propellers"));
        QTRY_VERIFY(s.findShown(QStringLiteral("checklist-propellers"))->property("passed").toBool());
        s.tapNamed(QStringLiteral("checklist-area"));
        QTRY_VERIFY(s.findShown(QStringLiteral("checklist-area"))->property("passed").toBool());
        QCOMPARE(s.findShown(QStringLiteral("checklistOpen"))->property("text").toString(),
                 QStringLiteral("1 item still open"));
        s.tap(go, true, 0, 0);
        QVERIFY(!s.findShown(QStringLiteral("holdToTakeOff"))); // still blocked

        s.simulator()->model().setBatteryCharge(80);
        s.fly(0.3);
        QTRY_VERIFY(go->isEnabled());
        s.tap(go, true, 0, 0);
        QTRY_VERIFY(s.findShown(QStringLiteral("holdToTakeOff")));
        QTRY_VERIFY(!s.app()->appState()->showingPreFlight());
        QTest::qWait(400); // the sheet slides away
        s.tap(s.findShown(QStringLiteral("holdToTakeOff")), true, 1300, 0);
        s.fly(3);
        QVERIFY(s.drone()->isFlying());
    }

    // A mode the aircraft refuses: the flag flips at once, then back, and both the dashboard
    // and the reopened sheet say why in the pilot's words.
    void refusedModeIsShownOffWithItsReason()
    {
        setChecklist(false);
        Dashboard s(ScreenHarness::Aircraft::simulated);
        QVERIFY(s.loaded);
        QVERIFY(s.connectAircraft());
        s.tapNamed(QStringLiteral("ActiveTrack"));
        QTRY_VERIFY(s.findShown(QStringLiteral("Start ActiveTrack")));
        QTest::qWait(450);
        s.scrollSheetToEnd(); // the start button is the sheet's last control
        bool sawOn = false;
        const auto c = QObject::connect(s.model(), &DashboardModel::activeTrackEnabledChanged, s.model(),
                                        [&] { sawOn = sawOn || s.model()->activeTrackEnabled(); });
        s.tapNamed(QStringLiteral("Start ActiveTrack"));
        QVERIFY(sawOn); // at once, as the sheet always did
        QObject::disconnect(c);
        QTRY_VERIFY(!s.model()->activeTrackEnabled());
        const QString why = QStringLiteral("ActiveTrack needs the aircraft in the air");
        QTRY_COMPARE(s.notice(), why);
        QVERIFY(s.findShown(QStringLiteral("ActiveTrack"))); // not "Stop Track"
        QVERIFY(!s.findShown(QStringLiteral("Tracking Active, Target locked")));
        QTRY_VERIFY(!s.model()->showActiveTrack());
        QTest::qWait(400);
        s.tapNamed(QStringLiteral("ActiveTrack"));
        QTRY_VERIFY(s.findShown(QStringLiteral("modeRefusal")));
        QCOMPARE(accessibleName(s.findShown(QStringLiteral("modeRefusal"))), why);
        QVERIFY(s.findShown(QStringLiteral("Start ActiveTrack")));
    }
};

QTEST_MAIN(TestDashboardActions)
#include "tst_dashboardactions.moc"
