#include "DashboardModel.h"
#include "FakeDJISDK.h"
#include "Palette.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using State = DJIDroneManager::ConnectionState;
using GPSLevel = DJIDroneManager::GPSLevel;

namespace {
struct Harness {
    FakeDJISDK sdk;
    DJIDroneManager drone{&sdk};
    AppState appState;
    DashboardModel model;
    Harness()
    {
        drone.setLogSink([](const QString &) {});
        model.setDrone(&drone);
        model.setAppState(&appState);
    }
};
const auto &P = zeltrin::palette;
} // namespace

class TestDashboardModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialScreen()
    {
        Harness h;
        QCOMPARE(h.model.title(), QStringLiteral("\u2014"));
        QCOMPARE(h.model.connectionText(), QStringLiteral("Disconnected"));
        QCOMPARE(h.model.batteryText(), QStringLiteral("0%"));
        QCOMPARE(h.model.batteryColor(), P().themeRed);
        QCOMPARE(h.model.signalText(), QStringLiteral("0%"));
        QCOMPARE(h.model.signalColor(), P().themeRed);
        QCOMPARE(h.model.gpsText(), QStringLiteral("0/4"));
        QCOMPARE(h.model.gpsColor(), P().themeRed);
        QCOMPARE(h.model.statusText(), QStringLiteral("Grounded"));
        QCOMPARE(h.model.statusColor(), P().themeGrey);
        const QStringList telemetry{h.model.altitudeText(), h.model.groundSpeedText(), h.model.headingText(),
                                    h.model.verticalSpeedText(), h.model.homeDistanceText(), h.model.flightTimeText()};
        QCOMPARE(telemetry, (QStringList{"0.0 m", "0.0 m/s", "0\u00B0", "+0.0 m/s", "0 m", "00:00"}));
        QCOMPARE(h.model.linkIcon(), QStringLiteral("antenna.radiowaves.left.and.right.slash"));
        QCOMPARE(h.model.activeTrackLabel(), QStringLiteral("ActiveTrack"));
        QCOMPARE(h.model.geofenceRadius(), 500.0);
        QVERIFY(!h.model.showActiveTrack() && !h.model.activeTrackEnabled() && !h.model.poiEnabled()
                && !h.model.orbitEnabled() && !h.model.rthEnabled() && !h.model.geofenceEnabled());
    }

    void thresholds_data()
    {
        QTest::addColumn<QString>("stat");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("battery 19") << "battery" << qint64(19) << "19%" << P().themeRed;
        QTest::newRow("battery 20") << "battery" << qint64(20) << "20%" << P().themeGreen;
        QTest::newRow("battery 100") << "battery" << qint64(100) << "100%" << P().themeGreen;
        QTest::newRow("signal 39") << "signal" << qint64(39) << "39%" << P().themeRed;
        QTest::newRow("signal 40") << "signal" << qint64(40) << "40%" << P().themeGold;
        QTest::newRow("gps none") << "gps" << qint64(0) << "0/4" << P().themeRed;
        QTest::newRow("gps poor") << "gps" << qint64(1) << "1/4" << P().themeRed;
        QTest::newRow("gps fair") << "gps" << qint64(2) << "2/4" << P().themeBlue;
        QTest::newRow("gps excellent") << "gps" << qint64(4) << "4/4" << P().themeBlue;
    }

    // Through the manager, so the notifications reach the screen's properties too.
    void thresholds()
    {
        QFETCH(QString, stat);
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        Harness h;
        QSignalSpy stats(&h.model, &DashboardModel::statsChanged);
        if (stat == "battery") {
            BatteryInfo b;
            b.percentage = value;
            h.drone.setBattery(b);
            QCOMPARE(h.model.batteryText(), text);
            QCOMPARE(h.model.batteryColor(), color);
        } else if (stat == "signal") {
            h.drone.setSignalStrength(value);
            QCOMPARE(h.model.signalText(), text);
            QCOMPARE(h.model.signalColor(), color);
        } else {
            h.drone.setGpsSignal(*DJIDroneManager::gpsLevelFromRaw(value));
            QCOMPARE(h.model.gpsText(), text);
            QCOMPARE(h.model.gpsColor(), color);
        }
        QCOMPARE(stats.count(), 1);
    }

    void flyingStatus()
    {
        Harness h;
        h.drone.setIsFlying(true);
        QCOMPARE(h.model.statusText(), QStringLiteral("Flying"));
        QCOMPARE(h.model.statusColor(), P().themeGold);
    }

    void title_data()
    {
        QTest::addColumn<bool>("report");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("title");
        QTest::newRow("before any aircraft") << false << QString() << QStringLiteral("\u2014");
        QTest::newRow("empty model") << true << QString("") << QStringLiteral("No Aircraft");
        QTest::newRow("named") << true << QStringLiteral("Sky Two") << QStringLiteral("Sky Two");
    }

    void title()
    {
        QFETCH(bool, report);
        QFETCH(QString, model);
        QFETCH(QString, title);
        Harness h;
        QSignalSpy spy(&h.model, &DashboardModel::aircraftChanged);
        if (report)
            h.sdk.connectProduct(model, true);
        QCOMPARE(h.model.title(), title);
        QCOMPARE(spy.count(), report ? 1 : 0);
    }

    void formats_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("heading rounds up") << "heading" << 359.6 << QStringLiteral("360\u00B0");
        QTest::newRow("v.speed descending") << "vspeed" << -0.5 << "-0.5 m/s";
        QTest::newRow("v.speed zero") << "vspeed" << 0.0 << "+0.0 m/s";
        QTest::newRow("v.speed climbing") << "vspeed" << 2.0 << "+2.0 m/s";
        QTest::newRow("v.speed tiny negative") << "vspeed" << -0.04 << "-0.0 m/s";
        QTest::newRow("altitude") << "altitude" << 12.25 << "12.2 m";
        QTest::newRow("altitude negative") << "altitude" << -0.04 << "-0.0 m";
        QTest::newRow("ground speed") << "speed" << 7.06 << "7.1 m/s";
        QTest::newRow("home distance") << "home" << 449.5 << "450 m";
        QTest::newRow("flight time") << "time" << 754.9 << "12:34";
        QTest::newRow("flight time hour") << "time" << 3600.0 << "60:00";
        QTest::newRow("flight time zero") << "time" << 0.0 << "00:00";
        QTest::newRow("flight time NaN") << "time" << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("\u2014");
        QTest::newRow("flight time inf") << "time" << std::numeric_limits<double>::infinity() << QStringLiteral("\u2014");
        QTest::newRow("flight time -inf") << "time" << -std::numeric_limits<double>::infinity() << QStringLiteral("\u2014");
        QTest::newRow("flight time 1e300") << "time" << 1e300 << QStringLiteral("\u2014");
    }

    void formats()
    {
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(QString, text);
        Harness h;
        FlightData f = FlightData::zero;
        if (field == "heading") f.heading = value;
        if (field == "vspeed") f.verticalSpeed = value;
        if (field == "altitude") f.altitude = value;
        if (field == "speed") f.groundSpeed = value;
        if (field == "home") f.distanceFromHome = value;
        if (field == "time") f.flightTime = value;
        QSignalSpy spy(&h.model, &DashboardModel::flightDataChanged);
        h.drone.setFlightData(f);
        QCOMPARE(spy.count(), 1);
        const QString shown = field == "heading" ? h.model.headingText()
            : field == "vspeed"                  ? h.model.verticalSpeedText()
            : field == "altitude"                ? h.model.altitudeText()
            : field == "speed"                   ? h.model.groundSpeedText()
            : field == "home"                    ? h.model.homeDistanceText()
                                                 : h.model.flightTimeText();
        QCOMPARE(shown, text);
    }

    // The link button asks the SDK while not connected (the state shows "Connecting…" until a
    // product is reported) and ends the link while connected.
    void linkButton_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("disconnects");
        QTest::newRow("disconnected asks") << int(State::disconnected) << int(State::connecting) << 1 << 0;
        QTest::newRow("error asks") << int(State::error) << int(State::connecting) << 1 << 0;
        QTest::newRow("connected ends the link") << int(State::connected) << int(State::disconnected) << 0 << 1;
    }

    void linkButton()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, requests);
        QFETCH(int, disconnects);
        Harness h;
        if (State(from) == State::connected)
            h.sdk.connectAircraft(QStringLiteral("Falcon"));
        else
            h.drone.setConnectionState(State(from));
        h.model.toggleLink();
        QCOMPARE(int(h.drone.connectionState()), to);
        QCOMPARE(h.sdk.connectionRequests, requests);
        QCOMPARE(h.sdk.disconnectRequests, disconnects);
        QCOMPARE(h.model.linkIcon(), QStringLiteral("antenna.radiowaves.left.and.right.slash"));
        QCOMPARE(h.model.linkColor(), DJIDroneManager::color(State(to)));
        QCOMPARE(h.model.connectionText(), DJIDroneManager::rawValue(State(to)));
    }

    // The quick actions' rules: what each needs, and the words for what is missing.
    void quickActionRules_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("flying");
        QTest::addColumn<QString>("takeOff");
        QTest::addColumn<QString>("land");
        QTest::newRow("no link") << int(State::disconnected) << false << "No aircraft connected"
                                 << "No aircraft connected";
        QTest::newRow("connecting, last seen flying") << int(State::connecting) << true << "No aircraft connected"
                                                      << "No aircraft connected";
        QTest::newRow("grounded") << int(State::connected) << false << ""
                                  << "Not flying";
        QTest::newRow("flying") << int(State::connected) << true << "Already flying"
                                << "";
    }
    void quickActionRules()
    {
        QFETCH(int, state);
        QFETCH(bool, flying);
        QFETCH(QString, takeOff);
        QFETCH(QString, land);
        QCOMPARE(DashboardModel::takeOffBlockedReason(State(state), flying), takeOff);
        QCOMPARE(DashboardModel::landBlockedReason(State(state), flying), land);
    }

    void activeTrackControl()
    {
        Harness h;
        QCOMPARE(h.model.activeTrackColor(), P().themeGold);
        h.model.setActiveTrackEnabled(true);
        QCOMPARE(h.model.activeTrackLabel(), QStringLiteral("Stop Track"));
        QCOMPARE(h.model.activeTrackColor(), P().themeRed);
        h.model.openActiveTrack(); // reopens the sheet, does not stop tracking by itself
        QVERIFY(h.model.showActiveTrack());
        QVERIFY(h.model.activeTrackEnabled());
    }

    void poiTargetIsTheAircraftPositionWhenOpened()
    {
        Harness h;
        FlightData f = FlightData::zero;
        f.latitude = 47.3977419;
        f.longitude = 8.5455938;
        h.drone.setFlightData(f);
        h.model.openPOI();
        QVERIFY(h.model.showPOI());
        const QVariantMap target = h.model.poiTarget().toMap();
        QCOMPARE(target.value("latitude").toDouble(), 47.3977419);
        QCOMPARE(target.value("longitude").toDouble(), 8.5455938);
        f.latitude = 1.0; // moving afterwards does not move the target
        h.drone.setFlightData(f);
        QCOMPARE(h.model.poiTarget().toMap().value("latitude").toDouble(), 47.3977419);
    }

    void geofenceRadiusStaysInRange_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("stored");
        QTest::newRow("inside") << 750.5 << 750.5;
        QTest::newRow("below") << 10.0 << 50.0;
        QTest::newRow("above") << 5000.0 << 2000.0;
        QTest::newRow("NaN keeps") << std::numeric_limits<double>::quiet_NaN() << 500.0;
    }

    void geofenceRadiusStaysInRange()
    {
        QFETCH(double, input);
        QFETCH(double, stored);
        DashboardModel model;
        QSignalSpy spy(&model, &DashboardModel::geofenceRadiusChanged);
        model.setGeofenceRadius(input);
        QCOMPARE(model.geofenceRadius(), stored);
        QCOMPARE(spy.count(), 1);
    }

    void survivesTheManagerGoingAway()
    {
        DashboardModel model;
        {
            FakeDJISDK sdk;
            DJIDroneManager drone(&sdk);
            model.setDrone(&drone);
            drone.setConnectionState(State::connected);
            QCOMPARE(model.connectionText(), QStringLiteral("Connected"));
        }
        QCOMPARE(model.connectionText(), QStringLiteral("Disconnected"));
        model.toggleLink(); // no manager: nothing to call
        model.openPOI();
        QVERIFY(!model.poiTarget().isValid());
    }
};

QTEST_GUILESS_MAIN(TestDashboardModel)
#include "tst_dashboardmodel.moc"
