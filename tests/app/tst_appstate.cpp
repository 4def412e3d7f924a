#include "AppState.h"

#include <QSignalSpy>
#include <QTest>

class TestAppState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tabTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("icon");
        QTest::newRow("dashboard") << 0 << "dashboard" << "Dashboard" << "house.fill";
        QTest::newRow("flightPlan") << 1 << "flightPlan" << "Mission" << "map.fill";
        QTest::newRow("camera") << 2 << "camera" << "Camera" << "camera.fill";
        QTest::newRow("telemetry") << 3 << "telemetry" << "Telemetry" << "waveform.path.ecg";
        QTest::newRow("logbook") << 4 << "logbook" << "Logbook" << "book.closed.fill";
        QTest::newRow("settings") << 5 << "settings" << "Settings" << "gearshape.fill";
    }
    void tabTable()
    {
        QFETCH(int, index);
        QFETCH(QString, raw);
        QFETCH(QString, title);
        QFETCH(QString, icon);
        const AppTab tab = AppTabInfo::allCases.at(size_t(index));
        QCOMPARE(AppTabInfo::rawValue(tab), raw);
        QCOMPARE(AppTabInfo::title(tab), title);
        QCOMPARE(AppTabInfo::icon(tab), icon);
        QCOMPARE(AppTabInfo::fromRaw(raw), std::optional<AppTab>(tab));
    }

    void fromRawIsExact_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::newRow("title instead of raw") << "Dashboard";
        QTest::newRow("wrong case") << "flightplan";
        QTest::newRow("mission title") << "Mission";
        QTest::newRow("blank around") << " camera";
        QTest::newRow("empty") << "";
    }
    void fromRawIsExact()
    {
        QFETCH(QString, raw);
        QVERIFY(!AppTabInfo::fromRaw(raw).has_value());
    }

    void freshState()
    {
        AppState s;
        QCOMPARE(s.selectedTab(), AppTab::dashboard);
        QCOMPARE(s.showingPreFlight(), false);
        QVERIFY(!s.activeAlert().has_value());
    }

    // Screens rely on a notification for every assignment, also of the value already held.
    void everyAssignmentNotifies()
    {
        AppState s;
        QSignalSpy tab(&s, &AppState::selectedTabChanged);
        QSignalSpy pre(&s, &AppState::showingPreFlightChanged);
        QSignalSpy alert(&s, &AppState::activeAlertChanged);
        s.setSelectedTab(AppTab::dashboard);
        s.setSelectedTab(AppTab::flightPlan);
        s.setShowingPreFlight(false);
        s.setActiveAlert(std::nullopt);
        s.setActiveAlert(AppAlert{QUuid::createUuid(), QStringLiteral("t"), QStringLiteral("m")});
        QCOMPARE(tab.count(), 2);
        QCOMPARE(pre.count(), 1);
        QCOMPARE(alert.count(), 2);
        QCOMPARE(s.selectedTab(), AppTab::flightPlan);
        QCOMPARE(s.property("selectedTab").toInt(), 1);
    }
};

QTEST_APPLESS_MAIN(TestAppState)
#include "tst_appstate.moc"
