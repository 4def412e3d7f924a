#include "TileMapItem.h"
#include "TrackLine.h"

#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace zeltrin;

namespace {

constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180.0;

Coordinate offset(Coordinate origin, double north, double east)
{
    return {origin.latitude + north / kMetresPerDegree,
            origin.longitude + east / (kMetresPerDegree * std::cos(origin.latitude * std::numbers::pi / 180.0))};
}

// Metres from `p` to the nearest leg of `line`.
double distanceToLine(Coordinate p, const std::vector<Coordinate> &line)
{
    const double c = std::cos(p.latitude * std::numbers::pi / 180.0);
    auto local = [&](Coordinate q) {
        return QPointF((q.longitude - p.longitude) * kMetresPerDegree * c, (q.latitude - p.latitude) * kMetresPerDegree);
    };
    double best = 1e18;
    for (size_t i = 1; i < line.size(); ++i) {
        const QPointF a = local(line[i - 1]), b = local(line[i]), ab = b - a;
        const double len2 = QPointF::dotProduct(ab, ab);
        const double t = len2 > 0 ? std::clamp(-QPointF::dotProduct(a, ab) / len2, 0.0, 1.0) : 0.0;
        const QPointF d = a + ab * t;
        best = std::min(best, std::hypot(d.x(), d.y()));
    }
    return best;
}

MapRegion region(double lat, double lon, double span)
{
    MapRegion r;
    r.centerLatitude = lat;
    r.centerLongitude = lon;
    r.latitudeSpan = span;
    r.longitudeSpan = span;
    return r;
}

// A map with no imagery filling a phone-sized window, centred on (43, -84).
struct BareMap {
    QQuickView window;
    TileMapItem *map = nullptr;
    explicit BareMap(double span)
    {
        window.resize(390, 844);
        map = new TileMapItem(window.contentItem());
        map->setImageryUrlTemplate({});
        map->setLabelsUrlTemplate({});
        map->setSize(QSizeF(390, 844));
        map->setRegion(region(43.0, -84.0, span));
    }
};

} // namespace

// The flown track stays bounded and true to the flight, and the map draws it, the home point
// and the aircraft, rebuilding only what a new point changes.
class TestMapTrack : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsOnlyUsablePoints_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<int>("expected"); // points after the first at (43, -84)
        QTest::newRow("2 m on") << 43.0 + 2 / kMetresPerDegree << -84.0 << 2;
        QTest::newRow("half a metre on") << 43.0 + 0.5 / kMetresPerDegree << -84.0 << 1;
        QTest::newRow("the same place") << 43.0 << -84.0 << 1;
        QTest::newRow("NaN") << qQNaN() << -84.0 << 1;
        QTest::newRow("infinite") << 43.0 << qInf() << 1;
        QTest::newRow("latitude past the pole") << 91.0 << -84.0 << 1;
        QTest::newRow("longitude past the date line") << 43.0 << 181.0 << 1;
    }
    void keepsOnlyUsablePoints()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(int, expected);
        TrackLine t;
        t.append(43.0, -84.0);
        QSignalSpy spy(&t, &TrackLine::changed);
        t.append(lat, lon);
        QCOMPARE(t.count(), expected);
        QCOMPARE(spy.count(), expected - 1);
        if (expected == 2)
            QCOMPARE(spy.at(0).at(0).value<qsizetype>(), 1);
    }

    // An hour at 10 Hz, flying a survey pattern with turns: the line never holds more than its
    // capacity, ends within a metre of the last reading, and every reading lies near the line kept.
    void anHourStaysBoundedAndTrue_data()
    {
        QTest::addColumn<double>("speed"); // m/s
        QTest::addColumn<double>("legMetres");
        QTest::newRow("survey at 10 m/s, 300 m legs") << 10.0 << 300.0;
        QTest::newRow("slow orbit-like, 40 m legs") << 3.0 << 40.0;
    }
    void anHourStaysBoundedAndTrue()
    {
        QFETCH(double, speed);
        QFETCH(double, legMetres);
        TrackLine t;
        const Coordinate home{43.0, -84.0};
        std::vector<Coordinate> flown;
        qsizetype most = 0;
        double north = 0, east = 0, heading = 0, along = 0;
        for (int i = 0; i < 36000; ++i) {
            const double step = speed / 10;
            north += std::cos(heading) * step;
            east += std::sin(heading) * step;
            along += step;
            if (along >= legMetres) { // a turn of 100°, then on
                along = 0;
                heading += 100 * std::numbers::pi / 180;
            }
            const Coordinate c = offset(home, north + 2 * std::sin(i / 50.0), east);
            flown.push_back(c);
            t.append(c.latitude, c.longitude);
            most = std::max(most, t.count());
        }
        QVERIFY2(most < TrackLine::kCapacity, qPrintable(QString::number(most)));
        QVERIFY(t.count() > 100);
        QVERIFY(distanceToLine(flown.back(), {t.points().back(), t.points().back()}) < TrackLine::kMinStepMetres);
        double worst = 0;
        for (size_t i = 0; i < flown.size(); i += 7)
            worst = std::max(worst, distanceToLine(flown[i], t.points()));
        // Within the last tolerance used, plus the metre the step filter may drop.
        QVERIFY2(worst <= t.toleranceMetres() + TrackLine::kMinStepMetres + 0.01,
                 qPrintable(QStringLiteral("%1 m off, tolerance %2 m").arg(worst).arg(t.toleranceMetres())));
        QVERIFY2(t.toleranceMetres() <= 16, qPrintable(QString::number(t.toleranceMetres())));
    }

    // A new point rebuilds only the last run of the track; a zoom rebuilds them all.
    void newPointsRebuildOnlyTheLastRun()
    {
        BareMap bare(0.05);
        QQuickView &window = bare.window;
        TileMapItem *map = bare.map;
        TrackLine track;
        for (int i = 0; i < 1000; ++i) // 4 runs of 256 legs
            track.append(43.0 + 0.00002 * i, -84.0 + 0.00001 * i);
        map->setTrack(&track);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        (void)window.grabWindow();
        QCOMPARE(map->lastRebuiltTrackRuns(), 4);
        track.append(43.021, -83.99);
        (void)window.grabWindow();
        QCOMPARE(map->lastRebuiltTrackRuns(), 1);
        map->zoomBy(1.25, QPointF(195, 422));
        (void)window.grabWindow();
        QCOMPARE(map->lastRebuiltTrackRuns(), 4);
        track.clear();
        (void)window.grabWindow();
        QCOMPARE(map->lastRebuiltTrackRuns(), 0);
    }

    // The aircraft and the home point show where they are, on either renderer, and go when hidden.
    void aircraftAndHomeAreDrawnWhereTheyAre_data()
    {
        QTest::addColumn<bool>("aircraft");
        QTest::newRow("aircraft") << true;
        QTest::newRow("home") << false;
    }
    void aircraftAndHomeAreDrawnWhereTheyAre()
    {
        QFETCH(bool, aircraft);
        BareMap bare(0.05);
        QQuickView &window = bare.window;
        TileMapItem *map = bare.map;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const double lat = 43.01, lon = -83.99;
        if (aircraft) {
            map->setAircraftLatitude(lat);
            map->setAircraftLongitude(lon);
            map->setAircraftHeading(90);
            map->setShowsAircraft(true);
        } else {
            map->setHomeLatitude(lat);
            map->setHomeLongitude(lon);
            map->setShowsHome(true);
        }
        const QPoint at = map->coordinateToPoint(lat, lon).toPoint();
        auto brightAround = [&](const QImage &img) {
            int bright = 0;
            const qreal dpr = img.devicePixelRatio();
            for (int dy = -8; dy <= 8; ++dy)
                for (int dx = -8; dx <= 8; ++dx) {
                    const QColor c = img.pixelColor(int((at.x() + dx) * dpr), int((at.y() + dy) * dpr));
                    bright += c.lightness() > 200 ? 1 : 0;
                }
            return bright;
        };
        QVERIFY2(brightAround(window.grabWindow()) > 10, "nothing white drawn at the position");
        if (aircraft)
            map->setShowsAircraft(false);
        else
            map->setShowsHome(false);
        QCOMPARE(brightAround(window.grabWindow()), 0);
    }

    // A reading that moves the aircraft by less than a device pixel, or turns it by less than a
    // degree, draws no frame; one that shows does. A new track point where the aircraft is draws
    // none of its own: the aircraft's marker covers it.
    void framesOnlyForMovesThatShow_data()
    {
        QTest::addColumn<double>("stepPixels"); // east, per reading
        QTest::addColumn<double>("stepDegrees");
        QTest::addColumn<bool>("aircraftShown");
        QTest::addColumn<bool>("tracked");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("minFrames");
        QTest::addColumn<int>("maxFrames");
        QTest::addColumn<bool>("zoomFirst"); // the map zooms, and its frame is rebuilt, before the readings
        QTest::newRow("a tenth of a pixel") << 0.1 << 0.0 << true << false << 9 << 0 << 1 << false;
        QTest::newRow("a pixel and a half") << 1.5 << 0.0 << true << false << 4 << 4 << 4 << false;
        QTest::newRow("a fifth of a degree") << 0.0 << 0.2 << true << false << 4 << 0 << 1 << false;
        QTest::newRow("ten degrees") << 0.0 << 10.0 << true << false << 3 << 3 << 3 << false;
        QTest::newRow("track under the aircraft") << 0.1 << 0.0 << true << true << 9 << 0 << 1 << false;
        QTest::newRow("track with no aircraft shown") << 0.1 << 0.0 << false << true << 4 << 4 << 4 << false;
        // Compared with what the last frame drew, not with what the reading before the zoom asked.
        QTest::newRow("no visible move after a zoom") << 0.0001 << 0.0 << true << false << 3 << 0 << 0 << true;
        QTest::newRow("a pixel and a half after a zoom") << 1.5 << 0.0 << true << false << 3 << 3 << 3 << true;
    }
    void framesOnlyForMovesThatShow()
    {
        QFETCH(double, stepPixels);
        QFETCH(double, stepDegrees);
        QFETCH(bool, aircraftShown);
        QFETCH(bool, tracked);
        QFETCH(int, steps);
        QFETCH(int, minFrames);
        QFETCH(int, maxFrames);
        QFETCH(bool, zoomFirst);
        BareMap bare(0.002); // about half a metre a pixel
        QQuickView &window = bare.window;
        TileMapItem *map = bare.map;
        TrackLine track;
        map->setTrack(&track);
        Coordinate at{43.0, -84.0};
        map->setAircraftLatitude(at.latitude);
        map->setAircraftLongitude(at.longitude);
        map->setShowsAircraft(aircraftShown);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy swaps(&window, &QQuickWindow::frameSwapped);
        const auto settle = [&swaps] { // no frame for a while
            for (int i = 0; i < 50 && swaps.wait(200); ++i) {
            }
        };
        settle();
        if (zoomFirst) {
            map->zoomBy(1.5, QPointF(20, 20));
            settle();
        }
        const double pxPerDegree = map->coordinateToPoint(at.latitude, at.longitude + 0.001).x() / 0.001
            - map->coordinateToPoint(at.latitude, at.longitude).x() / 0.001;
        // Track points are kept a metre apart: lay them 2 m apart so each one counts.
        const double trackStep = 2.0 / (kMetresPerDegree * std::cos(at.latitude * std::numbers::pi / 180.0));
        double heading = 0;
        int frames = 0;
        for (int i = 0; i < steps; ++i) {
            at.longitude += stepPixels / pxPerDegree / window.effectiveDevicePixelRatio();
            heading += stepDegrees;
            map->setAircraftLongitude(at.longitude);
            map->setAircraftHeading(heading);
            if (tracked)
                track.append(at.latitude, -84.0 + trackStep * i);
            swaps.clear();
            frames += swaps.wait(150) ? 1 : 0;
        }
        QVERIFY2(frames >= minFrames && frames <= maxFrames,
                 qPrintable(QStringLiteral("%1 frames for %2 readings").arg(frames).arg(steps)));
    }
};

QTEST_MAIN(TestMapTrack)
#include "tst_maptrack.moc"
