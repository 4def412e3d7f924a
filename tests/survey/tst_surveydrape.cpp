#include "SurveyDrape.h"
#include "SurveyShapes.h"

#include <QTest>

#include <cmath>

using namespace zeltrin::survey;
using namespace surveyshapes;

namespace {

// Ground as a plane over the test origin: `base` metres above sea level there, rising `slope`
// metres per metre eastward; nothing known east of `voidEast` metres.
struct PlaneGround : ElevationSource {
    LocalPlane plane{kOrigin};
    double base = 400, slope = 0, voidEast = 1e9;
    std::optional<double> heightAt(double latitude, double longitude) const override
    {
        const PlanePoint p = plane.toPlane({latitude, longitude});
        if (p.east > voidEast)
            return std::nullopt;
        return base + slope * p.east;
    }
};

} // namespace

// Photos planned 100 m over flat ground, laid on known ground: the camera flies 100 m over the
// take-off point, which is at the ground's `base` (400 m above sea level).
class TestSurveyDrape : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void footprintsFollowTheGround_data()
    {
        QTest::addColumn<double>("base");  // ground at the origin, m above sea level
        QTest::addColumn<double>("slope"); // m per m eastward
        QTest::newRow("flat, at the take-off point's height: as planned") << 400.0 << 0.0;
        QTest::newRow("a plateau 50 m up: half the distance, half the footprint") << 450.0 << 0.0;
        QTest::newRow("a valley 30 m down: 1.3 times") << 370.0 << 0.0;
        QTest::newRow("a 10 % slope rising east") << 400.0 << 0.1;
        QTest::newRow("a 20 % slope falling east") << 400.0 << -0.2;
    }
    void footprintsFollowTheGround()
    {
        QFETCH(double, base);
        QFETCH(double, slope);
        SurveySettings s;
        s.polygon = rectangle();
        s.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
        s.height = 100;
        SurveyFlight flight = planSurvey(s);
        QVERIFY(flight.ok());
        const QList<SurveyPhoto> flat = flight.photos;
        PlaneGround ground;
        ground.base = base;
        ground.slope = slope;
        const double camera = 500; // 100 m over the take-off point at 400 m
        QCOMPARE(drapePhotos(flight.photos, 100, ground, [](const SurveyPhoto &) { return 500.0; }), 0);
        for (qsizetype i = 0; i < flat.size(); i += 7) {
            const PlanePoint c = ground.plane.toPlane(flat[i].centre);
            const double under = base + slope * c.east;
            // GSD in proportion to the distance down to the ground under the centre.
            QVERIFY(std::abs(flight.photos[i].gsdAcross / flat[i].gsdAcross - (camera - under) / 100) < 1e-9);
            for (size_t k = 0; k < 4; ++k) {
                // A corner's ray, planned to reach flat ground 100 m down at offset o, meets the
                // plane at scale t where camera − (base + slope × (c + o × t)) = 100 × t:
                // t = (camera − base − slope × c) / (100 + slope × o). Two steps of the
                // fixed point leave about (slope × o / 100)³ of it: 0.34 % at 20 % and 75 m.
                const PlanePoint o0 = ground.plane.toPlane(flat[i].footprint[k]);
                const double oe = o0.east - c.east, on = o0.north - c.north;
                const double t = (camera - base - slope * c.east) / (100 + slope * oe);
                const PlanePoint got = ground.plane.toPlane(flight.photos[i].footprint[k]);
                QVERIFY2(std::hypot(got.east - (c.east + oe * t), got.north - (c.north + on * t))
                             < 0.005 * std::hypot(oe, on) * t,
                         qPrintable(QStringLiteral("photo %1 corner %2").arg(i).arg(k)));
            }
        }
    }

    // Unknown ground, an unknown camera height, or a camera under the ground: the photo's GSD is
    // unknown (NaN, drawn as such), never read against sea level.
    void unknownStaysUnknown()
    {
        SurveySettings s;
        s.polygon = rectangle();
        s.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
        s.height = 100;
        SurveyFlight flight = planSurvey(s);
        PlaneGround ground;
        ground.voidEast = 0; // the eastern half is a void
        QList<SurveyPhoto> photos = flight.photos;
        const int unknown = drapePhotos(photos, 100, ground, [](const SurveyPhoto &) { return 500.0; });
        QVERIFY(unknown > 0 && unknown < photos.size());
        for (const SurveyPhoto &p : photos) {
            const PlanePoint c = ground.plane.toPlane(p.centre);
            if (c.east > 0)
                QVERIFY(std::isnan(p.gsdAcross) && std::isnan(p.gsdAlong));
        }
        photos = flight.photos;
        QCOMPARE(drapePhotos(photos, 100, PlaneGround{}, [](const SurveyPhoto &) { return std::nullopt; }),
                 int(photos.size()));
        photos = flight.photos;
        QCOMPARE(drapePhotos(photos, 100, PlaneGround{}, [](const SurveyPhoto &) { return 390.0; }),
                 int(photos.size()));
    }
};

QTEST_GUILESS_MAIN(TestSurveyDrape)
#include "tst_surveydrape.moc"
