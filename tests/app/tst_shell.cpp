#include "ConnectionBannerModel.h"
#include "FakeDJISDK.h"
#include "MainTabModel.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

using State = DJIDroneManager::ConnectionState;

class TestShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void banner_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<double>("altitude");
        QTest::addColumn<qint64>("battery");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("batteryText");
        QTest::addColumn<QString>("altitudeText");
        QTest::newRow("disconnected") << int(State::disconnected) << 0.0 << qint64(0) << "Disconnected" << QColor(107, 112, 128) << false << "0%" << "0m";
        QTest::newRow("connecting") << int(State::connecting) << 0.0 << qint64(0) << QString::fromUtf8("Connecting\xE2\x80\xA6") << QColor(212, 160, 23) << false << "0%" << "0m";
        QTest::newRow("connected initial") << int(State::connected) << 0.0 << qint64(0) << "Connected" << QColor(46, 204, 113) << true << "0%" << "0m";
        QTest::newRow("error") << int(State::error) << 0.0 << qint64(0) << "Error" << QColor(224, 57, 42) << false << "0%" << "0m";
        QTest::newRow("altitude rounds up") << int(State::connected) << 12.6 << qint64(76) << "Connected" << QColor(46, 204, 113) << true << "76%" << "13m";
        QTest::newRow("small negative keeps sign") << int(State::connected) << -0.4 << qint64(100) << "Connected" << QColor(46, 204, 113) << true << "100%" << "-0m";
    }
    void banner()
    {
        QFETCH(int, state);
        QFETCH(double, altitude);
        QFETCH(qint64, battery);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QFETCH(bool, right);
        QFETCH(QString, batteryText);
        QFETCH(QString, altitudeText);
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        ConnectionBannerModel model;
        model.setDrone(&drone);
        QSignalSpy changed(&model, &ConnectionBannerModel::changed);
        BatteryInfo b;
        b.percentage = battery;
        drone.setBattery(b);
        FlightData d;
        d.altitude = altitude;
        drone.setFlightData(d);
        drone.setConnectionState(State(state));
        QCOMPARE(changed.count(), 3); // the banner redraws on every notification
        QCOMPARE(model.stateText(), text);
        QCOMPARE(model.stateColor().rgb(), color.rgb());
        QCOMPARE(model.showsTelemetry(), right);
        QCOMPARE(model.batteryText(), batteryText);
        QCOMPARE(model.altitudeText(), altitudeText);
    }

    void tabSelectionIsBoundBothWays()
    {
        AppState state;
        MainTabModel tabs;
        tabs.setAppState(&state);
        QSignalSpy index(&tabs, &MainTabModel::currentIndexChanged);
        state.setSelectedTab(AppTab::camera); // a write to the state switches the tab
        QCOMPARE(tabs.currentIndex(), 2);
        tabs.setCurrentIndex(1); // tapping a tab writes the state
        QCOMPARE(state.selectedTab(), AppTab::flightPlan);
        tabs.setCurrentIndex(1); // the same tab again still notifies
        QCOMPARE(index.count(), 3);
        tabs.setCurrentIndex(6);
        tabs.setCurrentIndex(-1);
        QCOMPARE(state.selectedTab(), AppTab::flightPlan);
        const QVariantList all = MainTabModel::tabs();
        QCOMPARE(all.size(), 6);
        QCOMPARE(all.at(1).toMap().value(QStringLiteral("title")).toString(), QStringLiteral("Mission"));
    }

    // Screens must see the one application object of their engine, never one of their own.
    void qmlSeesTheAttachedApplication()
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        ZeltrinPilotApp app(std::move(deps));
        QQmlEngine engine;
        zeltrin::setupEngine(engine);
        app.attachTo(engine);
        QQmlComponent c(&engine);
        c.setData("import QtQuick\nimport Zeltrin\nQtObject { property var app: App; property var drone: App.droneManager }",
                  QUrl(QStringLiteral("qrc:/t.qml")));
        std::unique_ptr<QObject> obj(c.create());
        QVERIFY2(obj, qPrintable(c.errorString()));
        QCOMPARE(obj->property("app").value<QObject *>(), static_cast<QObject *>(&app));
        QCOMPARE(obj->property("drone").value<QObject *>(), static_cast<QObject *>(app.droneManager()));
    }

    // The link starts once per launch. With the root view's window it waits for that window's
    // first frame, which need not wait for the flight store to open; a window that never draws
    // does not hold it back for long.
    void startConnectionOncePerLaunch_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("no window: at once") << "none";
        QTest::newRow("after the window's first frame") << "shown";
        QTest::newRow("a window never shown: within a second") << "hidden";
    }
    void startConnectionOncePerLaunch()
    {
        QFETCH(QString, window);
        auto *sdk = new FakeDJISDK;
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk.reset(sdk);
        ZeltrinPilotApp app(std::move(deps));
        QQuickWindow quickWindow;
        quickWindow.resize(200, 200);
        QSignalSpy swaps(&quickWindow, &QQuickWindow::frameSwapped);
        int swapsAtConnect = -1;
        sdk->onConnectionRequest = [&] { swapsAtConnect = int(swaps.count()); };
        QCOMPARE(sdk->connectionRequests, 0);
        QElapsedTimer clock;
        clock.start();
        app.rootViewShown(window == QLatin1String("none") ? nullptr : &quickWindow);
        app.rootViewShown(window == QLatin1String("none") ? nullptr : &quickWindow);
        if (window == QLatin1String("none")) {
            QCOMPARE(sdk->connectionRequests, 1);
            return;
        }
        QCOMPARE(sdk->connectionRequests, 0);
        if (window == QLatin1String("shown"))
            quickWindow.show();
        QTRY_COMPARE_WITH_TIMEOUT(sdk->connectionRequests, 1, 5000);
        if (window == QLatin1String("shown")) {
            QVERIFY2(swapsAtConnect >= 1, "the link started before the window's first frame");
        } else {
            QCOMPARE(swapsAtConnect, 0);
            QVERIFY(clock.elapsed() >= 900);
        }
        app.rootViewShown(&quickWindow);
        QTest::qWait(50);
        QCOMPARE(sdk->connectionRequests, 1);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
