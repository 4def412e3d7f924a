// The tile map's imagery from a local tile server: the graticule before any tile, bounded and
// cancelled requests, the disk cache, and old tiles standing in while new ones load.
#include "MapWindow.h"
#include "TileMapItem.h"
#include "TileServer.h"

#include <QDirIterator>
#include <QQuickView>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;
using maptest::MapWindow;
using maptest::near;
using maptest::region;

class TestTileMapTiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

    // The credit is due while imagery is drawn; with none drawn and no server reached, the map
    // says so. A server that goes after its tiles came leaves them standing in: no notice.
    void imageryStateFollowsWhatIsDrawn_data()
    {
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<bool>("goesAfterTiles");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("unreachable");
        QTest::newRow("tiles arrive") << true << false << true << false;
        QTest::newRow("nothing listens") << false << false << false << true;
        QTest::newRow("server gone after its tiles") << true << true << true << false;
    }
    void imageryStateFollowsWhatIsDrawn()
    {
        QFETCH(bool, serverUp);
        QFETCH(bool, goesAfterTiles);
        QFETCH(bool, shown);
        QFETCH(bool, unreachable);
        TileServer server;
        QVERIFY(server.listen());
        const QString imagery = server.urlTemplate("img");
        if (!serverUp)
            server.stop();
        MapWindow w(imagery, QString());
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QCOMPARE(w.map->imageryShown(), false); // nothing yet
        if (serverUp)
            QTRY_COMPARE_WITH_TIMEOUT(w.map->loadedTileCount(), w.map->visibleTileCount(), 10000);
        if (goesAfterTiles) {
            server.stop();
            w.map->zoomBy(2.0, QPointF(195, 422)); // new tiles fail; the old ones stand in
            QTRY_VERIFY_WITH_TIMEOUT(w.map->loader().failedCount() > 0, 10000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.map->imageryUnreachable(), unreachable, 10000);
        QTest::qWait(200);
        QCOMPARE(w.map->imageryShown(), shown);
        QCOMPARE(w.map->imageryUnreachable(), unreachable);
        // No imagery asked for: nothing to reach, nothing to credit.
        w.map->setImageryUrlTemplate({});
        QCOMPARE(w.map->imageryUnreachable(), false);
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
            QVERIFY2(at(p).lightness() > 240,
                     qPrintable(QStringLiteral("map drawn at %1,%2 (%3)").arg(p.x()).arg(p.y()).arg(at(p).name())));
        }
    }
};

QTEST_MAIN(TestTileMapTiles)
#include "tst_tilemaptiles.moc"
