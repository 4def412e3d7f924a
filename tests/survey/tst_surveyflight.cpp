#include "SurveyShapes.h"

#include "FlightModel.h"
#include "SurveyFlight.h"
#include "SurveyRoute.h"

#include <QTest>

using namespace zeltrin;
using namespace zeltrin::survey;
using namespace surveyshapes;

Q_DECLARE_METATYPE(zeltrin::survey::CameraProfile)
Q_DECLARE_METATYPE(zeltrin::survey::SurveySettings)

namespace {

CameraProfile camera(const char *name)
{
    return *builtInCameraProfile(QString::fromUtf8(name));
}

SurveySettings specOver(const QList<Coordinate> &polygon, double angle)
{
    SurveySettings s;
    s.polygon = polygon;
    s.camera = camera("1-inch 20 MP");
    s.height = 100; // footprint 150 × 100 m, lines 45 m apart, a photo every 20 m
    s.gridAngle = angle;
    return s;
}

} // namespace

class TestSurveyFlight : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rectangleFigures_data();
    void rectangleFigures();
    void rectanglePath();
    void coversTheArea_data();
    void coversTheArea();
    void staysInsideAConcaveArea_data();
    void staysInsideAConcaveArea();
    void transitsGoRoundTheNotch();
    void crosshatchDoublesTheLines();
    void refusesWhatCannotBeFlown_data();
    void refusesWhatCannotBeFlown();
    void energyMatchesTheSimulatedAircraft();
};

// The 410 × 300 m rectangle with lines running east (grid angle 90°): 300 m across them, 410 m
// along. Lines = ⌈300 / spacing⌉; photos per line = ⌈(410 − footprint length) / trigger⌉ + 1.
void TestSurveyFlight::rectangleFigures_data()
{
    QTest::addColumn<CameraProfile>("cam");
    QTest::addColumn<bool>("byGsd");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("front");
    QTest::addColumn<double>("side");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("gsdAcross");
    QTest::addColumn<double>("gsdAlong");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<double>("trigger");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("photos");
    // 13.2 × 100 / 8.8 = 150 m wide, 8.8 × 100 / 8.8 = 100 m long; GSD 13.2 × 100 / (8.8 × 5472)
    // = 2.74123 cm both ways. Spacing 150 × 0.3 = 45 m, trigger 100 × 0.2 = 20 m.
    // ⌈300 / 45⌉ = ⌈6.67⌉ = 7 lines; ⌈310 / 20⌉ + 1 = ⌈15.5⌉ + 1 = 17 photos each: 119.
    QTest::newRow("1-inch, 100 m") << camera("1-inch 20 MP") << false << 100.0 << 80.0 << 70.0 << 100.0 << 2.741228
                                   << 2.741228 << 45.0 << 20.0 << 7 << 119;
    // 17.3 × 80 / 12.29 = 112.6119 m wide, 13 × 80 / 12.29 = 84.6216 m long; GSD across
    // 17.3 × 80 / (12.29 × 5280) = 2.13280 cm, along 13 × 80 / (12.29 × 3956) = 2.13907 cm.
    // Spacing 112.6119 × 0.25 = 28.1530 m, trigger 84.6216 × 0.3 = 25.3865 m.
    // ⌈300 / 28.153⌉ = ⌈10.66⌉ = 11 lines; ⌈325.378 / 25.3865⌉ + 1 = ⌈12.82⌉ + 1 = 14 each: 154.
    QTest::newRow("4/3-inch, 80 m") << camera("4/3-inch 20 MP") << false << 80.0 << 70.0 << 75.0 << 80.0 << 2.132799
                                    << 2.139070 << 28.152970 << 25.386493 << 11 << 154;
    // 2.5 cm/px across: height 0.025 × 4.5 × 4000 / 6.17 = 72.9335 m; 100 m wide (4000 px at
    // 2.5 cm), 4.55 × 72.9335 / 4.5 = 73.7439 m long, GSD along 73.7439 / 3000 = 2.45813 cm.
    // Spacing 40 m, trigger 73.7439 × 0.25 = 18.4360 m.
    // ⌈300 / 40⌉ = ⌈7.5⌉ = 8 lines; ⌈336.256 / 18.436⌉ + 1 = ⌈18.24⌉ + 1 = 20 each: 160.
    QTest::newRow("1/2.3-inch, 2.5 cm/px") << camera("1/2.3-inch 12 MP") << true << 2.5 << 75.0 << 60.0 << 72.933549
                                           << 2.5 << 2.458131 << 40.0 << 18.435980 << 8 << 160;
}

void TestSurveyFlight::rectangleFigures()
{
    QFETCH(CameraProfile, cam);
    QFETCH(bool, byGsd);
    QFETCH(double, value);
    SurveySettings s = specOver(rectangle(), 90);
    s.camera = cam;
    s.given = byGsd ? SurveySettings::Given::GroundSampleDistance : SurveySettings::Given::Height;
    (byGsd ? s.groundSampleDistance : s.height) = value;
    QFETCH(double, front);
    QFETCH(double, side);
    s.frontOverlap = front;
    s.sideOverlap = side;
    const SurveyFlight f = planSurvey(s);
    QVERIFY2(f.ok(), qPrintable(f.error));
    const ImageGeometry &g = f.figures.image;
    QFETCH(double, height);
    QFETCH(double, gsdAcross);
    QFETCH(double, gsdAlong);
    QFETCH(double, spacing);
    QFETCH(double, trigger);
    QCOMPARE_LE(std::abs(g.height - height), 1e-5);
    QCOMPARE_LE(std::abs(g.gsdAcross - gsdAcross), 1e-5);
    QCOMPARE_LE(std::abs(g.gsdAlong - gsdAlong), 1e-5);
    QCOMPARE_LE(std::abs(g.lineSpacing - spacing), 1e-5);
    QCOMPARE_LE(std::abs(g.triggerDistance - trigger), 1e-5);
    QTEST(f.figures.lineCount, "lines");
    QTEST(f.figures.photoCount, "photos");
    QTEST(int(f.photos.size()), "photos");
    QTEST(int(f.runs.size()), "lines");
    for (const SurveyPhoto &p : f.photos) {
        QCOMPARE(p.gsdAcross, g.gsdAcross);
        QCOMPARE(p.gsdAlong, g.gsdAlong);
    }
    QCOMPARE_LE(std::abs(f.figures.area - 410.0 * 300.0), 0.5);
}

// 1-inch at 100 m: 7 lines of 17 photos, the photos 20 m apart over 320 m centred on the 410 m,
// from x = −160 to 160. Each line: 10 m approach, 320 m, 10 m overshoot; 6 hops of 45 m between
// lines. 7 × 340 + 6 × 45 = 2,650 m with two 90° turns per hop: 12 turns.
// At 8 m/s: 2,650 / 8 + 12 × 3 s = 367.25 s.
// Battery (0.065 %/s hovering, + 0.004 per m/s, + 0.01 per m/s climbing): 36 s turning
// 0.065 × 36 = 2.34 %; 331.25 s at 8 m/s 0.097 × 331.25 = 32.131 %; up 100 m at 5 m/s
// 0.115 × 20 = 2.3 %; down at 1.5 m/s 0.08 × 66.667 = 5.333 %: 42.105 %, one pack with 25 % left.
void TestSurveyFlight::rectanglePath()
{
    const SurveyFlight f = planSurvey(specOver(rectangle(), 90));
    QVERIFY2(f.ok(), qPrintable(f.error));
    QCOMPARE(f.waypoints.size(), 7 * 4);
    const Plane plane;
    using Role = SurveyWaypoint::Role;
    for (int line = 0; line < 7; ++line) {
        const Role roles[] = {Role::Approach, Role::LineStart, Role::LineEnd, Role::Overshoot};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.waypoints[line * 4 + i].role, roles[i]);
        QCOMPARE(f.runs[line], (PhotoRun{line * 4 + 1, line * 4 + 2}));
        // Back and forth: even lines fly east from x = −160, odd ones west from 160.
        const Point start = plane.at(f.waypoints[line * 4 + 1].position);
        QCOMPARE_LE(std::abs(start.x() - (line % 2 ? 160.0 : -160.0)), 0.01);
        const double y = plane.at(f.waypoints[line * 4].position).y();
        QCOMPARE_LE(std::abs(y - plane.at(f.waypoints[line * 4 + 3].position).y()), 0.01);
    }
    // The outer lines 15 m inside the edges ((300 − 6 × 45) / 2).
    QCOMPARE_LE(std::abs(plane.at(f.waypoints[0].position).y() - 135.0), 0.01);
    QCOMPARE_LE(std::abs(plane.at(f.waypoints.back().position).y() + 135.0), 0.01);
    // Photos one trigger distance apart, facing the way flown.
    const Point a = plane.at(f.photos[0].centre), b = plane.at(f.photos[1].centre);
    QCOMPARE_LE(std::abs(bg::distance(a, b) - 20.0), 0.001);
    QCOMPARE(f.photos[0].heading, 90.0);
    QCOMPARE(f.photos[17].heading, 270.0);

    QCOMPARE_LE(std::abs(f.figures.distance - 2650.0), 0.05);
    QCOMPARE(f.figures.turnCount, 12);
    QCOMPARE_LE(std::abs(f.figures.flightTime - 367.25), 0.01);
    QCOMPARE_LE(std::abs(*f.figures.batteryShare - 42.1046), 0.001);
    QCOMPARE(*f.figures.batteryCount, 1);
}

// Every point of the area lies under some photo: the area less the union of the footprints is
// empty, at the edges, in the corners of a concave shape, in a strip narrower than a photo and
// at the tip of a leaning spike.
void TestSurveyFlight::coversTheArea_data()
{
    QTest::addColumn<QList<Coordinate>>("area");
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("crosshatch");
    // Lines cut only to where they cross the area would miss 300 to 12,000 m² in all but the
    // first of these: the edges they cross at a shallow angle stick out past the end photos.
    QTest::newRow("L, lines north") << lShape() << 0.0 << false;
    QTest::newRow("L, lines at 60°") << lShape() << 60.0 << false;
    QTest::newRow("thin strip, lines at 10°") << thinStrip() << 10.0 << false;
    QTest::newRow("thin strip, lines at 45°") << thinStrip() << 45.0 << false;
    QTest::newRow("spike, lines at 45°") << spiked() << 45.0 << false;
    QTest::newRow("spike, crosshatch at 20°") << spiked() << 20.0 << true;
}

void TestSurveyFlight::coversTheArea()
{
    QFETCH(QList<Coordinate>, area);
    QFETCH(double, angle);
    SurveySettings s = specOver(area, angle);
    QFETCH(bool, crosshatch);
    s.crosshatch = crosshatch;
    const SurveyFlight f = planSurvey(s);
    QVERIFY2(f.ok(), qPrintable(f.error));
    const Plane plane;
    std::vector<MultiPolygon> footprints;
    for (const SurveyPhoto &p : f.photos)
        footprints.push_back(MultiPolygon{plane.footprint(p)});
    const MultiPolygon covered = unionOf(std::move(footprints));
    const Polygon target = plane.polygon(area);
    MultiPolygon missed;
    bg::difference(target, covered, missed);
    QCOMPARE_LE(bg::area(missed), 1e-6 * bg::area(target));
}

// Lines heading 135° or 150° over the L cross its notch: those are cut into two photo runs, and
// every run stays within half a spacing (22.5 m) of the area, every leg of the path within that
// plus the turnaround (10 m) and a metre, so nothing flies across the 300 m notch.
void TestSurveyFlight::staysInsideAConcaveArea_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("takeOffInNotch");
    QTest::newRow("135°") << 135.0 << false;
    QTest::newRow("150°") << 150.0 << false;
    QTest::newRow("135°, from the notch") << 135.0 << true;
}

void TestSurveyFlight::staysInsideAConcaveArea()
{
    QFETCH(double, angle);
    QFETCH(bool, takeOffInNotch);
    SurveyFlightSettings settings;
    if (takeOffInNotch)
        settings.takeOff = corners({{450, 450}}).front();
    const SurveyFlight f = planSurvey(specOver(lShape(), angle), settings);
    QVERIFY2(f.ok(), qPrintable(f.error));
    QCOMPARE_GT(f.runs.size(), f.figures.lineCount); // some lines cut in two
    QCOMPARE(f.figures.transitsLeavingArea, 0);
    const Plane plane;
    const Polygon area = plane.polygon(lShape());
    const Polygon runRoom = grown(area, 22.5 + 0.01), legRoom = grown(area, 22.5 + 10 + 1 + 0.01);
    for (const PhotoRun &r : f.runs) {
        const Linestring run{plane.at(f.waypoints[r.first].position), plane.at(f.waypoints[r.last].position)};
        QVERIFY2(bg::covered_by(run, runRoom), qPrintable(QStringLiteral("run from waypoint %1").arg(r.first)));
    }
    for (qsizetype i = 1; i < f.waypoints.size(); ++i) {
        const Linestring leg{plane.at(f.waypoints[i - 1].position), plane.at(f.waypoints[i].position)};
        QVERIFY2(bg::covered_by(leg, legRoom), qPrintable(QStringLiteral("leg to waypoint %1").arg(i)));
    }
}

// Across the L's notch the way bends round its inner corner (300, 300), the shortest way inside
// the area grown by 10 m: from (550, 250) to (250, 550) that is 2 × √(250² + 50²) = 509.90 m.
// Along the notch's edge it goes straight.
void TestSurveyFlight::transitsGoRoundTheNotch()
{
    namespace d = zeltrin::survey::detail;
    d::Polygon l;
    for (const auto &[x, y] :
         std::vector<std::pair<double, double>>{{0, 0}, {600, 0}, {600, 300}, {300, 300}, {300, 600}, {0, 600}})
        l.outer().push_back({x, y});
    d::bg::correct(l);
    d::TransitRouter router(l, 10);
    const auto round = router.route({550, 250}, {250, 550});
    QVERIFY(round);
    QCOMPARE(round->size(), size_t(1));
    QCOMPARE(round->front().x(), 300.0);
    QCOMPARE(round->front().y(), 300.0);
    const double length = d::bg::distance(d::Point{550, 250}, round->front())
        + d::bg::distance(round->front(), d::Point{250, 550});
    QCOMPARE_LE(std::abs(length - 509.902), 0.001);
    QVERIFY(router.route({550, 305}, {305, 305})->empty()); // 5 m into the notch, along its edge: straight
    QVERIFY(!router.route({550, 305}, {450, 450}));         // to the notch's middle: no way inside
}

// 400 m square, lines north (0°): ⌈400 / 45⌉ = 9 lines of ⌈300 / 20⌉ + 1 = 16 photos (an exact
// 15 steps). The crosshatch flies the same again east-west after them.
void TestSurveyFlight::crosshatchDoublesTheLines()
{
    SurveySettings s = specOver(corners({{0, 0}, {400, 0}, {400, 400}, {0, 400}}), 0);
    const SurveyFlight single = planSurvey(s);
    s.crosshatch = true;
    const SurveyFlight cross = planSurvey(s);
    QVERIFY(single.ok() && cross.ok());
    QCOMPARE(single.figures.lineCount, 9);
    QCOMPARE(cross.figures.lineCount, 18);
    QCOMPARE(cross.figures.photoCount, 2 * single.figures.photoCount);
    QCOMPARE(cross.runs.size(), 18);
    for (qsizetype i = 0; i < cross.photos.size(); ++i) {
        const SurveyPhoto &p = cross.photos[i];
        QCOMPARE(p.pass, i < single.photos.size() ? 0 : 1);
        QCOMPARE(std::fmod(p.heading, 180.0), p.pass ? 90.0 : 0.0);
    }
}

void TestSurveyFlight::refusesWhatCannotBeFlown_data()
{
    QTest::addColumn<SurveySettings>("spec");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("error");
    const SurveySettings ok = specOver(rectangle(), 0);
    SurveySettings crossing = ok;
    crossing.polygon = corners({{0, 0}, {100, 100}, {100, 0}, {0, 100}});
    QTest::newRow("outline crossing itself") << crossing << 8.0 << "The area's outline crosses itself.";
    SurveySettings line = ok;
    line.polygon = corners({{0, 0}, {100, 0}, {200, 0}});
    QTest::newRow("no area") << line << 8.0 << "The area is smaller than a square metre.";
    SurveySettings repeated = ok;
    repeated.polygon = corners({{0, 0}, {100, 0}, {100, 0}, {0, 0}});
    QTest::newRow("two distinct corners") << repeated << 8.0 << "The area needs at least 3 different corners.";
    SurveySettings huge = ok;
    huge.polygon = corners({{0, 0}, {25000, 0}, {25000, 1000}, {0, 1000}});
    QTest::newRow("25 km wide") << huge << 8.0 << "The area is more than 20 km across.";
    SurveySettings many = ok;
    many.polygon = corners({{0, 0}, {5000, 0}, {5000, 5000}, {0, 5000}});
    many.height = 5; // photos 5 m apart in lines 2.25 m apart: some 2 million
    QTest::newRow("too many photos")
        << many << 8.0 << "The survey would take more than 100,000 photos: fly higher or with less overlap.";
    QTest::newRow("too fast") << ok << 15.5 << "The speed must be between 1 and 15 m/s.";
    SurveySettings low = ok;
    low.given = SurveySettings::Given::GroundSampleDistance;
    low.groundSampleDistance = 0.1; // 3.6 m
    QTest::newRow("GSD too fine")
        << low << 8.0 << "This ground sample distance needs a height of 4 m; the aircraft flies between 5 and 120 m.";
}

void TestSurveyFlight::refusesWhatCannotBeFlown()
{
    QFETCH(SurveySettings, spec);
    QFETCH(double, speed);
    SurveyFlightSettings settings;
    settings.speed = speed;
    const SurveyFlight f = planSurvey(spec, settings);
    QTEST(f.error, "error");
    QVERIFY(f.waypoints.isEmpty() && f.photos.isEmpty());
}

// The estimate against the simulated aircraft flying the same path: a 1.2 km dog-leg at 10 m/s
// and 60 m. The aircraft stops on each waypoint (the turn allowance) and climbs while it flies
// the first leg, which the estimate counts apart: it may be a little high, never low.
void TestSurveyFlight::energyMatchesTheSimulatedAircraft()
{
    FlightModel sim;
    const double before = sim.charge();
    QVERIFY(!sim.startMission({{{0, 600}, 60}, {{600, 600}, 60}, {{600, 0}, 60}}, 10));
    for (int i = 0; i < 20000 && sim.missionState() != FlightModel::MissionState::finished; ++i)
        sim.step(0.05);
    QCOMPARE(sim.missionState(), FlightModel::MissionState::finished);
    QVERIFY(!sim.land());
    for (int i = 0; i < 20000 && sim.isFlying(); ++i)
        sim.step(0.05);
    QVERIFY(!sim.isFlying());
    const double used = before - sim.charge();

    const FlightEnergyDemand demand{1800, 10, 60, 60, 2 * kTurnAllowance};
    const double estimate = *batteryShare(AircraftEnergyModel::simulated(), demand);
    QCOMPARE_GE(estimate, used);
    QCOMPARE_LE(estimate, used * 1.1);
    QCOMPARE(*batteriesNeeded(AircraftEnergyModel::simulated(), demand), 1);
    // 8 km: 800 s × 0.105 + 1.38 + 3.2 = 88.6 %, more than the 75 % a pack may give: two packs.
    QCOMPARE(*batteriesNeeded(AircraftEnergyModel::simulated(), {8000, 10, 60, 60, 0}), 2);
    QVERIFY(!batteryShare(AircraftEnergyModel::simulated(), {100, 0, 0, 0, 0})); // no speed: unknown
}

QTEST_GUILESS_MAIN(TestSurveyFlight)
#include "tst_surveyflight.moc"
