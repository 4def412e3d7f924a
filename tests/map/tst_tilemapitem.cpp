#include "CoordinateListModel.h"
#include "Palette.h"
#include "TileMapItem.h"
#include "TileServer.h"
#include "WebMercator.h"

#include <QDirIterator>
#include <QPointingDevice>
#include <QQuickView>
#include <QQuickWindow>
#include <QScopeGuard>
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
    QQuickView window;
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

QPointingDevice *touchscreen()
{
    static QPointingDevice *dev = QTest::createTouchDevice();
    return dev;
}

void fingerTap(QWindow *w, QPoint p)
{
    QTest::touchEvent(w, touchscreen()).press(0, p);
    QTest::touchEvent(w, touchscreen()).release(0, p);
}

// A map with a few markers whose taps add waypoints the way the flight plan screen does.
struct PlanWindow : MapWindow {
    CoordinateListModel markers;
    QSignalSpy mapTaps{map, &TileMapItem::mapTapped};
    QSignalSpy markerTaps{map, &TileMapItem::markerTapped};
    QSignalSpy doubleTaps{map, &TileMapItem::mapDoubleTapped};
    QSignalSpy moved{map, &TileMapItem::regionMoved};
    explicit PlanWindow(QList<Coordinate> initial = {})
    {
        markers.setCoordinates(std::move(initial));
        map->setMarkers(&markers);
        QObject::connect(map, &TileMapItem::mapTapped, &markers, [this](double, double) {
            const double n = markers.count();
            markers.append({43.0 + 0.003 * n, -84.0 + 0.003 * n});
        });
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
        QVERIFY(TileMapItem::builtInImageryUrlTemplate().startsWith("https://"));
        QVERIFY(!TileMapItem::builtInAttribution().isEmpty());
    }

    // The environment picks a new map's sources: unset, the built-in ones; empty, none. The
    // built-in attribution shows only with the built-in imagery.
    void sourcesFromTheEnvironment_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("attribution"); // ZELTRIN_TILE_ATTRIBUTION; null: unset
        QTest::addColumn<bool>("builtIn");
        QTest::addColumn<QString>("shown"); // null: the built-in attribution
        QTest::newRow("unset: built in") << false << QString() << QString() << true << QString();
        QTest::newRow("unset: built in, its own attribution kept")
            << false << QString() << QStringLiteral("Other") << true << QString();
        QTest::newRow("empty: none, and no attribution") << true << QString() << QString() << false << QStringLiteral("");
        QTest::newRow("a local server: no attribution")
            << true << QStringLiteral("http://127.0.0.1:8080/{z}/{x}/{y}.png") << QString() << false << QStringLiteral("");
        QTest::newRow("a local server with its attribution")
            << true << QStringLiteral("http://127.0.0.1:8080/{z}/{x}/{y}.png") << QStringLiteral("Local tiles") << false
            << QStringLiteral("Local tiles");
    }
    void sourcesFromTheEnvironment()
    {
        QFETCH(bool, set);
        QFETCH(QString, value);
        QFETCH(QString, attribution);
        QFETCH(bool, builtIn);
        QFETCH(QString, shown);
        const QByteArrayList names{"ZELTRIN_TILE_IMAGERY_URL", "ZELTRIN_TILE_LABELS_URL", "ZELTRIN_TILE_ATTRIBUTION"};
        QHash<QByteArray, QByteArray> saved;
        for (const QByteArray &n : names) {
            if (qEnvironmentVariableIsSet(n.constData()))
                saved.insert(n, qgetenv(n.constData()));
            if (n == "ZELTRIN_TILE_ATTRIBUTION") {
                if (attribution.isNull())
                    qunsetenv(n.constData());
                else
                    qputenv(n.constData(), attribution.toUtf8());
            } else if (set) {
                qputenv(n.constData(), value.toUtf8());
            } else {
                qunsetenv(n.constData());
            }
        }
        const auto restore = qScopeGuard([&] {
            for (const QByteArray &n : names) {
                qunsetenv(n.constData());
                if (saved.contains(n))
                    qputenv(n.constData(), saved.value(n));
            }
        });
        QCOMPARE(TileMapItem::defaultImageryUrlTemplate(), builtIn ? TileMapItem::builtInImageryUrlTemplate() : value);
        QCOMPARE(TileMapItem::defaultLabelsUrlTemplate(), builtIn ? TileMapItem::builtInLabelsUrlTemplate() : value);
        TileMapItem map;
        QCOMPARE(map.imageryUrlTemplate(), builtIn ? TileMapItem::builtInImageryUrlTemplate() : value);
        QCOMPARE(map.attribution(), shown.isNull() ? TileMapItem::builtInAttribution() : shown);
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
        for (int x = 0; x < img.width(); ++x)
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

    // An edit rebuilds only the runs of markers it touched; a small pan rebuilds none.
    void editsRebuildOnlyTheirRuns_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("atMost");
        QTest::addColumn<int>("atLeast");
        QTest::newRow("pan a little") << "pan" << 0 << 0;
        QTest::newRow("append") << "append" << 2 << 1;
        QTest::newRow("select") << "select" << 2 << 1;
        QTest::newRow("delete the last") << "delete last" << 2 << 1;
        QTest::newRow("delete in the middle") << "delete middle" << 5 << 4;
        QTest::newRow("zoom") << "zoom" << 8 << 8;
    }
    void editsRebuildOnlyTheirRuns()
    {
        QFETCH(QString, change);
        QFETCH(int, atMost);
        QFETCH(int, atLeast);
        MapWindow w;
        CoordinateListModel markers;
        QList<Coordinate> list;
        for (int i = 0; i < 2000; ++i) // 8 runs of 256 along a diagonal, all on screen
            list.append({43.0 + 0.00002 * i, -84.0 + 0.00002 * i});
        markers.setCoordinates(list);
        w.map->setMarkers(&markers);
        w.map->setRegion(region(43.02, -83.98, 0.06));
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        (void)w.window.grabWindow();
        QCOMPARE(w.map->lastRebuiltRuns(), 8);
        if (change == "pan")
            w.map->panBy(5, 3);
        else if (change == "append")
            markers.append({43.04, -83.96});
        else if (change == "select")
            markers.setMarked(1500);
        else if (change == "delete last")
            markers.removePositions({1999});
        else if (change == "delete middle")
            markers.removePositions({1100});
        else if (change == "zoom")
            w.map->zoomBy(1.25, QPointF(195, 422));
        (void)w.window.grabWindow();
        QVERIFY2(w.map->lastRebuiltRuns() <= atMost && w.map->lastRebuiltRuns() >= atLeast,
                 qPrintable(QString::number(w.map->lastRebuiltRuns())));
    }

    // While the tiles of a new zoom level load, the old ones stand in: scaled up when zooming
    // in, and in their own place when zooming out.
    void zoomKeepsTilesUntilNewOnesArrive_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QList<QPoint>>("covered");
        const QList<QPoint> everywhere{{20, 20}, {370, 20}, {195, 422}, {20, 820}, {370, 820}};
        QTest::newRow("zoom in") << 2.0 << everywhere;
        QTest::newRow("zoom in twice") << 4.0 << everywhere;
        QTest::newRow("zoom out") << 0.5 << QList<QPoint>{{195, 422}, {150, 350}, {240, 500}};
    }
    void zoomKeepsTilesUntilNewOnesArrive()
    {
        QFETCH(double, factor);
        QFETCH(QList<QPoint>, covered);
        TileServer server;
        QVERIFY(server.listen());
        MapWindow w(server.urlTemplate("img"), QString());
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTRY_COMPARE_WITH_TIMEOUT(w.map->loadedTileCount(), w.map->visibleTileCount(), 10000);
        server.hold = true; // nothing new arrives
        const int before = w.map->loadedTileCount();
        w.map->zoomBy(factor, QPointF(195, 422));
        QCoreApplication::processEvents();
        const QImage img = w.window.grabWindow();
        QCOMPARE(w.map->loadedTileCount(), before);
        const qreal dpr = img.devicePixelRatio();
        for (const QPoint p : covered)
            QVERIFY2(!near(img.pixelColor(int(p.x() * dpr), int(p.y() * dpr)), QColor(0x14, 0x18, 0x1F), 10),
                     qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        server.hold = false;
        server.releaseAll();
    }

    // The map need not fill its window (beside a card in landscape): the path and the markers,
    // plain and selected, follow the item wherever it sits.
    void overlayFollowsTheItem_data()
    {
        QTest::addColumn<QPointF>("position");
        QTest::newRow("at the origin") << QPointF(0, 0);
        QTest::newRow("right of a card") << QPointF(468, 0);
        QTest::newRow("below a bar") << QPointF(0, 200);
        QTest::newRow("both") << QPointF(150, 120);
    }
    void overlayFollowsTheItem()
    {
        QFETCH(QPointF, position);
        MapWindow w;
        w.window.resize(844, 844);
        w.map->setPosition(position);
        w.map->setSize(QSizeF(376, 390));
        CoordinateListModel markers;
        markers.setCoordinates({{43.0, -84.0}, {43.004, -83.996}});
        w.map->setMarkers(&markers);
        markers.setMarked(1);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTest::qWait(450); // past the selection animation
        const QImage img = w.window.grabWindow();
        const qreal dpr = img.devicePixelRatio();
        for (int i = 0; i < 2; ++i) {
            const QPointF at = w.map->mapToScene(w.map->coordinateToPoint(markers.coordinates().at(i).latitude,
                                                                          markers.coordinates().at(i).longitude));
            const QColor c = img.pixelColor(int((at.x() + 10) * dpr), int(at.y() * dpr));
            QVERIFY2(near(c, palette().themeGold, 30),
                     qPrintable(QStringLiteral("marker %1 at %2,%3 is %4").arg(i).arg(at.x()).arg(at.y()).arg(c.name())));
        }
    }

    // Tiles too follow the item, whether they arrived before it moved or after.
    void tilesFollowTheItem_data()
    {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<bool>("arriveAfterTheMove");
        QTest::newRow("right of a card, tiles after") << QPointF(468, 0) << true;
        QTest::newRow("right of a card, tiles before") << QPointF(468, 0) << false;
        QTest::newRow("below a bar, tiles after") << QPointF(0, 300) << true;
    }
    void tilesFollowTheItem()
    {
        QFETCH(QPointF, position);
        QFETCH(bool, arriveAfterTheMove);
        TileServer server;
        QVERIFY(server.listen());
        server.hold = arriveAfterTheMove;
        MapWindow w(server.urlTemplate("img"), QString());
        w.window.resize(844, 844);
        w.map->setSize(QSizeF(376, 390));
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        if (!arriveAfterTheMove)
            QTRY_COMPARE_WITH_TIMEOUT(w.map->loadedTileCount(), w.map->visibleTileCount(), 10000);
        (void)w.window.grabWindow();
        w.map->setPosition(position);
        (void)w.window.grabWindow();
        server.hold = false;
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(w.map->loadedTileCount(), w.map->visibleTileCount(), 10000);
        const QImage img = w.window.grabWindow();
        const qreal dpr = img.devicePixelRatio();
        auto at = [&](QPointF p) { return img.pixelColor(int(p.x() * dpr), int(p.y() * dpr)); };
        const QRectF map(position, w.map->size());
        for (const QPointF p : {map.center(), map.topLeft() + QPointF(6, 6), map.bottomRight() - QPointF(6, 6)}) {
            const QColor c = at(p);
            QVERIFY2(c.lightness() < 200 && !near(c, QColor(0x14, 0x18, 0x1F), 10),
                     qPrintable(QStringLiteral("no tile at %1,%2 (%3)").arg(p.x()).arg(p.y()).arg(c.name())));
        }
        // Nothing of the map outside it: the window's own white.
        for (const QPointF p : {QPointF(6, 6), QPointF(838, 838)}) {
            if (map.contains(p))
                continue;
            QVERIFY2(at(p).lightness() > 240, qPrintable(QStringLiteral("map drawn at %1,%2 (%3)").arg(p.x()).arg(p.y()).arg(at(p).name())));
        }
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
        QCOMPARE(map.count(), 1);

        // A double click zooms; its second click is reported as such.
        QTest::qWait(400);
        QSignalSpy doubleTaps(w.map, &TileMapItem::mapDoubleTapped);
        const double span = w.map->region().longitudeSpan;
        QTest::mouseClick(&w.window, Qt::LeftButton, {}, QPoint(60, 700));
        QTest::qWait(60);
        QTest::mouseClick(&w.window, Qt::LeftButton, {}, QPoint(62, 702));
        QCOMPARE(map.count(), 2);
        QCOMPARE(doubleTaps.count(), 1);
        QVERIFY(w.map->region().longitudeSpan < span * 0.6);
    }

    // One finger taps and drags, two fingers pinch (the second may land later), and the mouse
    // does the same on a desktop.
    void gestures_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("waypointsAdded");
        QTest::addColumn<int>("markerSelected"); // -1: none
        QTest::addColumn<bool>("pans");
        QTest::addColumn<double>("minZoomIn"); // span before / after; 0 = unchanged
        QTest::newRow("finger tap on the map") << "finger tap" << 1 << -1 << false << 0.0;
        QTest::newRow("finger tap on a marker") << "finger tap marker" << 0 << 1 << false << 0.0;
        QTest::newRow("finger drag") << "finger drag" << 0 << -1 << true << 0.0;
        QTest::newRow("pinch, second finger later") << "pinch later" << 0 << -1 << true << 1.5;
        QTest::newRow("pinch, both fingers at once") << "pinch together" << 0 << -1 << true << 1.5;
        QTest::newRow("pinch, one finger lifts first") << "pinch lift one" << 0 << -1 << true << 1.5;
        QTest::newRow("mouse click on the map") << "mouse click" << 1 << -1 << false << 0.0;
        QTest::newRow("mouse click on a marker") << "mouse click marker" << 0 << 1 << false << 0.0;
        QTest::newRow("mouse drag") << "mouse drag" << 0 << -1 << true << 0.0;
    }
    void gestures()
    {
        QFETCH(QString, gesture);
        QFETCH(int, waypointsAdded);
        QFETCH(int, markerSelected);
        QFETCH(bool, pans);
        QFETCH(double, minZoomIn);
        PlanWindow w({{43.0, -84.0}, {43.003, -83.997}});
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QWindow *win = &w.window;
        auto *dev = touchscreen();
        const QPoint marker = w.map->coordinateToPoint(43.003, -83.997).toPoint();
        const QPoint empty(80, 650);
        QVERIFY(w.map->markerAt(empty) < 0);
        const double span = w.map->region().longitudeSpan;
        const double lon = w.map->region().centerLongitude;

        if (gesture == "finger tap") {
            fingerTap(win, empty);
        } else if (gesture == "finger tap marker") {
            fingerTap(win, marker);
        } else if (gesture == "finger drag") {
            QTest::touchEvent(win, dev).press(0, {150, 400});
            for (int i = 1; i <= 10; ++i)
                QTest::touchEvent(win, dev).move(0, {150 + i * 12, 400});
            QTest::touchEvent(win, dev).release(0, {270, 400});
        } else if (gesture.startsWith("pinch")) {
            const QPoint c(195, 420);
            if (gesture == "pinch together") {
                QTest::touchEvent(win, dev).press(0, c - QPoint(30, 0)).press(1, c + QPoint(30, 0));
            } else {
                QTest::touchEvent(win, dev).press(0, c - QPoint(30, 0));
                QTest::touchEvent(win, dev).move(0, c - QPoint(30, 0)).press(1, c + QPoint(30, 0));
            }
            for (int i = 1; i <= 10; ++i)
                QTest::touchEvent(win, dev).move(0, c - QPoint(30 + i * 6, 0)).move(1, c + QPoint(30 + i * 6, 0));
            if (gesture == "pinch lift one") {
                QTest::touchEvent(win, dev).move(0, c - QPoint(90, 0)).release(1, c + QPoint(90, 0));
                QTest::touchEvent(win, dev).release(0, c - QPoint(90, 0));
            } else {
                QTest::touchEvent(win, dev).release(0, c - QPoint(90, 0)).release(1, c + QPoint(90, 0));
            }
        } else if (gesture == "mouse click") {
            QTest::mouseClick(win, Qt::LeftButton, {}, empty);
        } else if (gesture == "mouse click marker") {
            QTest::mouseClick(win, Qt::LeftButton, {}, marker);
        } else if (gesture == "mouse drag") {
            QTest::mousePress(win, Qt::LeftButton, {}, {150, 400});
            for (int i = 1; i <= 10; ++i)
                QTest::mouseMove(win, QPoint(150 + i * 12, 400), 5);
            QTest::mouseRelease(win, Qt::LeftButton, {}, {270, 400});
        }
        // Taps act at once; wait past the double-tap window to see nothing else follows.
        QCOMPARE(w.markers.count(), 2 + waypointsAdded);
        QTest::qWait(350);
        QCOMPARE(w.markers.count(), 2 + waypointsAdded);
        QCOMPARE(w.doubleTaps.count(), 0);
        QCOMPARE(w.markerTaps.count(), markerSelected >= 0 ? 1 : 0);
        if (markerSelected >= 0)
            QCOMPARE(w.markerTaps.at(0).at(0).toInt(), markerSelected);
        QCOMPARE(w.moved.count() > 0, pans);
        if (gesture.contains("drag"))
            QVERIFY(w.map->region().centerLongitude < lon);
        if (minZoomIn > 0)
            QVERIFY2(span / w.map->region().longitudeSpan >= minZoomIn,
                     qPrintable(QString::number(span / w.map->region().longitudeSpan)));
        else
            QCOMPARE(w.map->region().longitudeSpan, span);
    }

    // Taps are reported at once, with where they land; the second of a double tap zooms in by 2
    // about itself; a press held still is a long press. The map leaves its markers alone.
    void tapsReportWhereTheyLand_data()
    {
        QTest::addColumn<QList<QPoint>>("taps");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<QString>("reports"); // t mapTapped, d mapDoubleTapped, l mapLongPressed
        QTest::newRow("one tap") << QList<QPoint>{{100, 600}} << 0 << 0 << "t";
        QTest::newRow("rapid taps at different places")
            << QList<QPoint>{{60, 600}, {160, 600}, {260, 600}, {160, 700}} << 60 << 0 << "tttt";
        QTest::newRow("double tap") << QList<QPoint>{{100, 600}, {104, 603}} << 60 << 0 << "td";
        QTest::newRow("slow taps at one place") << QList<QPoint>{{100, 600}, {100, 600}} << 450 << 0 << "tt";
        QTest::newRow("triple tap: zoom, then a new tap")
            << QList<QPoint>{{100, 600}, {100, 600}, {100, 600}} << 60 << 0 << "tdt";
        QTest::newRow("two double taps") << QList<QPoint>{{100, 600}, {100, 600}, {100, 600}, {100, 600}} << 60 << 0
                                         << "tdtd";
        QTest::newRow("held still") << QList<QPoint>{{100, 600}} << 0 << 650 << "l";
    }
    void tapsReportWhereTheyLand()
    {
        QFETCH(QList<QPoint>, taps);
        QFETCH(int, gapMs);
        QFETCH(int, holdMs);
        QFETCH(QString, reports);
        MapWindow w;
        CoordinateListModel markers;
        markers.setCoordinates({{43.02, -84.02}, {43.021, -84.021}}); // far from the taps
        markers.setMarked(7);
        w.map->setMarkers(&markers);
        QSignalSpy markerTaps(w.map, &TileMapItem::markerTapped);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QList<Coordinate> before = markers.coordinates();
        QString seen;
        QList<QPointF> where; // each report's coordinate, on screen as the report came
        auto record = [&](QChar kind) {
            return [&, kind](double lat, double lon) {
                seen += kind;
                where << w.map->coordinateToPoint(lat, lon);
            };
        };
        QObject::connect(w.map, &TileMapItem::mapTapped, w.map, record(QLatin1Char('t')));
        QObject::connect(w.map, &TileMapItem::mapDoubleTapped, w.map, record(QLatin1Char('d')));
        QObject::connect(w.map, &TileMapItem::mapLongPressed, w.map, record(QLatin1Char('l')));
        const double span = w.map->region().longitudeSpan;
        for (qsizetype i = 0; i < taps.size(); ++i) {
            if (i > 0)
                QTest::qWait(gapMs);
            QVERIFY(w.map->markerAt(taps[i]) < 0);
            QTest::touchEvent(&w.window, touchscreen()).press(0, taps[i]);
            if (holdMs > 0)
                QTest::qWait(holdMs);
            QTest::touchEvent(&w.window, touchscreen()).release(0, taps[i]);
            QCOMPARE(seen.size(), i + 1); // at once, with no wait for a second tap
        }
        QCOMPARE(seen, reports);
        for (qsizetype i = 0; i < taps.size(); ++i)
            QVERIFY2(QLineF(where[i], taps[i]).length() < 0.01,
                     qPrintable(QStringLiteral("%1,%2").arg(where[i].x()).arg(where[i].y())));
        const auto doubles = seen.count(QLatin1Char('d'));
        QVERIFY(std::abs(w.map->region().longitudeSpan * std::pow(2.0, doubles) / span - 1) < 1e-6);
        QCOMPARE(markers.coordinates(), before);
        QCOMPARE(markers.marked(), std::optional<qsizetype>(7));
        QCOMPARE(markerTaps.count(), 0);
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

    // Zoomed in far enough that a leg's start lies hundreds of thousands of pixels off screen:
    // the leg still shows, dashed in step with its true start.
    void longLegAtHighZoom_data()
    {
        QTest::addColumn<double>("legDegrees");
        QTest::addColumn<double>("centreAlong"); // where along the leg the camera looks, 0..1
        QTest::newRow("1 degree, middle") << 1.0 << 0.5;
        QTest::newRow("2 degrees, near the end") << 2.0 << 0.9;
        QTest::newRow("0.2 degrees, near the start") << 0.2 << 0.1;
    }
    void longLegAtHighZoom()
    {
        QFETCH(double, legDegrees);
        QFETCH(double, centreAlong);
        MapWindow w;
        CoordinateListModel markers;
        const double lon0 = -84.5;
        markers.setCoordinates({{43.0, lon0}, {43.0, lon0 + legDegrees}});
        w.map->setMarkers(&markers);
        w.map->setRegion(region(43.0001, lon0 + legDegrees * centreAlong, 0.0005));
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QPointF a = w.map->coordinateToPoint(43.0, lon0);
        const QPointF b = w.map->coordinateToPoint(43.0, lon0 + legDegrees);
        QVERIFY2(-a.x() > 10000 && b.x() > 390, qPrintable(QString("%1 %2").arg(a.x()).arg(b.x())));
        const int y = qRound(a.y());
        QVERIFY(y > 10 && y < 830);
        const QImage img = w.window.grabWindow();
        const qreal dpr = img.devicePixelRatio();
        auto goldAt = [&](int x) {
            int red = 0;
            for (int dy = -1; dy <= 1; ++dy)
                red = std::max(red, img.pixelColor(int(x * dpr), int((y + dy) * dpr)).red());
            return red > 110;
        };
        int onRight = 0, onTotal = 0, offRight = 0, offTotal = 0;
        for (int x = 5; x < 385; ++x) {
            // Distance of the pixel's centre from the leg's start: dashes cover [0, 5) of each 10.
            const double phase = std::fmod(x + 0.5 - a.x(), 10.0);
            if (phase > 1.5 && phase < 3.5) {
                ++onTotal;
                onRight += goldAt(x) ? 1 : 0;
            } else if (phase > 6.5 && phase < 8.5) {
                ++offTotal;
                offRight += goldAt(x) ? 0 : 1;
            }
        }
        QVERIFY(onTotal > 50 && offTotal > 50);
        QVERIFY2(onRight > onTotal * 9 / 10 && offRight > offTotal * 9 / 10,
                 qPrintable(QString("on %1/%2 off %3/%4").arg(onRight).arg(onTotal).arg(offRight).arg(offTotal)));
    }
};

QTEST_MAIN(TestTileMapItem)
#include "tst_tilemapitem.moc"
