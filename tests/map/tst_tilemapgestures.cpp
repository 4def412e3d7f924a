// The tile map under a finger and the mouse: taps on the map and on markers, double taps,
// drags and pinches.
#include "CoordinateListModel.h"
#include "MapWindow.h"
#include "Palette.h"
#include "TileMapItem.h"

#include <QPointingDevice>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

using namespace zeltrin;
using maptest::MapWindow;
using maptest::near;

namespace {

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

} // namespace

class TestTileMapGestures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_MAIN(TestTileMapGestures)
#include "tst_tilemapgestures.moc"
