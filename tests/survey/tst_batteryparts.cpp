// Where each battery's part of a survey ends, checked against the simulated aircraft flying each
// part on a full pack: it reaches the part's end with the charge predicted (within 5 % of a pack),
// never turns home by itself on the way, and lands with the reserve.
#include "SurveyShapes.h"

#include "BatteryParts.h"
#include "FlightModel.h"
#include "SimulatedDJISDK.h"
#include "SurveyMission.h"

#include <QTest>

using namespace zeltrin;
using namespace zeltrin::survey;
using namespace surveyshapes;

namespace {

struct Flown {
    double chargeAtLast = 0, landing = 0;
    bool turnedHome = false;
};

// Flies waypoints first..last of `mission` from the home point on a full pack, then home.
Flown flyPart(const DJIWaypointMission &mission, const BatteryPart &part, FlightModel::Point wind)
{
    const LocalPlane plane(kOrigin);
    FlightModel sim;
    sim.setWind(wind);
    sim.setBatteryCharge(100);
    std::vector<FlightModel::Waypoint> waypoints;
    for (int i = part.first; i <= part.last; ++i) {
        const DJIWaypoint &w = mission.waypoints[i];
        const PlanePoint p = plane.toPlane({w.latitude, w.longitude});
        waypoints.push_back({{p.east, p.north}, w.height, {}});
    }
    Flown out;
    if (sim.startMission(waypoints, mission.speed))
        return out;
    for (int i = 0; i < 200000 && sim.missionState() == FlightModel::MissionState::executing; ++i)
        sim.step(0.1);
    out.turnedHome = sim.missionState() != FlightModel::MissionState::finished;
    out.chargeAtLast = sim.charge();
    sim.goHome();
    for (int i = 0; i < 100000 && sim.isFlying(); ++i)
        sim.step(0.1);
    out.landing = sim.charge();
    return out;
}

} // namespace

class TestBatteryParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void partsEndAtLineEndsAndAreFlownAsPredicted_data()
    {
        QTest::addColumn<QList<Coordinate>>("area");
        QTest::addColumn<double>("windEast"); // m/s, where the air goes
        QTest::addColumn<int>("parts");
        // 410 × 300 m at 100 m: about 3 km, a third of a pack.
        QTest::newRow("one pack") << rectangle() << 0.0 << 1;
        // 900 × 700 m: 16 lines of about 1 km, some 16 km: about 2.3 packs of work.
        QTest::newRow("three packs") << corners({{-450, -350}, {450, -350}, {450, 350}, {-450, 350}}) << 0.0 << 3;
        QTest::newRow("three packs in a wind")
            << corners({{-450, -350}, {450, -350}, {450, 350}, {-450, 350}}) << 5.0 << 4; // the wind costs a pack more
    }
    void partsEndAtLineEndsAndAreFlownAsPredicted()
    {
        QFETCH(QList<Coordinate>, area);
        QFETCH(double, windEast);
        QFETCH(int, parts);
        SurveySettings spec;
        spec.polygon = area;
        spec.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
        spec.height = 100;
        spec.gridAngle = 90;
        const SurveyFlight flight = planSurvey(spec);
        QVERIFY(flight.ok());
        const DJIWaypointMission mission = surveyAircraftMission(spec, flight, 8);
        BatteryPartsInput input;
        input.home = kOrigin;
        input.profile = SimulatedDJISDK::profile();
        if (windEast != 0)
            input.wind = DJIWindEstimate{windEast, 270}; // from the west
        const BatteryPartsPlan plan = planBatteryParts(mission, input);
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));
        QCOMPARE(int(plan.parts.size()), parts);
        QCOMPARE(plan.parts.front().first, 0);
        QCOMPARE(plan.parts.back().last, int(mission.waypoints.size()) - 1);
        const std::vector<bool> off = cameraOffAfter(mission);
        for (size_t k = 0; k < plan.parts.size(); ++k) {
            const BatteryPart &p = plan.parts[k];
            if (k > 0)
                QCOMPARE(p.first, plan.parts[k - 1].last); // it goes on where the last one stopped
            QVERIFY(off[size_t(p.last)] && !p.insideLine);
            const Flown f = flyPart(mission, p, {windEast, 0});
            qInfo("part %zu: waypoints %d-%d, at its end %.1f %% (predicted %.1f), landed with %.1f %% (predicted "
                  "%.1f)",
                  k + 1, p.first + 1, p.last + 1, f.chargeAtLast, p.chargeAtLast, f.landing, p.landingCharge);
            QVERIFY(!f.turnedHome);
            QVERIFY(std::abs(f.chargeAtLast - p.chargeAtLast) <= 5);
            QVERIFY(f.landing >= input.settings.reservePercentage);
        }
    }

    // A waypoint beyond any pack's reach, out and back, is refused by its number.
    void aWaypointTooFarIsRefused()
    {
        DJIWaypointMission m;
        m.speed = 8;
        for (double east : {100.0, 200.0, 9000.0})
            m.waypoints.append(DJIWaypoint{kOrigin.latitude,
                                           LocalPlane(kOrigin).toGeo({east, 0}).longitude,
                                           50,
                                           DJIHeightReference::aboveTakeOff,
                                           {}});
        BatteryPartsInput input;
        input.home = kOrigin;
        input.profile = SimulatedDJISDK::profile();
        const BatteryPartsPlan plan = planBatteryParts(m, input);
        QVERIFY(plan.parts.empty());
        QVERIFY2(plan.refusal.startsWith(QStringLiteral("Waypoint 3 is too far for one battery")),
                 qPrintable(plan.refusal));
    }
};

QTEST_GUILESS_MAIN(TestBatteryParts)
#include "tst_batteryparts.moc"
