#include "FlightModel.h"
#include "SurveyShapes.h"
#include "TerrainFollow.h"

#include <QTest>

#include <cmath>
#include <functional>

using namespace zeltrin::terrain;
using namespace surveyshapes;
using zeltrin::survey::LocalPlane;
using zeltrin::survey::PlanePoint;

namespace {

// Ground given in metres east and north of the test origin (nullopt: no data there).
struct Ground : ElevationSource {
    LocalPlane plane{kOrigin};
    std::function<std::optional<double>(double east, double north)> at;
    std::optional<double> heightAt(double latitude, double longitude) const override
    {
        const PlanePoint p = plane.toPlane({latitude, longitude});
        return at(p.east, p.north);
    }
};

// Every sample keeps within the band over the ground, and every leg within the rates (8 m/s:
// 5 m/s up is 0.625 m per m, 3 m/s down 0.375).
void checkFlown(const FollowPlan &plan, double height, double tolerance, double above)
{
    for (const ProfileSample &p : plan.profile) {
        const double agl = p.path - p.ground;
        QVERIFY2(agl >= height - tolerance - 1e-6 && agl <= height + tolerance + above + 1e-6,
                 qPrintable(QStringLiteral("%1 m over the ground at %2 m").arg(agl).arg(p.distance)));
    }
    for (size_t i = 1; i < plan.profile.size(); ++i) {
        const double run = plan.profile[i].distance - plan.profile[i - 1].distance;
        if (run > 0) {
            const double slope = (plan.profile[i].path - plan.profile[i - 1].path) / run;
            QVERIFY2(slope <= 0.625 + 1e-6 && slope >= -0.375 - 1e-6, qPrintable(QString::number(slope)));
        }
    }
}

} // namespace

// Known grounds under a mission flown 50 m over the ground at 8 m/s, ±2 m.
class TestTerrainFollow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // On a plane, straight legs follow the ground exactly: nothing is added, and every waypoint
    // is 50 m over its ground, measured from the take-off point's ground.
    void aPlaneNeedsNoAddedWaypoints_data()
    {
        QTest::addColumn<double>("slope"); // m per m rising east
        QTest::newRow("flat") << 0.0;
        QTest::newRow("10 % up east") << 0.1;
        QTest::newRow("25 % down east") << -0.25;
    }
    void aPlaneNeedsNoAddedWaypoints()
    {
        QFETCH(double, slope);
        Ground g;
        g.at = [slope](double east, double) { return 300 + slope * east; };
        // Three lines of a survey, 400 m long, 45 m apart, flown east and west.
        const QList<zeltrin::Coordinate> route = corners({{0, 0}, {400, 0}, {400, 45}, {0, 45}, {0, 90}, {400, 90}});
        const FollowPlan plan = followTerrain(route, route.front(), g);
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));
        QCOMPARE(plan.waypoints.size(), size_t(route.size()));
        for (int i = 0; i < route.size(); ++i) {
            QCOMPARE(plan.waypoints[size_t(i)].from, i);
            const double east = g.plane.toPlane(route[i]).east;
            QVERIFY(std::abs(plan.waypoints[size_t(i)].height - (slope * east + 50)) < 1e-6);
        }
        checkFlown(plan, 50, 2, 0);
        QVERIFY(std::abs(plan.lowest->clearance - 50) < 1e-6);
    }

    // Hills: waypoints are added where the ground bends, the band and the rates hold.
    void hillsAreFollowed()
    {
        Ground g;
        g.at = [](double east, double north) { return 250 + 30 * std::sin(east / 140) * std::cos(north / 110); };
        const QList<zeltrin::Coordinate> route = corners({{0, 0}, {900, 0}, {900, 60}, {0, 60}});
        const FollowPlan plan = followTerrain(route, route.front(), g);
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));
        QVERIFY(plan.waypoints.size() > size_t(route.size()));
        QVERIFY(plan.waypoints.size() < plan.profile.size() / 10); // far fewer than the samples
        checkFlown(plan, 50, 2, 0);
    }

    // A 30 m cliff 300 m along the leg: at 8 m/s the aircraft climbs 0.625 m per metre, so it
    // must start 30 / 0.625 = 48 m before the foot; it never comes lower than 48 m
    // over the ground, and descends after the drop no faster than 0.375 m per metre.
    void aCliffIsClimbedBefore_data()
    {
        QTest::addColumn<double>("rise");
        QTest::newRow("up 30 m") << 30.0;
        QTest::newRow("down 30 m") << -30.0;
    }
    void aCliffIsClimbedBefore()
    {
        QFETCH(double, rise);
        Ground g;
        g.at = [rise](double east, double) { return 100 + (east >= 300 ? rise : 0.0); };
        const QList<zeltrin::Coordinate> route = corners({{0, 0}, {700, 0}});
        const FollowPlan plan = followTerrain(route, route.front(), g);
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));
        checkFlown(plan, 50, 2, std::abs(rise));
        if (rise > 0) {
            QVERIFY(!plan.note.isEmpty());
            // 38 m before the first sample on the top the path must be 30 + 48 − 0.625 × 38 =
            // 54.25 m up at least.
            const auto top = std::find_if(plan.profile.begin(), plan.profile.end(),
                                          [](const ProfileSample &p) { return p.ground >= 30; });
            const auto foot = std::find_if(plan.profile.begin(), plan.profile.end(),
                                           [&](const ProfileSample &p) { return p.distance >= top->distance - 38; });
            QVERIFY(foot->path - foot->ground >= 54.25 - 1e-6);
        }
    }

    // The simulated aircraft flies a survey over hills at the heights planned for them: from the
    // second waypoint on (the first leg climbs from the take-off point) it stays 60 m ± 2 m over
    // the ground, and half a metre more for its vertical lag, and never touches it.
    void theAircraftFliesTheHills()
    {
        Ground g;
        g.at = [](double east, double north) { return 200 + 25 * std::sin(east / 90) * std::cos(north / 70); };
        zeltrin::survey::SurveySettings spec;
        spec.polygon = corners({{0, 0}, {300, 0}, {300, 200}, {0, 200}});
        spec.camera = *zeltrin::survey::builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
        spec.height = 60;
        const zeltrin::survey::SurveyFlight survey = zeltrin::survey::planSurvey(spec);
        QVERIFY(survey.ok());
        QList<zeltrin::Coordinate> route;
        for (const zeltrin::survey::SurveyWaypoint &w : survey.waypoints)
            route.append(w.position);
        const FollowPlan plan = followTerrain(route, kOrigin, g, {.height = 60, .speed = 8});
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));

        FlightModel sim;
        sim.setGround(
            [&](FlightModel::Point p) -> std::optional<double> { return *g.at(p.east, p.north) - *g.at(0, 0); });
        std::vector<FlightModel::Waypoint> flown;
        for (const FollowWaypoint &w : plan.waypoints) {
            const PlanePoint p = g.plane.toPlane(w.at);
            flown.push_back({{p.east, p.north}, w.height, {}});
        }
        QVERIFY(!sim.startMission(flown, 8));
        double lowest = 1e9, highest = -1e9;
        for (int i = 0; i < 40000 && sim.missionState() != FlightModel::MissionState::finished; ++i) {
            sim.step(0.05);
            if (sim.missionWaypoint() >= 1) {
                lowest = std::min(lowest, *sim.heightAboveGround());
                highest = std::max(highest, *sim.heightAboveGround());
            }
        }
        QCOMPARE(sim.missionState(), FlightModel::MissionState::finished);
        QCOMPARE(sim.groundContacts(), 0);
        qInfo("over the ground: %.2f to %.2f m", lowest, highest);
        QVERIFY(lowest >= 58 - 0.5 && highest <= 62 + 0.5);
    }

    // No data is no answer: a void under a leg, or under the take-off point, refuses the plan
    // and names where; it is never flown as if the ground were at sea level.
    void unknownGroundRefuses()
    {
        Ground g;
        g.at = [](double east, double) -> std::optional<double> {
            if (east > 200 && east < 250)
                return std::nullopt;
            return 40.0;
        };
        const QList<zeltrin::Coordinate> route = corners({{0, 0}, {150, 0}, {400, 0}, {400, 100}});
        FollowPlan plan = followTerrain(route, route.front(), g);
        QCOMPARE(plan.refusal,
                 QStringLiteral("Waypoint 2: the ground on the way to waypoint 3 is not known. "
                                "Download or import elevation data for this area."));
        QCOMPARE(plan.unknownLegs, std::vector<int>{1});
        QVERIFY(plan.waypoints.empty());
        plan = followTerrain(route, corners({{225, 0}}).front(), g);
        QVERIFY(plan.refusal.startsWith(QStringLiteral("The ground at the take-off point is not known")));
    }
};

QTEST_GUILESS_MAIN(TestTerrainFollow)
#include "tst_terrainfollow.moc"
