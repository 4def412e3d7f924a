// What lies over the planner's map keeps its touches: no tap or click on the bar, the tool
// column, the mission panel (title, labels, gaps, disabled buttons, its banners) or the messages
// above it adds a waypoint. The panel folds to its title row by its grabber, and what the map
// fits or follows stays in the part the panel leaves visible.
#include "FlightPlanModel.h"
#include "ScreenHarness.h"
#include "TileMapItem.h"

#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {
const QList<QSize> kSizes{{320, 568}, {390, 844}, {844, 390}, {820, 1180}, {1180, 820}};

QRectF sceneRect(const QQuickItem *item)
{
    return item->mapRectToScene(item->boundingRect());
}
} // namespace

class TestMissionCover : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScreenHarness> m_screen;
    FlightPlanModel *m_plan = nullptr;
    TileMapItem *m_map = nullptr;
    QQuickItem *m_panel = nullptr;

    QQuickItem *root() const { return m_screen->root(); }
    QQuickItem *find(const char *name) const { return m_screen->find(QString::fromLatin1(name)); }
    QObject *menu() const { return root()->property("planMenu").value<QObject *>(); }

    bool open(QSize size)
    {
        m_screen = std::make_unique<ScreenHarness>();
        if (!m_screen->load(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml")), size))
            return false;
        m_plan = m_screen->model<FlightPlanModel>("plan");
        m_map = root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        m_panel = find("missionControlPanel");
        if (!m_plan || !m_map || !m_panel)
            return false;
        m_map->setLabelsUrlTemplate({});
        m_map->setImageryUrlTemplate({});
        m_screen->show();
        return m_screen->waitExposed();
    }
    // As the screen shows an opened plan.
    bool showBounds(double south, double west, double north, double east)
    {
        return QMetaObject::invokeMethod(root(), "showBounds", Q_ARG(QVariant, south), Q_ARG(QVariant, west),
                                         Q_ARG(QVariant, north), Q_ARG(QVariant, east));
    }
    void foldAndWait(bool folded)
    {
        m_panel->setProperty("collapsed", folded);
        QTRY_COMPARE(m_panel->property("openness").toDouble(), folded ? 0.0 : 1.0);
        QVERIFY(m_screen->waitForFrame());
    }

private Q_SLOTS:
    void cleanup() { m_screen.reset(); }

    // A grid of taps over everything that lies on the map. Enabled controls do
    // what they do (a sheet that opens is closed again); the plan never gains a waypoint. The
    // plan has none, so "Upload & Execute Mission" is disabled; both features are on, so the
    // panel shows its banners; a file message and the imagery notice sit on the map.
    void coversKeepTheirTouches_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("touch");
        for (const QSize &s : kSizes)
            for (bool touch : {true, false})
                QTest::addRow("%dx%d %s", s.width(), s.height(), touch ? "touch" : "mouse") << s << touch;
    }
    void coversKeepTheirTouches()
    {
        QFETCH(QSize, size);
        QFETCH(bool, touch);
        QVERIFY(open(size));
        m_map->setImageryUrlTemplate(QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png")); // refused
        m_plan->openPlan(QStringLiteral("/nonexistent/plan.plan"));
        const auto setUp = [&] {
            m_plan->setTerrainFollowEnabled(true);
            m_plan->setMultiBatteryEnabled(true);
            m_plan->setShowWaypointList(false);
            m_plan->setShowShotDesigner(false);
            m_panel->setProperty("collapsed", false);
            QMetaObject::invokeMethod(menu(), "close");
        };
        setUp();
        QTRY_VERIFY(find("mapOfflineNotice")->isVisible());
        QVERIFY(find("planFileMessage")->isVisible());
        QVERIFY(!find("uploadButton")->isEnabled());
        QTest::qWait(300);

        QList<QQuickItem *> covers;
        for (const char *name :
             {"missionBar", "mapTools", "missionControlPanel", "planFileMessage", "mapOfflineNotice"})
            covers << find(name);
        QList<QPoint> points;
        for (const QQuickItem *cover : covers) {
            const QRect r = sceneRect(cover).toAlignedRect().adjusted(2, 2, -2, -2);
            // About 8 across and 12 down; never sparser than a label's height.
            const int dx = std::clamp(r.width() / 8, 16, 48), dy = std::clamp(r.height() / 12, 12, 18);
            for (int y = r.top(); y <= r.bottom(); y += dy)
                for (int x = r.left(); x <= r.right(); x += dx)
                    points << QPoint(x, y);
        }
        QQuickItem *add = find("addTool");
        QObject *planMenu = menu();
        int tapped = 0;
        for (const QPoint p : points) {
            // Still under a cover: a message tapped away leaves the map there.
            const bool covered = std::any_of(covers.begin(), covers.end(), [&](const QQuickItem *c) {
                return c->isVisible() && sceneRect(c).contains(p);
            });
            if (!covered)
                continue;
            QSignalSpy added(add, SIGNAL(clicked()));
            m_screen->tap(p, touch, 0, 5);
            ++tapped;
            // "Add waypoint" adds one, as its own action.
            if (!added.isEmpty())
                m_plan->clearWaypoints();
            QVERIFY2(m_plan->waypointCount() == 0,
                     qPrintable(QStringLiteral("a tap at %1,%2 reached the map").arg(p.x()).arg(p.y())));
            if (m_plan->showWaypointList() || m_plan->showShotDesigner() || planMenu->property("opened").toBool()
                || m_panel->property("collapsed").toBool()) {
                setUp();
                QTest::qWait(700); // the sheet slides away, the panel opens
            }
            if (!m_plan->terrainFollowEnabled() || !m_plan->multiBatteryEnabled())
                setUp();
        }
        QVERIFY2(tapped > 80, qPrintable(QString::number(tapped)));
    }

    // Two quick taps on "Upload & Execute Mission": the first starts the upload, the second
    // lands on the now disabled button and nowhere else.
    void uploadDoubleTapAddsNothing_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void uploadDoubleTapAddsNothing()
    {
        QFETCH(bool, touch);
        QVERIFY(open(ScreenHarness::kPhone));
        m_plan->addWaypoint();
        m_plan->setUploadDurationMs(5000);
        const QPoint at = centreOf(find("uploadButton"));
        m_screen->tap(at, touch, 0, 0);
        QVERIFY(m_plan->isUploadingMission());
        m_screen->tap(at, touch, 0, 0);
        m_screen->tap(at, touch, 0, 300);
        QCOMPARE(m_plan->waypointCount(), 1);
        m_plan->cancelUpload();
    }

    // On a small phone the panel folds to its title row and opens again by its grabber, by a
    // tap or a drag, with a finger or the mouse; a folded panel also opens at a tap on it. The
    // map gains what the panel gives up.
    void panelFoldsByItsGrabber_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<bool>("drag");
        for (bool touch : {true, false})
            for (bool drag : {false, true})
                QTest::addRow("%s %s", touch ? "touch" : "mouse", drag ? "drag" : "tap") << touch << drag;
    }
    void panelFoldsByItsGrabber()
    {
        QFETCH(bool, touch);
        QFETCH(bool, drag);
        QVERIFY(open(QSize(320, 568)));
        QQuickItem *grabber = find("panelGrabber");
        QVERIFY(grabber && grabber->isVisible());
        const qreal open = m_panel->height();
        const qreal viewOpen = m_map->viewArea().height();
        const auto gesture = [&](int down) {
            const QPoint at = centreOf(grabber);
            if (drag)
                m_screen->drag(at, at + QPoint(0, down), touch, {.steps = 10, .holdMs = 50});
            else
                m_screen->tap(at, touch);
        };
        gesture(200);
        QTRY_COMPARE(m_panel->property("openness").toDouble(), 0.0);
        QVERIFY(m_panel->property("collapsed").toBool());
        const qreal folded = m_panel->height();
        QCOMPARE(folded, m_panel->property("foldedHeight").toDouble());
        QVERIFY2(folded < 90 && folded < open / 2, qPrintable(QStringLiteral("%1 of %2").arg(folded).arg(open)));
        // The title row is still there to read.
        const QRectF title = sceneRect(find("waypointCount"));
        QVERIFY(sceneRect(m_panel).contains(title));
        QVERIFY(m_map->viewArea().height() > viewOpen + open - folded - 1);

        gesture(-200);
        QTRY_COMPARE(m_panel->property("openness").toDouble(), 1.0);
        QCOMPARE(m_panel->height(), open);
        // Folded again, a tap on the title row opens it.
        foldAndWait(true);
        m_screen->tap(centreOf(find("waypointCount")) - QPoint(60, 0), touch);
        QTRY_COMPARE(m_panel->property("openness").toDouble(), 1.0);
        QCOMPARE(m_plan->waypointCount(), 0);
    }

    // Beside the map (a phone on its side) the panel takes none of its height: it does not fold.
    void noFoldBesideTheMap()
    {
        QVERIFY(open(QSize(844, 390)));
        QVERIFY(!find("panelGrabber")->isVisible());
        QVERIFY(!m_panel->property("collapsible").toBool());
    }

    // A plan is fitted into the part of the map the cards leave, and fitted again there when
    // the panel folds or opens, until the pilot moves the map. Following keeps the aircraft there.
    void fitAndFollowKeepToTheVisibleMap_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize &s : kSizes)
            QTest::addRow("%dx%d", s.width(), s.height()) << s;
    }
    void fitAndFollowKeepToTheVisibleMap()
    {
        QFETCH(QSize, size);
        QVERIFY(open(size));
        const double south = 47.36, west = 8.52, north = 47.39, east = 8.56;
        QVERIFY(showBounds(south, west, north, east));
        const auto fitsIn = [&](QRectF area) {
            const QRectF b = QRectF(m_map->coordinateToPoint(north, west), m_map->coordinateToPoint(south, east));
            // Inside, and filling it one way (a fit, not merely a view that shows it).
            return area.adjusted(-1, -1, 1, 1).contains(b)
                && (b.width() > area.width() - 2 || b.height() > area.height() - 2);
        };
        QVERIFY(fitsIn(m_map->viewArea()));
        // Nothing of the screen lies over that area: the panel, the bar, the tools.
        const QRectF area = m_map->mapRectToScene(m_map->viewArea());
        for (const char *cover : {"missionControlPanel", "missionBar", "mapTools"})
            QVERIFY2(!sceneRect(find(cover)).intersects(area), cover);

        if (find("panelGrabber")->isVisible()) {
            const QRectF before = m_map->viewArea();
            foldAndWait(true);
            QVERIFY(m_map->viewArea().height() > before.height());
            QVERIFY(fitsIn(m_map->viewArea()));
            foldAndWait(false);
            QVERIFY(fitsIn(m_map->viewArea()));
        }

        // Following: the aircraft under the panel is brought back to the middle of the area.
        const QPointF under = m_map->mapFromScene(sceneRect(m_panel).center());
        const QVariantMap c = m_map->boundsOf(QRectF(under, QSizeF(1, 1)));
        const double lat = c.value(QStringLiteral("north")).toDouble(),
                     lon = c.value(QStringLiteral("west")).toDouble();
        m_map->setAircraftLatitude(lat);
        m_map->setAircraftLongitude(lon);
        m_map->setShowsAircraft(true);
        m_map->setFollowsAircraft(true);
        const QPointF at = m_map->coordinateToPoint(lat, lon);
        QVERIFY2((at - m_map->viewArea().center()).manhattanLength() < 2,
                 qPrintable(QStringLiteral("aircraft at %1,%2").arg(at.x()).arg(at.y())));
    }

    // A drag on the map is the pilot's: a later fold of the panel moves the map no more.
    void pilotsDragEndsTheFit()
    {
        QVERIFY(open(ScreenHarness::kPhone));
        QVERIFY(showBounds(47.36, 8.52, 47.39, 8.56));
        m_screen->drag(QPoint(100, 200), QPoint(160, 240), true, {.holdMs = 100});
        QTest::qWait(800); // any fling runs out
        const QPointF corner = m_map->coordinateToPoint(47.39, 8.52);
        foldAndWait(true);
        QVERIFY((m_map->coordinateToPoint(47.39, 8.52) - corner).manhattanLength() < 0.5);
        QCOMPARE(m_plan->waypointCount(), 0);
    }
};

QTEST_MAIN(TestMissionCover)
#include "tst_missioncover.moc"
