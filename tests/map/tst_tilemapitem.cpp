// The tile map's camera and overlay: where a region puts coordinates on screen and how it moves,
// the tile sources a new map starts with, and the path and markers drawn over the map.
#include "CoordinateListModel.h"
#include "MapWindow.h"
#include "Palette.h"
#include "TileMapItem.h"
#include "WebMercator.h"

#include <QQuickView>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace zeltrin;
using maptest::MapWindow;
using maptest::near;
using maptest::region;

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
