// What the simulated aircraft does with the pilot's limits and how it says it is going home:
// the altitude ceiling in every mode, missions above it refused, the cause of an automatic
// return until it lands or the pilot takes over, and the link ended and asked for again.
#include "SimFlight.h"

#include <QSignalSpy>
#include <QTest>

namespace {
using namespace simflight;

// Flies on, tick by tick, and returns the highest altitude the link reported.
double highestWhileFlying(Flight &f, double seconds)
{
    double highest = f.manager.flightData().altitude;
    f.fly(seconds, [&] { highest = std::max(highest, f.manager.flightData().altitude); });
    return highest;
}
} // namespace

class TestFlightSafety : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Whatever the mode asks for, the aircraft stays at or under the ceiling; above it (the
    // ceiling lowered in flight) it comes down to it.
    void ceilingHoldsInEveryMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<double>("ceiling");
        QTest::newRow("mission waypoints at the ceiling") << "mission" << 40.0;
        QTest::newRow("return home climbs to 30 m, ceiling 20 m") << "rth" << 20.0;
        QTest::newRow("orbit after the ceiling came down to 35 m") << "orbit" << 35.0;
        QTest::newRow("hovering, ceiling lowered to 30 m") << "hover" << 30.0;
    }
    void ceilingHoldsInEveryMode()
    {
        QFETCH(QString, mode);
        QFETCH(double, ceiling);
        Flight f;
        QVERIFY(f.connectAircraft());
        const bool lowerLater = mode == QLatin1String("orbit") || mode == QLatin1String("hover");
        f.manager.setAltitudeCeiling(lowerLater ? 120 : ceiling);
        f.settle();
        // At the ceiling, or up to 60 m first (under 120 m) where a later ceiling finds it.
        f.manager.executeMission(mission(route(1, 300), lowerLater ? 60 : ceiling, 8));
        f.settle();
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
        f.fly(45);
        if (lowerLater) {
            QCOMPARE(f.manager.flightData().altitude, 60.0);
            f.manager.setAltitudeCeiling(ceiling);
            if (mode == QLatin1String("orbit"))
                f.manager.startIntelligentMode(DJIOrbitSettings{});
            f.settle();
        } else if (mode == QLatin1String("rth")) {
            f.manager.returnToHome();
            f.settle();
        }
        const double highest = highestWhileFlying(f, 60);
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
        if (!lowerLater)
            QVERIFY2(highest <= ceiling + 1e-9, qPrintable(QString::number(highest)));
        QVERIFY(f.manager.flightData().altitude <= ceiling + 1e-9);
        if (mode != QLatin1String("rth"))
            QVERIFY(f.manager.isFlying());
    }

    // The aircraft refuses a mission above its ceiling, at upload and at start, in the words
    // the panel shows; nothing flies. A mission under it is kept without flying.
    void missionAboveTheCeilingIsRefused_data()
    {
        QTest::addColumn<double>("ceiling");
        QTest::addColumn<double>("height");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("120 over 60") << 60.0 << 120.0 << "Mission altitude 120 m is above the 60 m ceiling";
        QTest::newRow("rounding would hide it")
            << 60.0 << 60.4 << "Mission altitude 60.4 m is above the 60.0 m ceiling";
        QTest::newRow("at the ceiling") << 60.0 << 60.0 << "";
    }
    void missionAboveTheCeilingIsRefused()
    {
        QFETCH(double, ceiling);
        QFETCH(double, height);
        QFETCH(QString, refusal);
        Flight f;
        QVERIFY(f.connectAircraft());
        f.manager.setAltitudeCeiling(ceiling);
        const DJIWaypointMission m = mission(route(3, 50), height, 8);
        DJICommandError uploadAnswer = QStringLiteral("no answer");
        f.manager.uploadMission(m, &f.manager, [&](const DJICommandError &e) { uploadAnswer = e; });
        QVERIFY(uploadAnswer == DJICommandError(QStringLiteral("no answer"))); // never inline
        f.settle();
        QCOMPARE(uploadAnswer.value_or(QString()), refusal);
        f.fly(2);
        QVERIFY(!f.manager.isFlying()); // an upload never flies
        QCOMPARE(f.manager.missionState(), QStringLiteral("none"));
        f.failures.clear();
        f.manager.executeMission(m);
        f.settle();
        f.fly(2);
        QCOMPARE(f.manager.isFlying(), refusal.isEmpty());
        QCOMPARE(f.failures, refusal.isEmpty() ? QStringList{} : QStringList{QStringLiteral("Mission: ") + refusal});
    }

    // An automatic return is reported with its cause until the aircraft lands or the pilot
    // takes over; the pilot's own return is no automatic one.
    void returnCauseLastsUntilLandingOrTakeover_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pilotLands");
        QTest::newRow("low battery, lands") << "battery"
                                            << "Returning home \u2014 low battery" << false;
        QTest::newRow("geofence, lands") << "geofence"
                                         << "Returning home \u2014 geofence reached" << false;
        QTest::newRow("low battery, pilot lands") << "battery"
                                                  << "Returning home \u2014 low battery" << true;
        QTest::newRow("the pilot's RTH") << "pilot"
                                         << "" << false;
    }
    void returnCauseLastsUntilLandingOrTakeover()
    {
        QFETCH(QString, cause);
        QFETCH(QString, text);
        QFETCH(bool, pilotLands);
        Flight f;
        QVERIFY(f.connectAircraft());
        QSignalSpy changed(&f.manager, &DJIDroneManager::returnCauseChanged);
        if (cause == QLatin1String("geofence"))
            f.manager.startIntelligentMode(DJIGeofenceSettings{.radius = 200});
        if (cause == QLatin1String("battery"))
            f.model().setBatteryCharge(FlightModel::kDefaultReturnCharge + 1);
        f.manager.executeMission(mission({SimulatedDJISDK::toLatLon({0, 600})}, 40, 10));
        f.settle();
        f.flyUntil([&] { return f.model().phase() == FlightModel::Phase::goingHome; }, 300);
        if (cause == QLatin1String("pilot")) {
            f.manager.returnToHome();
            f.settle();
            f.fly(1);
        }
        QCOMPARE(f.model().phase(), FlightModel::Phase::goingHome);
        QCOMPARE(f.manager.autoReturnText(), text);
        if (pilotLands) {
            f.manager.land();
            f.settle();
            f.fly(0.2);
            QCOMPARE(f.manager.autoReturnText(), QString());
            QVERIFY(f.manager.isFlying()); // still coming down
            return;
        }
        f.flyUntil([&] { return !f.manager.isFlying(); }, 900);
        QVERIFY(!f.manager.isFlying());
        QCOMPARE(f.manager.autoReturnText(), QString());
        QCOMPARE(changed.count(), 2); // there and back: none, the cause, none
    }

    // Ended by the pilot, the link comes back on the next request without the database
    // download; after a dropped link (out of reach) a request finds nothing until it is back.
    void linkEndedAndAskedForAgain()
    {
        Flight f;
        QStringList lines;
        f.manager.setLogSink([&](const QString &l) { lines << l; });
        QVERIFY(f.connectAircraft());
        f.manager.disconnect();
        QCOMPARE(f.manager.connectionState(), State::connected); // reported through the event loop
        QTRY_COMPARE(f.manager.connectionState(), State::disconnected);
        QCOMPARE(lines.last(), QStringLiteral("[DJI] Product disconnected"));
        lines.clear();
        f.manager.connect();
        QCOMPARE(f.manager.connectionState(), State::connecting);
        QTRY_COMPARE(f.manager.connectionState(), State::connected);
        QCOMPARE(lines, QStringList{QStringLiteral("[DJI] Product connected: Zeltrin Sim One")});

        f.sdk.dropLink();
        f.manager.setConnectTimeoutMs(300);
        QSignalSpy timedOut(&f.manager, &DJIDroneManager::connectionTimedOut);
        f.manager.connect();
        QTRY_COMPARE(timedOut.count(), 1);
        QCOMPARE(f.manager.connectionState(), State::disconnected);
        f.sdk.restoreLink();
        QCOMPARE(f.manager.connectionState(), State::connected);
    }
};

QTEST_GUILESS_MAIN(TestFlightSafety)
#include "tst_flightsafety.moc"
