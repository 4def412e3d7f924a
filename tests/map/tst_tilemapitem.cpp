#include "CoordinateListModel.h"
#include "Palette.h"
#include "TileMapItem.h"
#include "TileServer.h"
#include "WebMercator.h"

#include <QDirIterator>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;

namespace {
MapRegion region(double lat, double lon, double span)
{
    MapRegion r;
    r.centerLatitude = lat;
    r.centerLongitude = lon;
    r.latitudeSpan = span;
    r.longitudeSpan = span;
    return r;
}

struct MapWindow {
    QQuickWindow window;
    TileMapItem *map = nullptr;
    explicit MapWindow(const QString &imagery = {}, const QString &labels = {}, const QString &cache = {})
    {
        window.resize(390, 844);
        map = new TileMapItem(window.contentItem());
        map->setImageryUrlTemplate(imagery);
        map->setLabelsUrlTemplate(labels);
        map->setCacheDirectory(cache);
        map->setSize(QSizeF(390, 844));
        map->setRegion(region(43.0, -84.0, 0.05));
        window.show();
    }
};

bool near(QColor a, QColor b, int tol = 40)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol
        && std::abs(a.blue() - b.blue()) <= tol;
}
} // namespace

class TestTileMapItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mercatorRoundTrip_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::newRow("home") << 43.0 << -84.0;
        QTest::newRow("origin") << 0.0 << 0.0;
        QTest::newRow("south east") << -33.9 << 151.2;
        QTest::newRow("near limit") << 85.0 << 179.9;
    }
    void mercatorRoundTrip()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QVERIFY(std::abs(mercator::latitude(mercator::worldY(lat)) - lat) < 1e-9);
        QVERIFY(std::abs(mercator::longitude(mercator::worldX(lon)) - lon) < 1e-9);
    }

    void urlTemplate()
    {
        QCOMPARE(TileLoader::expand("https://t/{z}/{y}/{x}", {0, 5, 7, 9}), QStringLiteral("https://t/5/9/7"));
        QVERIFY(TileMapItem::defaultImageryUrlTemplate().startsWith("https://"));
        QVERIFY(!TileMapItem::defaultAttribution().isEmpty());
    }

    void regionFitsAndMovesBothWays()
    {
        MapWindow w;
        const MapRegion r = w.map->region();
        QCOMPARE(r.centerLatitude, 43.0);
        QSignalSpy moved(w.map, &TileMapItem::regionMoved);
        // Setting the region from outside is not a gesture.
        w.map->setRegion(region(43.0, -84.0, 0.05));
        QCOMPARE(moved.count(), 0);
        // The whole 0.05° square is visible.
        const QPointF a = w.map->coordinateToPoint(43.025, -84.025);
        const QPointF b = w.map->coordinateToPoint(42.975, -83.975);
        QVERIFY(a.x() >= -0.5 && b.x() <= 390.5 && a.y() >= -0.5 && b.y() <= 844.5);
        w.map->panBy(100, 0);
        QCOMPARE(moved.count(), 1);
        QVERIFY(w.map->region().centerLongitude < -84.0);
        const double span = w.map->region().longitudeSpan;
        w.map->zoomBy(2.0, QPointF(195, 422));
        QVERIFY(std::abs(w.map->region().longitudeSpan - span / 2) < 1e-9);
        w.map->rotateBy(30);
        QCOMPARE(w.map->bearing(), 30.0);
    }

    void invalidRegionIgnored()
    {
        MapWindow w;
        w.map->setRegion(region(qQNaN(), 0, 1));
        QCOMPARE(w.map->region().centerLatitude, 43.0);
        w.map->setRegion(region(10, 10, 0));
        QCOMPARE(w.map->region().centerLatitude, 43.0);
    }

    void graticuleWithoutTiles()
    {
        MapWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QImage img = w.window.grabWindow();
        QSet<QRgb> colours;
        for (int x = 0; x < img.width(); x += 3)
            colours.insert(img.pixel(x, 400));
        // Dark background and lighter grid lines.
        QVERIFY(colours.size() >= 2);
        QVERIFY(qGray(img.pixel(1, 1)) < 60);
    }

    void tilesLoadWithBoundedRequests()
    {
        TileServer server;
        QVERIFY(server.listen());
        QTemporaryDir cache;
        MapWindow w(server.urlTemplate("img"), server.urlTemplate("lbl"), cache.path());
        w.map->setMaxConcurrentRequests(2);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const int want = w.map->visibleTileCount() * 2;
        QVERIFY(want > 2);
        QTRY_COMPARE_WITH_TIMEOUT(w.map->loadedTileCount(), want, 10000);
        QVERIFY(server.peakOpen() <= 2);
        QVERIFY(w.map->loader().peakInFlight() <= 2);
        bool sawLabels = false;
        for (const auto &p : server.paths)
            sawLabels = sawLabels || p.startsWith("/lbl/");
        QVERIFY(sawLabels);
        // Imagery is drawn: the screen centre is no longer the graticule's colour.
        const QImage img = w.window.grabWindow();
        QVERIFY(!near(img.pixelColor(100, 300), QColor(0x14, 0x18, 0x1F), 10));

        QDirIterator files(cache.path(), QDir::Files, QDirIterator::Subdirectories);
        int cached = 0;
        while (files.hasNext()) {
            files.next();
            ++cached;
        }
        QVERIFY2(cached >= want, qPrintable(QString::number(cached)));
        // A fresh map over the same cache draws with the server gone.
        const QString imagery = server.urlTemplate("img"), labels = server.urlTemplate("lbl");
        server.close();
        const int before = server.requests();
        MapWindow offline(imagery, labels, cache.path());
        QTRY_COMPARE_WITH_TIMEOUT(offline.map->loadedTileCount(), want, 10000);
        QCOMPARE(server.requests(), before);
    }

    void tilesLeavingTheScreenAreCancelled()
    {
        TileServer server;
        QVERIFY(server.listen());
        server.hold = true;
        MapWindow w(server.urlTemplate("img"), QString());
        w.map->setMaxConcurrentRequests(3);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTRY_COMPARE_WITH_TIMEOUT(server.openCount(), 3, 5000);
        QVERIFY(w.map->loader().queued() > 0);
        // Jump to the other side of the world: everything pending is dropped.
        w.map->setRegion(region(-40, 100, 0.05));
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QVERIFY(w.map->loader().cancelledCount() >= 3);
        QTRY_VERIFY_WITH_TIMEOUT(server.abortedByClient() >= 3, 5000);
        QVERIFY(w.map->loader().inFlight() <= 3);
        server.hold = false;
        server.releaseAll();
    }

    void markersAndTaps()
    {
        MapWindow w;
        CoordinateListModel markers;
        markers.setCoordinates({{43.0, -84.0}, {43.003, -83.997}, {43.006, -83.994}});
        w.map->setMarkers(&markers);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QPointF p0 = w.map->coordinateToPoint(43.0, -84.0);
        const QPointF p2 = w.map->coordinateToPoint(43.006, -83.994);
        QCOMPARE(w.map->markerAt(p2), 2);
        QCOMPARE(w.map->markerAt(p2 + QPointF(13, 0)), 2);
        QCOMPARE(w.map->markerAt(p2 + QPointF(40, 40)), -1);
        QCOMPARE(w.map->markerTitle(0), QStringLiteral("WP1"));

        QImage img = w.window.grabWindow();
        // Unselected marker: gold at 90 % over the dark map, just off its number.
        QVERIFY(near(img.pixelColor((p0 + QPointF(10, 0)).toPoint()), palette().themeGold, 30));
        markers.setMarked(2);
        QTest::qWait(450); // past the selection animation
        img = w.window.grabWindow();
        // Selected: diameter 34 with a white ring at radius 17.
        QVERIFY(near(img.pixelColor((p2 + QPointF(13, 0)).toPoint()), palette().themeGold, 20));
        int ringGray = 0;
        for (int dx = 15; dx <= 19; ++dx)
            ringGray = std::max(ringGray, qGray(img.pixel(qRound(p2.x()) + dx, qRound(p2.y()))));
        QVERIFY2(ringGray > 200, qPrintable(QString::number(ringGray)));

        QSignalSpy marker(w.map, &TileMapItem::markerTapped);
        QSignalSpy map(w.map, &TileMapItem::mapTapped);
        QTest::mouseClick(&w.window, Qt::LeftButton, {}, p0.toPoint());
        QCOMPARE(marker.count(), 1);
        QCOMPARE(marker.at(0).at(0).toInt(), 0);
        QTest::qWait(400);
        QCOMPARE(map.count(), 0);

        QTest::mouseClick(&w.window, Qt::LeftButton, {}, QPoint(50, 700));
        QTRY_COMPARE_WITH_TIMEOUT(map.count(), 1, 2000);

        // A double tap zooms and adds nothing.
        const double span = w.map->region().longitudeSpan;
        QTest::mouseClick(&w.window, Qt::LeftButton, {}, QPoint(60, 700));
        QTest::qWait(60);
        QTest::mouseClick(&w.window, Qt::LeftButton, {}, QPoint(62, 702));
        QTest::qWait(400);
        QCOMPARE(map.count(), 1);
        QVERIFY(w.map->region().longitudeSpan < span * 0.6);
    }

    void accessibleMarkersFollowTheScreen()
    {
        MapWindow w;
        CoordinateListModel markers;
        // Two on screen, one far away.
        markers.setCoordinates({{43.0, -84.0}, {43.003, -83.997}, {10.0, 10.0}});
        w.map->setMarkers(&markers);
        w.map->setExposesMarkers(true);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTRY_COMPARE(w.map->accessibleMarkers(), (QList<int>{0, 1}));
        QCOMPARE(w.map->markerTitle(1), QStringLiteral("WP2"));
        markers.append({43.001, -84.001});
        QTRY_COMPARE(w.map->accessibleMarkers(), (QList<int>{0, 1, 3}));
    }

    void dragPans()
    {
        MapWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QSignalSpy moved(w.map, &TileMapItem::regionMoved);
        QSignalSpy map(w.map, &TileMapItem::mapTapped);
        const double lon = w.map->region().centerLongitude;
        QTest::mousePress(&w.window, Qt::LeftButton, {}, QPoint(200, 400));
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(&w.window, QPoint(200 + i * 10, 400), 5);
        QTest::mouseRelease(&w.window, Qt::LeftButton, {}, QPoint(300, 400));
        QVERIFY(moved.count() > 0);
        QVERIFY(w.map->region().centerLongitude < lon);
        QTest::qWait(350);
        QCOMPARE(map.count(), 0);
    }

    void pathIsDashedGold()
    {
        MapWindow w;
        CoordinateListModel markers;
        markers.setCoordinates({{42.99, -84.02}, {42.99, -83.98}});
        w.map->setMarkers(&markers);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QImage img = w.window.grabWindow();
        const QPointF a = w.map->coordinateToPoint(42.99, -84.02);
        const QPointF b = w.map->coordinateToPoint(42.99, -83.98);
        int gold = 0, dark = 0;
        for (int x = int(a.x()) + 30; x < int(b.x()) - 30; ++x) {
            int red = 0;
            for (int dy = -2; dy <= 2; ++dy)
                red = std::max(red, img.pixelColor(x, qRound(a.y()) + dy).red());
            if (red > 110)
                ++gold;
            else
                ++dark;
        }
        // Dashed 5 on, 5 off: about half of the line is gold.
        QVERIFY2(gold > 10 && dark > 10, qPrintable(QString("%1 %2").arg(gold).arg(dark)));
    }
};

QTEST_MAIN(TestTileMapItem)
#include "tst_tilemapitem.moc"
