// The rules of the pre-flight checklist: each automatic item against the values that pass or
// fail it, the mission against the ceiling and the geofence, and the pilot's own ticks.
#include "FakeDJISDK.h"
#include "PreflightChecklistModel.h"

#include <QSignalSpy>
#include <QTest>

using Inputs = PreflightChecklistModel::Inputs;
using Item = PreflightChecklistModel::Item;

namespace {

// A connected aircraft that passes everything, parked at the sim's spot.
Inputs good()
{
    Inputs in;
    in.connected = true;
    in.live = true;
    in.battery = 80;
    in.gpsLevel = 4;
    in.home = zeltrin::Coordinate{42.9986, -84.0021};
    in.position = in.home;
    in.signal = 95;
    in.returnTrigger = 25;
    in.ceiling = 120;
    return in;
}

// A mission of one waypoint `north` metres north of the parked spot, `height` high.
DJIWaypointMission northOf(double north, double height)
{
    DJIWaypoint w;
    w.latitude = 42.9986 + north / 111194.9; // metres per degree of latitude on the mean sphere
    w.longitude = -84.0021;
    w.height = height;
    DJIWaypointMission m;
    m.waypoints << w;
    return m;
}

Item itemNamed(const QList<Item> &items, const QString &key)
{
    for (const Item &i : items)
        if (i.key == key)
            return i;
    return {};
}

} // namespace

class TestPreflightChecklist : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void automaticItems_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("passed");
        QTest::addColumn<QString>("detail");
        QTest::newRow("all good: battery") << ""
                                           << "battery" << true << "80% \u2014 returns home at 25%";
        QTest::newRow("battery at the trigger") << "battery=25"
                                                << "battery" << false << "25% \u2014 returns home at 25%";
        QTest::newRow("battery one above") << "battery=26"
                                           << "battery" << true << "26% \u2014 returns home at 25%";
        QTest::newRow("trigger raised to 40") << "trigger=40"
                                              << "battery" << true << "80% \u2014 returns home at 40%";
        QTest::newRow("no reading is no charge") << "stale"
                                                 << "battery" << false << "No battery reading";
        QTest::newRow("GPS 3 passes") << "gps=3"
                                      << "gps" << true << "3/4";
        QTest::newRow("GPS 2 fails") << "gps=2"
                                     << "gps" << false << "2/4 \u2014 needs 3/4";
        QTest::newRow("home recorded") << ""
                                       << "home" << true << "42.99860\u00B0, -84.00210\u00B0";
        QTest::newRow("no home") << "nohome"
                                 << "home" << false << "Not recorded yet";
        QTest::newRow("signal 40 passes") << "signal=40"
                                          << "link" << true << "40%";
        QTest::newRow("signal 39 fails") << "signal=39"
                                         << "link" << false << "39% \u2014 needs 40%";
        QTest::newRow("not connected") << "disconnected"
                                       << "link" << false << "No aircraft connected";
        QTest::newRow("connected, nothing heard yet") << "stale"
                                                      << "link" << false << "No reading from the aircraft yet";
        QTest::newRow("no mission") << ""
                                    << "mission" << true << "No mission planned";
        // Worked by hand: 300 m north on the mean sphere, 50 m high; ceiling 120 m.
        QTest::newRow("mission inside") << "mission=300,50"
                                        << "mission" << true << "Up to 50 m high, ceiling 120 m";
        QTest::newRow("mission at the ceiling") << "mission=300,120"
                                                << "mission" << true << "Up to 120 m high, ceiling 120 m";
        QTest::newRow("mission above the ceiling")
            << "mission=300,121"
            << "mission" << false << "Mission altitude 121 m is above the 120 m ceiling";
        QTest::newRow("mission inside the fence")
            << "mission=300,50;fence=500"
            << "mission" << true << "Up to 50 m high, ceiling 120 m; 300 m out, geofence 500 m";
        QTest::newRow("mission beyond the fence")
            << "mission=600,50;fence=500"
            << "mission" << false << "Waypoint 1 is 600 m out, beyond the 500 m geofence";
        QTest::newRow("fence, position unknown")
            << "mission=300,50;fence=500;stale"
            << "mission" << false << "Aircraft position unknown: the geofence cannot be checked";
    }
    void automaticItems()
    {
        QFETCH(QString, change);
        QFETCH(QString, key);
        QFETCH(bool, passed);
        QFETCH(QString, detail);
        Inputs in = good();
        for (const QString &c : change.split(u';', Qt::SkipEmptyParts)) {
            const QStringList kv = c.split(u'=');
            const QString k = kv.first();
            const double v = kv.value(1).section(u',', 0, 0).toDouble();
            if (k == "battery")
                in.battery = qint64(v);
            if (k == "trigger")
                in.returnTrigger = v;
            if (k == "gps")
                in.gpsLevel = int(v);
            if (k == "signal")
                in.signal = qint64(v);
            if (k == "nohome")
                in.home.reset();
            if (k == "disconnected")
                in.connected = false;
            if (k == "stale") {
                in.live = false;
                in.position.reset();
            }
            if (k == "fence")
                in.geofence = v;
            if (k == "mission")
                in.mission = northOf(v, kv.value(1).section(u',', 1, 1).toDouble());
        }
        const QList<Item> items = PreflightChecklistModel::automaticItems(in);
        QCOMPARE(items.size(), 5);
        const Item i = itemNamed(items, key);
        QCOMPARE(i.detail, detail);
        QCOMPARE(i.passed, passed);
        QVERIFY(!i.manual);
    }

    // The model on a drone link: nothing passes before an aircraft, the pilot's ticks count,
    // and a new take-off asks for them again.
    void manualTicksAndReset()
    {
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        PreflightChecklistModel m;
        m.setDrone(&drone);
        QVERIFY(!m.allPassed());
        QCOMPARE(m.openText(), QStringLiteral("6 items still open")); // only "no mission" passes
        sdk.connectAircraft(QStringLiteral("Falcon"));
        DJITelemetryReading r;
        r.battery = BatteryInfo{80, 15.6, 30, 3, 1200};
        r.gpsLevel = 4;
        r.signalStrength = 90;
        r.homeLatitude = 47.0;
        r.homeLongitude = 8.0;
        sdk.reportTelemetry(r);
        QCOMPARE(m.openText(), QStringLiteral("2 items still open"));
        QSignalSpy changed(&m, &PreflightChecklistModel::changed);
        sdk.reportTelemetry(r); // the same values: nothing shown changes
        QCOMPARE(changed.count(), 0);
        m.setTicked(QStringLiteral("propellers"), true);
        m.setTicked(QStringLiteral("battery"), true); // not the pilot's to tick
        QCOMPARE(m.openText(), QStringLiteral("1 item still open"));
        m.setTicked(QStringLiteral("area"), true);
        QVERIFY(m.allPassed());
        QCOMPARE(m.openText(), QString());
        m.reset();
        QVERIFY(!m.allPassed());
        QCOMPARE(m.items().size(), 7);
        QVERIFY(m.items().last().manual && !m.items().last().passed);
    }
};

QTEST_GUILESS_MAIN(TestPreflightChecklist)
#include "tst_preflightchecklist.moc"
