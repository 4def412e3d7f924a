#include "CameraProfileStore.h"
#include "LocalPlane.h"
#include "SurveySettings.h"

#include <geodesic.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;
using namespace zeltrin::survey;

Q_DECLARE_METATYPE(zeltrin::survey::CameraProfile)
Q_DECLARE_METATYPE(zeltrin::survey::SurveySettings)
Q_DECLARE_METATYPE(zeltrin::Coordinate)

class TestSurveySettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gsdAndHeightRoundTrip_data();
    void gsdAndHeightRoundTrip();
    void specProblems_data();
    void specProblems();
    void planeKeepsDistances_data();
    void planeKeepsDistances();
    void customCamerasPersist();
    void storeRefusesAndSetsAside_data();
    void storeRefusesAndSetsAside();
};

// Height → GSD across → height, for each built-in camera over the planner's heights; the GSD
// along uses the sensor's height and the image's: 1/2.3-inch at 100 m is 6.17 × 100 / (4.5 ×
// 4000) = 3.4278 cm across, 4.55 × 100 / (4.5 × 3000) = 3.3704 cm along.
void TestSurveySettings::gsdAndHeightRoundTrip_data()
{
    QTest::addColumn<CameraProfile>("camera");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("along");
    for (const CameraProfile &c : builtInCameraProfiles())
        for (double h : {5.0, 37.5, 120.0})
            QTest::addRow("%s at %g m", qPrintable(c.name), h)
                << c << h << c.sensorWidth * h / (c.focalLength * c.imageWidth) * 100
                << c.sensorHeight * h / (c.focalLength * c.imageHeight) * 100;
    const CameraProfile small = *builtInCameraProfile(QStringLiteral("1/2.3-inch 12 MP"));
    QTest::newRow("1/2.3-inch by hand") << small << 100.0 << 3.4277777778 << 3.3703703704;
}

void TestSurveySettings::gsdAndHeightRoundTrip()
{
    QFETCH(CameraProfile, camera);
    QFETCH(double, height);
    QFETCH(double, across);
    QFETCH(double, along);
    QCOMPARE_LE(std::abs(gsdAcrossAt(camera, height) - across), 1e-6);
    QCOMPARE_LE(std::abs(gsdAlongAt(camera, height) - along), 1e-6);
    QCOMPARE_LE(std::abs(heightForGsd(camera, gsdAcrossAt(camera, height)) - height), 1e-9);
    SurveySettings s;
    s.polygon = {{47, 8}, {47, 8.001}, {47.001, 8.001}};
    s.camera = camera;
    s.given = SurveySettings::Given::GroundSampleDistance;
    s.groundSampleDistance = across;
    const auto g = imageGeometry(s);
    QVERIFY(g);
    QCOMPARE_LE(std::abs(g->height - height), 1e-6);
    QCOMPARE_LE(std::abs(g->gsdAlong - along), 1e-6);
}

void TestSurveySettings::specProblems_data()
{
    QTest::addColumn<SurveySettings>("spec");
    QTest::addColumn<QString>("problem");
    SurveySettings ok;
    ok.polygon = {{47, 8}, {47, 8.001}, {47.001, 8.001}};
    ok.camera = builtInCameraProfiles().front();
    QTest::newRow("fine") << ok << QString();
    auto with = [&](auto change) {
        SurveySettings s = ok;
        change(s);
        return s;
    };
    QTest::newRow("two corners") << with([](SurveySettings &s) { s.polygon.removeLast(); })
                                 << "The area needs at least 3 corners.";
    QTest::newRow("NaN corner") << with([](SurveySettings &s) { s.polygon[1].latitude = qQNaN(); })
                                << "A corner of the area is not a position on the map.";
    QTest::newRow("no camera name") << with([](SurveySettings &s) { s.camera.name = QStringLiteral("  "); })
                                    << "The camera needs a name.";
    QTest::newRow("zero focal length") << with([](SurveySettings &s) { s.camera.focalLength = 0; })
                                       << "The focal length must be between 1 and 600 mm.";
    QTest::newRow("infinite sensor") << with([](SurveySettings &s) { s.camera.sensorHeight = qInf(); })
                                     << "The sensor's width and height must be between 1 and 100 mm.";
    QTest::newRow("tiny image") << with([](SurveySettings &s) { s.camera.imageHeight = 99; })
                                << "The image's width and height must be between 100 and 100000 pixels.";
    QTest::newRow("height 120.5") << with([](SurveySettings &s) { s.height = 120.5; })
                                  << "The height must be between 5 and 120 m.";
    QTest::newRow("height 5 is fine") << with([](SurveySettings &s) { s.height = 5; }) << QString();
    QTest::newRow("GSD of 0") << with([](SurveySettings &s) {
        s.given = SurveySettings::Given::GroundSampleDistance;
        s.groundSampleDistance = 0;
    }) << "The ground sample distance must be a positive number.";
    // 1-inch: 5 cm/px needs 0.05 × 8.8 × 5472 / 13.2 = 182.4 m.
    QTest::newRow("GSD too coarse") << with([](SurveySettings &s) {
        s.given = SurveySettings::Given::GroundSampleDistance;
        s.groundSampleDistance = 5;
    }) << "This ground sample distance needs a height of 182 m; the aircraft flies between 5 and 120 m.";
    QTest::newRow("front overlap 91") << with([](SurveySettings &s) { s.frontOverlap = 91; })
                                      << "The overlaps must be between 50 and 90 %.";
    QTest::newRow("side overlap 49.9") << with([](SurveySettings &s) { s.sideOverlap = 49.9; })
                                       << "The overlaps must be between 50 and 90 %.";
    QTest::newRow("NaN angle") << with([](SurveySettings &s) { s.gridAngle = qQNaN(); })
                               << "The grid angle must be a number.";
    QTest::newRow("negative turnaround") << with([](SurveySettings &s) { s.turnaround = -1; })
                                         << "The turnaround distance must be between 0 and 200 m.";
}

void TestSurveySettings::specProblems()
{
    QFETCH(SurveySettings, spec);
    QTEST(specProblem(spec), "problem");
    QCOMPARE(imageGeometry(spec).has_value(), specProblem(spec).isEmpty());
}

// Distances on the plane against the geodesic on the WGS 84 ellipsoid (GeographicLib's, in PROJ):
// within the plane's scale error (1.2 ppm at 10 km from the origin), across the antimeridian and
// at 70° north too; and points go there and back to a micrometre.
void TestSurveySettings::planeKeepsDistances_data()
{
    QTest::addColumn<Coordinate>("origin");
    QTest::addColumn<Coordinate>("a");
    QTest::addColumn<Coordinate>("b");
    QTest::newRow("5 km north-east") << Coordinate{47.3977, 8.5456} << Coordinate{47.3977, 8.5456}
                                     << Coordinate{47.43, 8.59};
    QTest::newRow("10 km east of the origin")
        << Coordinate{-33.87, 151.2} << Coordinate{-33.87, 151.3} << Coordinate{-33.9, 151.32};
    QTest::newRow("across the antimeridian")
        << Coordinate{-16.7, 179.99} << Coordinate{-16.72, 179.95} << Coordinate{-16.68, -179.96};
    QTest::newRow("70° north") << Coordinate{70.0, 25.0} << Coordinate{70.02, 24.9} << Coordinate{69.98, 25.12};
}

void TestSurveySettings::planeKeepsDistances()
{
    QFETCH(Coordinate, origin);
    QFETCH(Coordinate, a);
    QFETCH(Coordinate, b);
    const LocalPlane plane(origin);
    QVERIFY2(plane.isValid(), qPrintable(plane.error()));
    const PlanePoint pa = plane.toPlane(a), pb = plane.toPlane(b);
    geod_geodesic g;
    geod_init(&g, 6378137.0, 1 / 298.257223563);
    double geodesic = 0;
    geod_inverse(&g, a.latitude, a.longitude, b.latitude, b.longitude, &geodesic, nullptr, nullptr);
    // The scale grows as x²/2R² away from the origin's meridian: no more than at the further point.
    const double x = std::max(std::abs(pa.east), std::abs(pb.east)), bound = x * x / (2 * 6371000.0 * 6371000.0);
    QCOMPARE_LE(std::abs(std::hypot(pb.east - pa.east, pb.north - pa.north) / geodesic - 1), bound + 1e-9);
    const Coordinate back = plane.toGeo(pb);
    QCOMPARE_LE(std::abs(back.latitude - b.latitude), 1e-11);
    QCOMPARE_LE(std::abs(std::remainder(back.longitude - b.longitude, 360.0)), 1e-11);
}

void TestSurveySettings::customCamerasPersist()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    const CameraProfile mine{QStringLiteral("Wing camera"), 23.5, 15.6, 16, 6000, 4000};
    {
        CameraProfileStore store(std::make_unique<QSettings>(path, QSettings::IniFormat));
        QCOMPARE(store.save(mine), QString());
        QCOMPARE(store.save({QStringLiteral("Spare"), 6.4, 4.8, 4.7, 8000, 6000}), QString());
        CameraProfile wider = mine;
        wider.focalLength = 24;
        QCOMPARE(store.save(wider), QString()); // replaces the one of that name
    }
    CameraProfileStore again(std::make_unique<QSettings>(path, QSettings::IniFormat));
    const QList<CameraProfile> all = again.allProfiles();
    QCOMPARE(all.size(), builtInCameraProfiles().size() + 2);
    QCOMPARE(all.mid(0, builtInCameraProfiles().size()), builtInCameraProfiles());
    QCOMPARE(again.profile(QStringLiteral("Wing camera"))->focalLength, 24.0);
    QVERIFY(again.remove(QStringLiteral("Spare")));
    QVERIFY(!again.remove(QStringLiteral("Spare")));
    QVERIFY(!again.remove(QStringLiteral("1-inch 20 MP"))); // built in
    QCOMPARE(again.customProfiles().size(), 1);
}

// Hand-edited entries are skipped and kept aside (never lost) on the next write; bad profiles are
// refused with a reason.
void TestSurveySettings::storeRefusesAndSetsAside_data()
{
    QTest::addColumn<CameraProfile>("profile");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("built-in name") << CameraProfile{QStringLiteral("1-inch 20 MP"), 13.2, 8.8, 8.8, 5472, 3648}
                                   << QStringLiteral("\u201c1-inch 20 MP\u201d is the name of a built-in camera.");
    QTest::newRow("negative sensor") << CameraProfile{QStringLiteral("X"), -13.2, 8.8, 8.8, 5472, 3648}
                                     << QStringLiteral("The sensor's width and height must be between 1 and 100 mm.");
    QTest::newRow("name too long") << CameraProfile{QString(61, u'n'), 13.2, 8.8, 8.8, 5472, 3648}
                                   << QStringLiteral("The camera's name is longer than 60 characters.");
}

void TestSurveySettings::storeRefusesAndSetsAside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        QSettings raw(path, QSettings::IniFormat);
        raw.beginWriteArray(QStringLiteral("cameraProfiles"));
        raw.setArrayIndex(0);
        raw.setValue(QStringLiteral("name"), QStringLiteral("Edited"));
        raw.setValue(QStringLiteral("sensorWidth"), QStringLiteral("wide"));
        raw.setArrayIndex(1);
        for (const auto &[k, v] : std::initializer_list<std::pair<const char *, QVariant>>{{"name", "Good"},
                                                                                           {"sensorWidth", 6.4},
                                                                                           {"sensorHeight", 4.8},
                                                                                           {"focalLength", 4.7},
                                                                                           {"imageWidth", 8000},
                                                                                           {"imageHeight", 6000}})
            raw.setValue(QString::fromUtf8(k), v);
        raw.endArray();
    }
    CameraProfileStore store(std::make_unique<QSettings>(path, QSettings::IniFormat));
    QCOMPARE(store.customProfiles().size(), 1);
    QCOMPARE(store.customProfiles().front().name, QStringLiteral("Good"));
    QFETCH(CameraProfile, profile);
    QTEST(store.save(profile), "refusal");
    QCOMPARE(store.save({QStringLiteral("New"), 6.4, 4.8, 4.7, 8000, 6000}), QString());
    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.beginReadArray(QStringLiteral("cameraProfilesSetAside")), 1);
    raw.setArrayIndex(0);
    QCOMPARE(raw.value(QStringLiteral("sensorWidth")).toString(), QStringLiteral("wide"));
    raw.endArray();
    QCOMPARE(store.customProfiles().size(), 2);
}

QTEST_GUILESS_MAIN(TestSurveySettings)
#include "tst_surveysettings.moc"
