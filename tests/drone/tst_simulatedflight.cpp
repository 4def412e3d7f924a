// The simulated aircraft flown through the SDK facade and the drone link manager, on a clock
// the test drives: whole flights run in milliseconds.
#include "SimFlight.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {
using namespace simflight;
} // namespace

class TestSimulatedFlight : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void takeOffHoversAtOnePointTwoMetres()
    {
        Flight f;
        QVERIFY(f.connectAircraft());
        f.manager.takeOff();
        f.settle();
        QVERIFY(f.failures.isEmpty());
        f.fly(10);
        QVERIFY(f.manager.isFlying());
        QCOMPARE(f.manager.flightData().altitude, FlightModel::kTakeOffHeight);
        QCOMPARE(f.manager.flightData().verticalSpeed, 0.0);
        QVERIFY(f.manager.flightData().motorsOn);
        QVERIFY(f.manager.flightData().flightTime > 9.0);
        QVERIFY(f.manager.valuesAreLive());
        // Ten seconds aloft cost charge, and the estimate follows the drain.
        QVERIFY(f.model().charge() < 87.0);
        QVERIFY(f.manager.battery().estimatedFlightTime > 600);
    }

    void missionFliesEveryWaypointInTheExpectedTime()
    {
        Flight f;
        QVERIFY(f.connectAircraft());
        const int n = 10;
        const double leg = 100, speed = 10, height = 40;
        const QList<DJIWaypoint> wps = route(n, leg);
        f.manager.executeMission(mission(wps, height, speed));
        f.settle();
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
        std::vector<double> closest(size_t(n), 1e9);
        double seconds = 0.1;
        f.fly(0.1);
        QVERIFY(f.manager.isFlying()); // took off by itself
        while (f.manager.missionState() != QLatin1String("finished") && seconds < 600) {
            f.clock.advance(SimClock::kTickMs);
            seconds += 0.1;
            const FlightData d = f.manager.flightData();
            for (int i = 0; i < n; ++i)
                closest[size_t(i)] = std::min(
                    closest[size_t(i)], metresBetween(d.latitude, d.longitude, wps[i].latitude, wps[i].longitude));
        }
        QCOMPARE(f.manager.missionState(), QStringLiteral("finished"));
        for (int i = 0; i < n; ++i)
            QVERIFY2(closest[size_t(i)] <= 1.0, qPrintable(QStringLiteral("waypoint %1 missed by %2 m").arg(i).arg(closest[size_t(i)])));
        // The route's length at cruise speed, plus a stop and a start at each waypoint.
        double length = leg; // home to the first
        for (int i = 1; i < n; ++i)
            length += (i % 2) ? leg : std::hypot(leg, leg);
        const double a = f.model().limits().horizontalAcceleration;
        const double expected = length / speed + n * speed / a;
        QVERIFY2(std::abs(seconds - expected) < 0.15 * expected,
                 qPrintable(QStringLiteral("flew %1 s, expected about %2 s").arg(seconds).arg(expected)));
        QCOMPARE(f.manager.flightData().altitude, height);
        QCOMPARE(f.manager.missionWaypoint(), n - 1);
        QCOMPARE(f.manager.missionWaypointCount(), n);
    }

    // Each waypoint is reached at its own height above the take-off point (climbing 5 m/s and
    // sinking 3 m/s, a 150 m leg at 10 m/s leaves time for any change below 45 m).
    void waypointHeightsAreFlownEach_data()
    {
        QTest::addColumn<QList<double>>("heights");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("one height") << QList<double>{40, 40, 40} << QList<double>{40, 40, 40};
        QTest::newRow("climbing") << QList<double>{20, 45, 70} << QList<double>{20, 45, 70};
        QTest::newRow("descending") << QList<double>{70, 45, 20} << QList<double>{70, 45, 20};
        QTest::newRow("below the 2 m floor") << QList<double>{1, 30, 0.5} << QList<double>{2, 30, 2};
    }
    void waypointHeightsAreFlownEach()
    {
        QFETCH(QList<double>, heights);
        QFETCH(QList<double>, expected);
        Flight f;
        QVERIFY(f.connectAircraft());
        DJIWaypointMission m = mission(route(int(heights.size()), 150), 0, 10);
        for (qsizetype i = 0; i < heights.size(); ++i)
            m.waypoints[i].height = heights[i];
        f.manager.executeMission(m);
        f.settle();
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
        QList<double> atArrival(heights.size(), -1);
        int last = -1;
        f.flyUntil(
            [&] {
                // The waypoint index moves on the tick the aircraft arrives: its height then.
                const int now = f.model().missionWaypoint();
                if (now != last && last >= 0)
                    atArrival[last] = f.model().height();
                last = now;
                if (f.model().missionState() == FlightModel::MissionState::finished) {
                    atArrival[now] = f.model().height();
                    return true;
                }
                return false;
            },
            600);
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(std::abs(atArrival[i] - expected[i]) < 0.01,
                     qPrintable(QStringLiteral("waypoint %1 reached at %2 m").arg(i + 1).arg(atArrival[i])));
    }

    void returnToHomeFromFiveHundredMetresLandsAtHome()
    {
        Flight f;
        QVERIFY(f.connectAircraft());
        const DJIWaypoint far = SimulatedDJISDK::toLatLon({300, 400});
        f.manager.executeMission(mission({far}, 20, 12));
        f.settle();
        f.flyUntil([&] { return f.manager.missionState() == QLatin1String("finished"); }, 300);
        QVERIFY(std::abs(f.manager.flightData().distanceFromHome - 500) < 1.0);
        f.manager.returnToHome();
        f.settle();
        QVERIFY(f.failures.isEmpty());
        f.fly(1);
        QVERIFY(f.manager.flightData().altitude > 20); // climbs to the safe height first
        const double took = f.flyUntil([&] { return !f.manager.isFlying(); }, 300);
        QVERIFY2(!f.manager.isFlying(), qPrintable(QString::number(took)));
        QVERIFY(f.manager.flightData().distanceFromHome < 0.5);
        QCOMPARE(f.manager.flightData().altitude, 0.0);
        QVERIFY(!f.manager.flightData().motorsOn);
        QCOMPARE(f.manager.missionState(), QStringLiteral("finished")); // it had ended before
    }

    void lowBatteryReturnsHomeByItself_data()
    {
        QTest::addColumn<double>("trigger"); // from the return sheet; 0: the default 25 %
        QTest::newRow("default trigger") << 0.0;
        QTest::newRow("sheet at 40 %") << 40.0;
    }
    void lowBatteryReturnsHomeByItself()
    {
        QFETCH(double, trigger);
        Flight f;
        QVERIFY(f.connectAircraft());
        if (trigger > 0) {
            f.manager.startIntelligentMode(DJISmartReturnSettings{.batteryThreshold = trigger});
            f.settle();
        }
        const double level = trigger > 0 ? trigger : FlightModel::kDefaultReturnCharge;
        f.model().setBatteryCharge(level + 3);
        const DJIWaypoint far = SimulatedDJISDK::toLatLon({0, 3000});
        f.manager.executeMission(mission({far}, 30, 10));
        f.settle();
        f.flyUntil([&] { return f.model().phase() == FlightModel::Phase::goingHome; }, 600);
        QCOMPARE(f.model().phase(), FlightModel::Phase::goingHome);
        QVERIFY(f.model().charge() <= level + 0.01);
        // With the sheet's trigger, the alert names it.
        QCOMPARE(f.alerts,
                 QStringList{trigger > 0 ? QStringLiteral("Battery low (RTH Trigger 40%): returning home")
                                         : QStringLiteral("Battery low: returning home")});
        f.flyUntil([&] { return !f.manager.isFlying(); }, 900);
        QVERIFY(!f.manager.isFlying());
        QVERIFY(f.manager.flightData().distanceFromHome < 0.5);
    }

    // Hovering into a wind costs what flying through the air at its speed costs.
    void windCostsBattery()
    {
        double used[2] = {};
        for (int i = 0; i < 2; ++i) {
            Flight f;
            QVERIFY(f.connectAircraft());
            f.model().setWind({0, i * 8.0});
            f.manager.takeOff();
            f.fly(5);
            const double before = f.model().charge();
            f.fly(60);
            used[i] = before - f.model().charge();
        }
        QVERIFY(qAbs(used[0] - 60 * FlightModel::kHoverDrain) < 0.01);
        QVERIFY(qAbs(used[1] - used[0] - 60 * 8 * FlightModel::kAirspeedDrain) < 0.01);
    }

    void refusalsNameTheirReason_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("land on the ground") << "" << "land" << "Land: Aircraft is not flying";
        QTest::newRow("RTH on the ground") << "" << "rth" << "RTH: Aircraft is not flying";
        QTest::newRow("take off, battery low") << "battery" << "takeOff" << "Take Off: Battery too low for take-off";
        QTest::newRow("take off, no GPS") << "nogps" << "takeOff" << "Take Off: No GPS";
        QTest::newRow("take off twice") << "flying" << "takeOff" << "Take Off: Aircraft is already flying";
        QTest::newRow("pause, no mission") << "flying" << "pause" << "Pause: No mission is running";
        QTest::newRow("empty mission") << "" << "mission" << "Mission: The mission has no waypoints";
        QTest::newRow("height above sea level") << ""
                                                << "mission-sea"
                                                << "Mission: Waypoint 2: height above sea level is not supported yet";
        QTest::newRow("height above ground") << ""
                                             << "mission-ground"
                                             << "Mission: Waypoint 2: height above ground is not supported yet";
        QTest::newRow("link down") << "drop" << "takeOff" << "Take Off: Aircraft is not connected";
        QTest::newRow("no aircraft yet") << "unconnected" << "land" << "Land: Aircraft is not connected";
    }
    void refusalsNameTheirReason()
    {
        QFETCH(QString, setup);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        Flight f;
        if (setup != QLatin1String("unconnected"))
            QVERIFY(f.connectAircraft());
        if (setup == QLatin1String("battery"))
            f.model().setBatteryCharge(10);
        else if (setup == QLatin1String("nogps"))
            f.model().setHasGps(false);
        else if (setup == QLatin1String("flying")) {
            f.manager.takeOff();
            f.fly(3);
        } else if (setup == QLatin1String("drop"))
            f.sdk.dropLink();
        const bool flyingBefore = f.model().isFlying();
        if (command == QLatin1String("land"))
            f.manager.land();
        else if (command == QLatin1String("rth"))
            f.manager.returnToHome();
        else if (command == QLatin1String("takeOff"))
            f.manager.takeOff();
        else if (command == QLatin1String("pause"))
            f.manager.pauseMission();
        else if (command == QLatin1String("mission"))
            f.manager.executeMission(mission({}, 50, 8));
        else if (command.startsWith(QLatin1String("mission-"))) {
            DJIWaypointMission m = mission(route(3, 100), 50, 8);
            m.waypoints[1].heightReference = command == QLatin1String("mission-sea") ? DJIHeightReference::aboveSeaLevel
                                                                                     : DJIHeightReference::aboveGround;
            f.manager.executeMission(m);
        }
        QVERIFY(f.failures.isEmpty()); // never inline
        QTRY_COMPARE(f.failures, QStringList{expected});
        QCOMPARE(f.model().isFlying(), flyingBefore);
    }

    void linkDropMidMissionKeepsLastValuesThenRestores()
    {
        Flight f;
        QVERIFY(f.connectAircraft());
        f.manager.executeMission(mission(route(6, 150), 30, 10));
        f.settle();
        f.fly(25);
        QCOMPARE(f.manager.missionState(), QStringLiteral("executing"));
        const FlightData before = f.manager.flightData();
        const int wpBefore = f.manager.missionWaypoint();
        QSignalSpy disconnected(&f.manager, &DJIDroneManager::connectionStateChanged);
        f.sdk.dropLink();
        QCOMPARE(f.manager.connectionState(), State::disconnected);
        QVERIFY(!f.manager.valuesAreLive());
        f.fly(20);
        // Nothing arrives while the link is down: the last values stay, marked as not live.
        QCOMPARE(f.manager.flightData(), before);
        QCOMPARE(f.manager.aircraft().model, QString::fromLatin1(SimulatedDJISDK::kModelName));
        // The aircraft flew on meanwhile.
        QVERIFY(f.model().distanceFromHome() > before.distanceFromHome + 50 || f.model().missionWaypoint() > wpBefore);
        f.sdk.restoreLink();
        QCOMPARE(f.manager.connectionState(), State::connected);
        f.fly(0.2);
        QVERIFY(f.manager.valuesAreLive());
        QVERIFY(f.manager.flightData() != before);
        QVERIFY(f.manager.missionWaypoint() >= wpBefore);
        f.flyUntil([&] { return f.manager.missionState() == QLatin1String("finished"); }, 600);
        QCOMPARE(f.manager.missionState(), QStringLiteral("finished"));
    }

    void geofence_data()
    {
        QTest::addColumn<bool>("autoReturn");
        QTest::addColumn<bool>("alertNear");
        QTest::newRow("alert only") << false << true;
        QTest::newRow("auto-return") << true << true;
        QTest::newRow("neither: flies on, says nothing") << false << false;
        QTest::newRow("auto-return without the near alert still says why") << true << false;
    }
    void geofence()
    {
        QFETCH(bool, autoReturn);
        QFETCH(bool, alertNear);
        Flight f;
        QVERIFY(f.connectAircraft());
        f.manager.startIntelligentMode(
            DJIGeofenceSettings{.radius = 200, .autoReturn = autoReturn, .alertWhenNear = alertNear});
        f.settle();
        const DJIWaypoint far = SimulatedDJISDK::toLatLon({0, 400});
        f.manager.executeMission(mission({far}, 30, 10));
        f.settle();
        double furthest = 0;
        f.fly(120, [&] { furthest = std::max(furthest, f.model().distanceFromHome()); });
        if (autoReturn) {
            QCOMPARE(f.alerts, QStringList{QStringLiteral("Geofence reached: returning home")});
            QVERIFY2(furthest < 220, qPrintable(QString::number(furthest))); // its braking distance past the warning
            QVERIFY(f.model().phase() == FlightModel::Phase::goingHome || !f.model().isFlying());
        } else {
            QCOMPARE(f.alerts, alertNear ? QStringList{QStringLiteral("Approaching the geofence")} : QStringList{});
            QCOMPARE(f.manager.missionState(), QStringLiteral("finished"));
        }
    }

    void cameraAndGimbalReachTheAircraft()
    {
        Flight f;
        QVERIFY(f.connectAircraft());
        f.manager.capturePhoto();
        f.manager.startRecording();
        f.manager.setGimbalPitch(-45.0f);
        f.settle();
        QCOMPARE(f.sdk.photosTaken(), 1);
        QVERIFY(f.sdk.recording());
        QCOMPARE(f.sdk.gimbalPitch(), -45.0f);
        QVERIFY(f.manager.isRecording());
        f.manager.stopRecording();
        f.settle();
        QVERIFY(!f.sdk.recording());
        QVERIFY(f.failures.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimulatedFlight)
#include "tst_simulatedflight.moc"
