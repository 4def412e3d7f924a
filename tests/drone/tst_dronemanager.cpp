#include "DJIDroneManager.h"
#include "FakeDJISDK.h"
#include "SimulatedDJISDK.h"

#include <QSignalSpy>
#include <QTest>
#include <limits>

using State = DJIDroneManager::ConnectionState;

namespace {
struct Harness {
    FakeDJISDK sdk;
    DJIDroneManager manager{&sdk};
    QStringList lines;
    Harness()
    {
        manager.setLogSink([this](const QString &l) { lines << l; });
    }
};
const QString kDash = QString::fromUtf8("\xE2\x80\x94");
} // namespace

class TestDroneManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialValues()
    {
        Harness h;
        QCOMPARE(h.manager.connectionState(), State::disconnected);
        QCOMPARE(h.manager.aircraft().model, kDash);
        QCOMPARE(h.manager.aircraft().firmwareVersion, kDash);
        QCOMPARE(h.manager.aircraft().serialNumber, kDash);
        QCOMPARE(h.manager.aircraft().model.toUtf8(), QByteArray("\xE2\x80\x94"));
        QCOMPARE(h.manager.battery(), BatteryInfo{});
        QCOMPARE(h.manager.battery().percentage, 0);
        QCOMPARE(h.manager.flightData(), FlightData::zero);
        QCOMPARE(h.manager.flightData().altitude, 0.0);
        QCOMPARE(h.manager.signalStrength(), 0);
        QCOMPARE(h.manager.isRecording(), false);
        QCOMPARE(h.manager.isFlying(), false);
        QCOMPARE(h.manager.gpsSignal(), DJIDroneManager::GPSLevel::none);
        QCOMPARE(h.sdk.connectionRequests, 0); // creation calls nothing in the SDK
        QVERIFY(h.lines.isEmpty());
    }

    void stateTable_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("disconnected") << int(State::disconnected) << "Disconnected" << QColor(107, 112, 128);
        QTest::newRow("connecting") << int(State::connecting) << QString::fromUtf8("Connecting\xE2\x80\xA6") << QColor(212, 160, 23);
        QTest::newRow("connected") << int(State::connected) << "Connected" << QColor(46, 204, 113);
        QTest::newRow("error") << int(State::error) << "Error" << QColor(224, 57, 42);
    }
    void stateTable()
    {
        QFETCH(int, state);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        const State s = State(state);
        QCOMPARE(DJIDroneManager::rawValue(s), text);
        QCOMPARE(DJIDroneManager::color(s).rgb(), color.rgb());
        QCOMPARE(DJIDroneManager::connectionStateFromRaw(text), std::optional<State>(s));
        QCOMPARE(DJIDroneManager::allConnectionStates.at(size_t(state)), s);
    }

    void connectingIsThirteenBytes()
    {
        QCOMPARE(DJIDroneManager::rawValue(State::connecting).toUtf8().size(), 13);
        QVERIFY(!DJIDroneManager::connectionStateFromRaw(u"Connecting...").has_value());
        QVERIFY(!DJIDroneManager::connectionStateFromRaw(u"connected").has_value());
    }

    void gpsLevels()
    {
        for (int raw = 0; raw <= 4; ++raw)
            QCOMPARE(DJIDroneManager::rawValue(*DJIDroneManager::gpsLevelFromRaw(raw)), raw);
        QVERIFY(!DJIDroneManager::gpsLevelFromRaw(-1).has_value());
        QVERIFY(!DJIDroneManager::gpsLevelFromRaw(5).has_value());
    }

    // The link control asks the SDK and shows "Connecting…"; only a reported product connects,
    // and with none in time the state falls back once, with the reason.
    void connectAsksTheSdk_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("productComes");
        QTest::newRow("disconnected, an aircraft answers") << int(State::disconnected) << true;
        QTest::newRow("error, an aircraft answers") << int(State::error) << true;
        QTest::newRow("disconnected, nothing answers") << int(State::disconnected) << false;
    }
    void connectAsksTheSdk()
    {
        QFETCH(int, from);
        QFETCH(bool, productComes);
        Harness h;
        h.manager.setConnectionState(State(from));
        h.manager.setConnectTimeoutMs(1000);
        QList<State> seen;
        QObject::connect(&h.manager, &DJIDroneManager::connectionStateChanged, &h.manager,
                         [&] { seen << h.manager.connectionState(); });
        QSignalSpy timedOut(&h.manager, &DJIDroneManager::connectionTimedOut);
        h.manager.connect();
        h.manager.connect(); // a second tap while connecting asks nothing more
        QCOMPARE(seen, QList<State>{State::connecting});
        QCOMPARE(h.sdk.connectionRequests, 1);
        QCOMPARE(h.manager.aircraft().model, kDash);
        if (productComes) {
            h.sdk.connectAircraft(QStringLiteral("Falcon"));
            QCOMPARE(seen, (QList<State>{State::connecting, State::connected, State::connecting, State::connected}));
            QCOMPARE(h.lines, QStringList{QStringLiteral("[DJI] Product connected: Falcon")});
            QTest::qWait(1200);
            QCOMPARE(timedOut.count(), 0); // the time-out went with the connection
            QCOMPARE(h.manager.connectionState(), State::connected);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(h.manager.connectionState(), State::disconnected, 3000);
        QCOMPARE(timedOut.count(), 1);
        QCOMPARE(timedOut.first().first().toString(),
                 QStringLiteral("No aircraft answered within 1 s. Check that it and the remote controller are on."));
        QTest::qWait(1200);
        QCOMPARE(timedOut.count(), 1); // said once
        QCOMPARE(seen, (QList<State>{State::connecting, State::disconnected}));
        // A product reported later still connects.
        h.sdk.connectAircraft(QStringLiteral("Falcon"));
        QCOMPARE(h.manager.connectionState(), State::connected);
    }

    void connectTimeoutIsTenSeconds() { QCOMPARE(DJIDroneManager(nullptr).connectTimeoutMs(), 10000); }

    // The link control ends the link: the SDK reports the product gone, with its line, and the
    // last values stay, marked stale. While not connected it asks nothing.
    void disconnectEndsTheLink()
    {
        Harness h;
        h.manager.disconnect();
        QCOMPARE(h.sdk.disconnectRequests, 0);
        h.sdk.connectAircraft(QStringLiteral("Falcon"));
        DJITelemetryReading r;
        r.battery = BatteryInfo{64, 15.2, 31.0, 9, 900};
        h.sdk.reportTelemetry(r);
        h.manager.disconnect();
        QCOMPARE(h.sdk.disconnectRequests, 1);
        QCOMPARE(h.manager.connectionState(), State::disconnected);
        QCOMPARE(h.lines.last(), QStringLiteral("[DJI] Product disconnected"));
        QCOMPARE(h.manager.aircraft().model, QStringLiteral("Falcon"));
        QCOMPARE(h.manager.battery().percentage, 64);
        QVERIFY(h.manager.valuesAreStale());
    }

    // "Max Altitude" reaches the aircraft at every connection and with every change while
    // connected; a height that is not one is not sent.
    void ceilingGoesAtConnectionAndOnChange()
    {
        Harness h;
        h.manager.setAltitudeCeiling(120);
        QVERIFY(h.sdk.ceilings.isEmpty()); // no aircraft yet
        h.sdk.connectAircraft(QStringLiteral("Falcon"));
        QCOMPARE(h.sdk.ceilings, QList<double>{120});
        h.manager.setAltitudeCeiling(60);
        h.manager.setAltitudeCeiling(60);
        h.manager.setAltitudeCeiling(std::numeric_limits<double>::quiet_NaN());
        h.manager.setAltitudeCeiling(-5);
        QCOMPARE(h.sdk.ceilings, (QList<double>{120, 60}));
        h.sdk.disconnectProduct();
        h.manager.setAltitudeCeiling(80);
        QCOMPARE(h.sdk.ceilings.size(), 2);
        h.sdk.connectAircraft(QStringLiteral("Falcon"));
        QCOMPARE(h.sdk.ceilings, (QList<double>{120, 60, 80}));
        QCOMPARE(h.manager.altitudeCeiling(), std::optional<double>(80));
    }

    void productCallbacks_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("hasModel");
        QTest::addColumn<bool>("isAircraft");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("modelAfter");
        QTest::addColumn<QList<int>>("states");
        const QList<int> viaConnect{int(State::connected), int(State::connecting), int(State::connected)};
        QTest::newRow("aircraft with model") << true << true << true << "[DJI] Product connected: Falcon" << "Falcon" << viaConnect;
        QTest::newRow("aircraft without model") << true << false << true << "[DJI] Product connected: Unknown" << "Unknown" << viaConnect;
        QTest::newRow("not an aircraft") << true << true << false << "[DJI] Product connected: Handheld" << kDash << QList<int>{int(State::connected)};
        QTest::newRow("absent product") << false << false << false << "[DJI] Product connected: Unknown" << kDash << QList<int>{int(State::connected)};
    }
    void productCallbacks()
    {
        QFETCH(bool, present);
        QFETCH(bool, hasModel);
        QFETCH(bool, isAircraft);
        QFETCH(QString, line);
        QFETCH(QString, modelAfter);
        QFETCH(QList<int>, states);
        Harness h;
        QList<int> seen;
        QObject::connect(&h.manager, &DJIDroneManager::connectionStateChanged, &h.manager,
                         [&] { seen << int(h.manager.connectionState()); });
        if (!present)
            h.sdk.connectAbsentProduct();
        else
            h.sdk.connectProduct(hasModel ? std::optional<QString>(isAircraft ? QStringLiteral("Falcon") : QStringLiteral("Handheld"))
                                          : std::nullopt,
                                 isAircraft);
        QCOMPARE(h.lines, QStringList{line});
        QCOMPARE(h.manager.aircraft().model, modelAfter);
        QCOMPARE(h.manager.aircraft().firmwareVersion, kDash); // only the model is touched
        QCOMPARE(seen, states);
    }

    void disconnectedKeepsLastModel()
    {
        Harness h;
        h.sdk.connectAircraft(QStringLiteral("Falcon"));
        h.sdk.disconnectProduct();
        QCOMPARE(h.manager.connectionState(), State::disconnected);
        QCOMPARE(h.manager.aircraft().model, QStringLiteral("Falcon"));
        QCOMPARE(h.lines.last(), QStringLiteral("[DJI] Product disconnected"));
    }

    void databaseProgressLine_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QString>("line");
        QTest::newRow("half") << 0.5 << "[DJI] Database download progress: 50.0%";
        QTest::newRow("eighth") << 0.125 << "[DJI] Database download progress: 12.5%";
        QTest::newRow("zero") << 0.0 << "[DJI] Database download progress: 0.0%";
        QTest::newRow("complete") << 1.0 << "[DJI] Database download progress: 100.0%";
        QTest::newRow("42") << 0.42 << "[DJI] Database download progress: 42.0%";
        QTest::newRow("not exact") << 0.3 << "[DJI] Database download progress: 30.0%";
        QTest::newRow("round trip digits") << 0.07 << "[DJI] Database download progress: 7.000000000000001%";
    }
    void databaseProgressLine()
    {
        QFETCH(double, fraction);
        QFETCH(QString, line);
        Harness h;
        QSignalSpy any(&h.manager, &DJIDroneManager::connectionStateChanged);
        h.sdk.reportProgress(fraction);
        QCOMPARE(h.lines, QStringList{line});
        QCOMPARE(any.count(), 0);
    }

    void recordingAndNoOps()
    {
        Harness h;
        QSignalSpy rec(&h.manager, &DJIDroneManager::isRecordingChanged);
        h.manager.startRecording();
        QVERIFY(h.manager.isRecording());
        h.manager.startRecording(); // an equal value still notifies
        h.manager.stopRecording();
        QVERIFY(!h.manager.isRecording());
        QCOMPARE(rec.count(), 3);
        h.manager.capturePhoto();
        h.manager.setGimbalPitch(-45.0f);
        h.manager.takeOff();
        h.manager.land();
        h.manager.returnToHome();
        QCOMPARE(h.manager.connectionState(), State::disconnected);
        QCOMPARE(h.sdk.connectionRequests, 0);
        h.manager.startConnection();
        QCOMPARE(h.sdk.connectionRequests, 1);
        QCOMPARE(h.manager.connectionState(), State::disconnected); // only the SDK moves the state
    }

    void simulatedSdkConnectsThroughTheEventLoop()
    {
        SimulatedDJISDK sdk(5);
        DJIDroneManager manager(&sdk);
        QStringList lines;
        manager.setLogSink([&](const QString &l) { lines << l; });
        manager.startConnection();
        QCOMPARE(manager.connectionState(), State::disconnected); // nothing inline
        QTRY_COMPARE(manager.connectionState(), State::connected);
        QCOMPARE(manager.aircraft().model, QString::fromLatin1(SimulatedDJISDK::kModelName));
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.first().startsWith(QStringLiteral("[DJI] Database download progress: ")));
        QCOMPARE(lines.last(), QStringLiteral("[DJI] Product connected: ") + QString::fromLatin1(SimulatedDJISDK::kModelName));
        for (const QString &l : lines)
            QVERIFY(l.startsWith(QStringLiteral("[DJI]")));
    }

    // A reading assigns exactly the fields it carries; an impossible GPS level is ignored.
    void telemetryReadingAssignsPresentFields()
    {
        FakeDJISDK sdk;
        DJIDroneManager manager(&sdk);
        QSignalSpy battery(&manager, &DJIDroneManager::batteryChanged);
        QSignalSpy flight(&manager, &DJIDroneManager::flightDataChanged);
        QSignalSpy gps(&manager, &DJIDroneManager::gpsSignalChanged);
        DJITelemetryReading r;
        r.battery = BatteryInfo{19, 14.1, 30.0, 7, 300};
        r.signalStrength = 39;
        r.gpsLevel = 1;
        r.isFlying = true;
        sdk.reportTelemetry(r);
        QCOMPARE(manager.battery().percentage, 19);
        QCOMPARE(manager.signalStrength(), 39);
        QCOMPARE(manager.gpsSignal(), DJIDroneManager::GPSLevel::poor);
        QVERIFY(manager.isFlying());
        QCOMPARE(battery.count(), 1);
        QCOMPARE(flight.count(), 0);
        QCOMPARE(manager.flightData(), FlightData::zero);

        DJITelemetryReading bad;
        bad.gpsLevel = 7;
        sdk.reportTelemetry(bad);
        QCOMPARE(manager.gpsSignal(), DJIDroneManager::GPSLevel::poor);
        QCOMPARE(gps.count(), 1);
        QCOMPARE(manager.connectionState(), State::disconnected); // a reading is not a connection
    }

    void simulatedSdkReportsLiveValuesAfterConnecting()
    {
        SimulatedDJISDK sdk(5);
        DJIDroneManager manager(&sdk);
        manager.setLogSink([](const QString &) {});
        manager.startConnection();
        QTRY_COMPARE(manager.connectionState(), State::connected);
        QVERIFY(manager.battery().percentage > 0);
        QVERIFY(manager.gpsSignal() != DJIDroneManager::GPSLevel::none);
        QVERIFY(manager.flightData().latitude != 0.0);
    }

    void managerOutlivedBySdkDoesNotCallIntoIt()
    {
        FakeDJISDK sdk;
        {
            DJIDroneManager manager(&sdk);
            QCOMPARE(sdk.delegate(), static_cast<DJISDKManagerDelegate *>(&manager));
        }
        QCOMPARE(sdk.delegate(), nullptr);
        sdk.connectAircraft(QStringLiteral("late")); // must not touch the freed manager
    }
};

QTEST_GUILESS_MAIN(TestDroneManager)
#include "tst_dronemanager.moc"
