#pragma once

// The simulated aircraft, its SDK facade and the drone link manager on a clock the test drives:
// whole flights run in milliseconds.
#include "DJIDroneManager.h"
#include "SimulatedDJISDK.h"

#include <QCoreApplication>
#include <QTest>

#include <cmath>

namespace simflight {

using State = DJIDroneManager::ConnectionState;
struct Flight {
    ManualClock clock;
    SimulatedDJISDK sdk{1, nullptr, &clock};
    DJIDroneManager manager{&sdk};
    QStringList failures, alerts;

    Flight()
    {
        manager.setLogSink([](const QString &) {});
        QObject::connect(&manager, &DJIDroneManager::commandFailed,
                         [this](const QString &c, const QString &r) { failures << c + QStringLiteral(": ") + r; });
        QObject::connect(&manager, &DJIDroneManager::alertRaised, [this](const QString &a) { alerts << a; });
    }
    bool connectAircraft()
    {
        manager.startConnection();
        return QTest::qWaitFor([&] { return manager.connectionState() == State::connected; }, 2000);
    }
    // Lets queued completions arrive.
    void settle() { QCoreApplication::processEvents(); }
    // Flies on for `seconds` of simulated time, calling `each` after every tick.
    template <typename Each>
    void fly(double seconds, Each &&each)
    {
        const int ticks = int(std::lround(seconds * 1000.0 / SimClock::kTickMs));
        for (int i = 0; i < ticks; ++i) {
            clock.advance(SimClock::kTickMs);
            each();
        }
        settle();
    }
    void fly(double seconds) { fly(seconds, [] {}); }
    // Flies until `done` holds or `limit` seconds pass; returns the seconds flown.
    template <typename Done>
    double flyUntil(Done &&done, double limit)
    {
        double t = 0;
        while (!done() && t < limit) {
            clock.advance(SimClock::kTickMs);
            t += SimClock::kTickMs / 1000.0;
        }
        settle();
        return t;
    }
    FlightModel &model() { return sdk.model(); }
};

inline double metresBetween(double lat1, double lon1, double lat2, double lon2)
{
    const FlightModel::Point a = SimulatedDJISDK::toLocal(lat1, lon1), b = SimulatedDJISDK::toLocal(lat2, lon2);
    return std::hypot(a.east - b.east, a.north - b.north);
}

// A square-ish route of `n` waypoints, `leg` metres apart, starting `leg` north of home.
inline QList<DJIWaypoint> route(int n, double leg)
{
    QList<DJIWaypoint> out;
    for (int i = 0; i < n; ++i) {
        const double east = (i % 2) * leg, north = (i / 2 + 1) * leg;
        out << SimulatedDJISDK::toLatLon({east, north});
    }
    return out;
}

// A mission through `points`, each `height` above the take-off point.
inline DJIWaypointMission mission(QList<DJIWaypoint> points, double height, double speed)
{
    DJIWaypointMission m;
    m.speed = speed;
    for (DJIWaypoint &p : points)
        p.height = height;
    m.waypoints = std::move(points);
    return m;
}

} // namespace simflight
