#include "FlightPlanModel.h"
#include "Mission3DPreviewModel.h"
#include "Palette.h"
#include "ScreenHarness.h"
#include "TileMapItem.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

namespace {
QQuickItem *find(QQuickItem *root, const char *name)
{
    return root->findChild<QQuickItem *>(QString::fromLatin1(name));
}
} // namespace

class TestFlightPlanView : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScreenHarness> m_screen;
    FlightPlanModel *m_plan = nullptr;
    TileMapItem *m_map = nullptr;

    QQuickItem *root() const { return m_screen->root(); }
    QQuickView *view() const { return m_screen->view(); }
    // One finger (or the mouse) from `from` to `to` in `steps` moves.
    void stroke(bool touch, QPoint from, QPoint to, int steps) { m_screen->drag(from, to, touch, {.steps = steps}); }
    void tap(bool touch, QPoint p) { m_screen->tap(p, touch); }

    QQuickItem *openList()
    {
        m_plan->setShowWaypointList(true);
        if (!QTest::qWaitFor([&] { return sheetItem("waypointListSheet") != nullptr; }))
            return nullptr;
        QTest::qWait(600); // the sheet slides up
        return sheetItem("waypointListSheet");
    }
    QQuickItem *rowAt(QQuickItem *sheet, int index)
    {
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(find(sheet, "waypointList"), "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, index));
        return row;
    }

    QQuickItem *sheetItem(const char *sheet) const
    {
        auto *s = root()->property(sheet).value<QObject *>();
        return s ? s->property("sheetItem").value<QQuickItem *>() : nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_screen = std::make_unique<ScreenHarness>();
        QVERIFY(m_screen->load(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml"))));
        m_plan = m_screen->model<FlightPlanModel>("plan");
        m_map = root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        QVERIFY(m_plan && m_map);
        // No imagery: the map asks for tiles from its first frame, and these tests are offline.
        m_map->setImageryUrlTemplate({});
        m_map->setLabelsUrlTemplate({});
        m_screen->show();
        QVERIFY(m_screen->waitExposed());
    }
    void cleanup() { m_screen.reset(); }

    void tapsAddAndSelect()
    {
        // Taps on the map add stepped waypoints wherever they land.
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(40, 200));
        QTRY_COMPARE(m_plan->waypointCount(), 1);
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(300, 90));
        QTRY_COMPARE(m_plan->waypointCount(), 2);
        QCOMPARE(m_plan->waypoints()->coordinates().at(1).latitude, 43.003);
        QVERIFY(find(root(), "previewTool")->isVisible());
        QVERIFY(!find(root(), "trashTool")->isVisible());
        // A marker tap selects and adds nothing.
        const QPointF p = m_map->coordinateToPoint(43.003, -83.997);
        QTest::mouseClick(view(), Qt::LeftButton, {}, p.toPoint());
        QTRY_COMPARE(m_plan->selectedWaypointInt(), 1);
        QTest::qWait(350);
        QCOMPARE(m_plan->waypointCount(), 2);
        QTRY_VERIFY(find(root(), "trashTool")->isVisible());
        QTest::mouseClick(view(), Qt::LeftButton, {}, centreOf(find(root(), "trashTool")));
        QTRY_COMPARE(m_plan->waypointCount(), 1);
        QVERIFY(!find(root(), "trashTool")->isVisible());
    }

    // By finger: a tap adds at once; the second tap of a double tap zooms the map in and takes
    // the first one's waypoint back. While an area to download is chosen, taps add nothing.
    void mapTapsByTouch_data()
    {
        QTest::addColumn<bool>("choosingArea");
        QTest::addColumn<int>("afterFirstTap");
        QTest::newRow("planning") << false << 2;
        QTest::newRow("choosing a download area") << true << 1;
    }
    void mapTapsByTouch()
    {
        QFETCH(bool, choosingArea);
        QFETCH(int, afterFirstTap);
        m_plan->addWaypoint(); // at the map's centre
        if (choosingArea)
            QMetaObject::invokeMethod(root(), "beginAreaDownload");
        QCOMPARE(root()->property("choosingArea").toBool(), choosingArea);
        const double span = m_map->region().longitudeSpan;
        const QPoint p(120, 330);
        QVERIFY(m_map->markerAt(m_map->mapFromScene(p)) < 0);
        tap(true, p);
        QCOMPARE(m_plan->waypointCount(), afterFirstTap);
        tap(true, p + QPoint(3, 3));
        QCOMPARE(m_plan->waypointCount(), 1);
        QVERIFY(std::abs(m_map->region().longitudeSpan * 2 / span - 1) < 1e-6);
        QCOMPARE(m_plan->mapPosition().longitudeSpan, m_map->region().longitudeSpan);
        QTest::qWait(300);
        tap(true, p);
        QCOMPARE(m_plan->waypointCount(), afterFirstTap);
    }

    // A press held still adds a waypoint under the finger (or the pointer); the undo tool takes
    // back one gesture at a time, a tap's stepped waypoint included.
    void longPressAddsWhereHeldAndUndoes_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void longPressAddsWhereHeldAndUndoes()
    {
        QFETCH(bool, touch);
        const QPoint held(150, 300);
        const QPointF at = m_map->mapFromScene(held);
        m_screen->tap(held, touch, 700);
        QTRY_COMPARE(m_plan->waypointCount(), 1);
        const QPointF placed = m_map->coordinateToPoint(m_plan->waypoints()->latitudeAt(0),
                                                        m_plan->waypoints()->longitudeAt(0));
        QVERIFY2(QLineF(placed, at).length() < 1.0, "the waypoint lies under the finger");
        QTest::qWait(300);
        tap(touch, QPoint(60, 420)); // a tap keeps its rule: the first step, wherever it lands
        QTRY_COMPARE(m_plan->waypointCount(), 2);
        QCOMPARE(m_plan->waypoints()->coordinates().at(1).latitude, 43.003);
        QQuickItem *undo = find(root(), "undoTool");
        QTRY_VERIFY(undo->isVisible());
        tap(touch, centreOf(undo));
        QTRY_COMPARE(m_plan->waypointCount(), 1);
        QTest::qWait(300);
        tap(touch, centreOf(undo));
        QTRY_COMPARE(m_plan->waypointCount(), 0);
        QTRY_VERIFY(!undo->isVisible());
    }

    // A marker dragged by a finger (or the mouse) moves its waypoint under the pointer, not the
    // map; the path follows; the whole drag is one undo step.
    void markerDragMovesWaypointAndUndoes_data() { longPressAddsWhereHeldAndUndoes_data(); }
    void markerDragMovesWaypointAndUndoes()
    {
        QFETCH(bool, touch);
        m_plan->addWaypoint();
        m_plan->addWaypoint();
        const auto before = m_plan->waypoints()->coordinates();
        const MapRegion region = m_map->region();
        const QPoint from =
            m_map->mapToScene(m_map->coordinateToPoint(before[1].latitude, before[1].longitude)).toPoint();
        const QPoint to = from + QPoint(-70, 60);
        stroke(touch, from, to, 8);
        QTRY_COMPARE(m_plan->selectedWaypointInt(), 1);
        const auto after = m_plan->waypoints()->coordinates();
        QCOMPARE(after[0], before[0]);
        const QPointF placed = m_map->coordinateToPoint(after[1].latitude, after[1].longitude);
        QVERIFY2(QLineF(placed, m_map->mapFromScene(to)).length() < 1.5, "the waypoint lies under the finger");
        QCOMPARE(m_map->region().centerLatitude, region.centerLatitude);
        QCOMPARE(m_map->region().centerLongitude, region.centerLongitude);
        QTest::qWait(300);
        tap(touch, centreOf(find(root(), "undoTool")));
        QTRY_COMPARE(m_plan->waypoints()->coordinates(), before);
        QVERIFY(!m_plan->canUndo());
    }

    void panningWritesMapPosition()
    {
        QSignalSpy spy(m_plan, &FlightPlanModel::mapPositionChanged);
        m_map->panBy(50, 0);
        QVERIFY(spy.count() >= 1);
        QVERIFY(m_plan->mapPosition().centerLongitude < -84.0);
    }

    void uploadDoubleTapStartsOnce()
    {
        m_plan->addWaypoint();
        m_plan->setUploadDurationMs(300);
        m_screen->fakeSdk()->answer = DJICommandError{}; // the aircraft takes the plan
        QSignalSpy spy(m_plan, &FlightPlanModel::isUploadingMissionChanged);
        QQuickItem *upload = find(root(), "uploadButton");
        QVERIFY(upload && upload->isEnabled());
        QTest::mouseClick(view(), Qt::LeftButton, {}, centreOf(upload));
        QTest::mouseClick(view(), Qt::LeftButton, {}, centreOf(upload));
        QVERIFY(m_plan->isUploadingMission());
        QVERIFY(!upload->isEnabled());
        QCOMPARE(spy.count(), 1);
        QTRY_VERIFY(!m_plan->isUploadingMission());
        QCOMPARE(spy.count(), 2);
        QVERIFY(upload->isEnabled());
        // The screen's plan went to the app's aircraft, once, as it stood at the tap, and was
        // then flown. (The second click lands on the disabled button, and nowhere else.)
        QCOMPARE(m_screen->fakeSdk()->uploads.size(), 1);
        QTRY_COMPARE(m_screen->fakeSdk()->missions.size(), 1);
        const DJIWaypointMission &sent = m_screen->fakeSdk()->missions[0];
        QVERIFY(sent == m_screen->fakeSdk()->uploads[0]);
        QCOMPARE(sent.waypoints.size(), 1);
        for (int i = 0; i < sent.waypoints.size(); ++i) {
            QCOMPARE(sent.waypoints[i].latitude, m_plan->waypoints()->coordinates().at(i).latitude);
            QCOMPARE(sent.waypoints[i].longitude, m_plan->waypoints()->coordinates().at(i).longitude);
            QCOMPARE(sent.waypoints[i].height, 50.0);
        }
        QCOMPARE(sent.speed, 8.0);
    }

    void waypointRowTapSelectsAndDismisses()
    {
        for (int i = 0; i < 3; ++i)
            m_plan->addWaypoint();
        m_plan->setShowWaypointList(true);
        QTRY_VERIFY(sheetItem("waypointListSheet"));
        QQuickItem *sheet = sheetItem("waypointListSheet");
        auto *list = find(sheet, "waypointList");
        QVERIFY(list);
        QTest::qWait(600); // the sheet slides up
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, 2));
        QVERIFY(row);
        QTest::mouseClick(view(), Qt::LeftButton, {}, centreOf(row));
        QTRY_COMPARE(m_plan->selectedWaypointInt(), 2);
        QTRY_VERIFY(!m_plan->showWaypointList());
    }

    // The list's and the panel's controls answer a finger as well as the mouse, anywhere in the
    // 44 × 44 around the small ones: a row tap selects and closes; a swipe or the edit mode's
    // delete control shows Delete, whose tap removes that row only; the chevron opens the list;
    // the clear text empties the plan.
    void listAndPanelControls_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QPoint>("offset"); // from the small control's centre
        for (bool touch : {true, false}) {
            const char *dev = touch ? "touch" : "mouse";
            QTest::addRow("%s: row tap", dev) << touch << "rowTap" << QPoint();
            QTest::addRow("%s: swipe, Delete", dev) << touch << "swipe" << QPoint();
            QTest::addRow("%s: delete control, Delete", dev) << touch << "minus" << QPoint();
            QTest::addRow("%s: delete control left edge", dev) << touch << "minus" << QPoint(-20, 0);
            QTest::addRow("%s: delete control lower edge", dev) << touch << "minus" << QPoint(0, 20);
            QTest::addRow("%s: chevron", dev) << touch << "chevron" << QPoint();
            QTest::addRow("%s: chevron edge", dev) << touch << "chevron" << QPoint(20, -20);
            QTest::addRow("%s: clear", dev) << touch << "clear" << QPoint();
            QTest::addRow("%s: clear upper edge", dev) << touch << "clear" << QPoint(0, -20);
            QTest::addRow("%s: clear lower edge", dev) << touch << "clear" << QPoint(0, 20);
        }
    }
    void listAndPanelControls()
    {
        QFETCH(bool, touch);
        QFETCH(QString, action);
        QFETCH(QPoint, offset);
        for (int i = 0; i < 3; ++i)
            m_plan->addWaypoint();
        const auto before = m_plan->waypoints()->coordinates();

        if (action == QLatin1String("chevron") || action == QLatin1String("clear")) {
            QQuickItem *control = find(root(), action == QLatin1String("clear") ? "clearButton" : "showWaypointsButton");
            QVERIFY(control);
            QTRY_VERIFY(control->isVisible());
            QVERIFY(control->width() < 44 || control->height() < 44); // drawn smaller than a finger
            tap(touch, centreOf(control) + offset);
            if (action == QLatin1String("clear")) {
                QTRY_COMPARE(m_plan->waypointCount(), 0);
            } else {
                QTRY_VERIFY(m_plan->showWaypointList());
                QCOMPARE(m_plan->waypointCount(), 3);
            }
            return;
        }

        QQuickItem *sheet = openList();
        QVERIFY(sheet);
        QQuickItem *row = rowAt(sheet, action == QLatin1String("rowTap") ? 2 : 1);
        QVERIFY(row);
        if (action == QLatin1String("rowTap")) {
            tap(touch, centreOf(row));
            QTRY_COMPARE(m_plan->selectedWaypointInt(), 2);
            QTRY_VERIFY(!m_plan->showWaypointList());
            QCOMPARE(m_plan->waypointCount(), 3);
            return;
        }
        if (action == QLatin1String("swipe") || action == QLatin1String("minus")) {
            const QPoint from = row->mapToScene(QPointF(row->width() * 0.8, row->height() / 2)).toPoint();
            stroke(touch, from, from - QPoint(int(row->width() * 0.6), 0), 12);
        } else {
            tap(touch, centreOf(find(sheet, "editButton")));
            QTRY_VERIFY(sheet->property("editing").toBool());
            QQuickItem *minus = findItem(row, QStringLiteral("deleteControl"));
            QVERIFY(minus && minus->isVisible());
            QVERIFY(minus->width() < 44);
            tap(touch, centreOf(minus) + offset);
        }
        // Delete shows at the row's right; nothing is removed before it is tapped.
        QTRY_VERIFY(findItem(row, QStringLiteral("swipeDeleteButton")));
        QQuickItem *del = findItem(row, QStringLiteral("swipeDeleteButton"));
        QTRY_VERIFY(qAbs(del->mapToScene(QPointF(0, 0)).x() + del->width() - row->mapToScene(QPointF(row->width(), 0)).x()) <= 1);
        QObject *swipe = row->property("swipe").value<QObject *>();
        QTRY_VERIFY(swipe->property("complete").toBool()); // the row settles open
        QCOMPARE(swipe->property("position").toDouble(), -1.0);
        QCOMPARE(m_plan->waypointCount(), 3);
        const QPointer<QQuickItem> deleteItem(del);
        tap(touch, centreOf(del));
        QTRY_COMPARE(m_plan->waypointCount(), 2);
        QTRY_VERIFY2(!deleteItem, "the deleted row's Delete outlived its row");
        const auto after = m_plan->waypoints()->coordinates();
        QCOMPARE(after.at(0).latitude, before.at(0).latitude);
        QCOMPARE(after.at(1).latitude, before.at(2).latitude);
        QVERIFY(m_plan->showWaypointList()); // the list stays open
    }

    // On a phone on its side with both feature rows showing, the card stays below the title
    // bar and leaves the tool column clear; what it cannot show scrolls into view by finger.
    void panelFitsAPhoneOnItsSide()
    {
        view()->resize(844, 390);
        static const struct Flat : ElevationSource {
            std::optional<double> heightAt(double, double) const override { return 212.0; }
        } flat;
        m_plan->setGround(&flat);
        m_plan->addWaypoint();
        m_plan->setTerrainFollowEnabled(true);
        m_plan->setMultiBatteryEnabled(true);
        QQuickItem *panel = find(root(), "missionControlPanel");
        QQuickItem *upload = find(root(), "uploadButton");
        QQuickItem *scroller = find(root(), "panelScroller");
        QVERIFY(panel && upload && scroller);
        QTRY_VERIFY(scroller->property("interactive").toBool());
        const QRectF card = panel->mapRectToScene(panel->boundingRect());
        QVERIFY2(card.top() >= 44 && card.bottom() <= 390, qPrintable(QStringLiteral("card %1..%2").arg(card.top()).arg(card.bottom())));
        for (const char *tool : {"addTool", "listTool"}) {
            QQuickItem *t = find(root(), tool);
            QVERIFY(!card.intersects(t->mapRectToScene(t->boundingRect())));
        }
        const QPoint from = centreOf(find(root(), "waypointCount")) + QPoint(0, 40);
        stroke(true, from, from - QPoint(0, 200), 12);
        QTRY_VERIFY(!scroller->property("moving").toBool());
        QVERIFY(scroller->property("contentY").toDouble() > 0);
        const QRectF up = upload->mapRectToScene(upload->boundingRect());
        QVERIFY2(up.bottom() <= card.bottom() + 0.5, qPrintable(QStringLiteral("upload ends at %1").arg(up.bottom())));
        tap(true, centreOf(upload));
        QVERIFY(m_plan->isUploadingMission());
        m_plan->cancelUpload();
    }

    // Every row of the open list looks as the plan says after a delete or a move: gold title
    // only at the stored position, however the delegates shifted.
    void listRowsRestyleAfterEdits_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<int>("destination");
        QTest::newRow("delete above selection") << 2 << "delete" << QList<int>{0} << 0;
        QTest::newRow("delete leaves stale selection") << 3 << "delete" << QList<int>{1} << 0;
        QTest::newRow("delete selected") << 1 << "delete" << QList<int>{1} << 0;
        QTest::newRow("move selected down") << 0 << "move" << QList<int>{0} << 3;
        QTest::newRow("move other over selection") << 1 << "move" << QList<int>{3} << 0;
        QTest::newRow("move two") << 2 << "move" << QList<int>{0, 3} << 2;
    }
    void listRowsRestyleAfterEdits()
    {
        QFETCH(int, selected);
        QFETCH(QString, edit);
        QFETCH(QList<int>, positions);
        QFETCH(int, destination);
        for (int i = 0; i < 4; ++i)
            m_plan->addWaypoint();
        m_plan->selectWaypoint(selected);
        m_plan->setShowWaypointList(true);
        QTRY_VERIFY(sheetItem("waypointListSheet"));
        auto *list = find(sheetItem("waypointListSheet"), "waypointList");
        QVERIFY(list);
        QTRY_COMPARE(list->property("count").toInt(), 4);
        if (edit == QLatin1String("delete"))
            m_plan->deleteWaypoints(positions);
        else
            m_plan->moveWaypoints(positions, destination);
        const int n = m_plan->waypointCount();
        QTRY_COMPARE(list->property("count").toInt(), n);
        QTest::qWait(50);
        const int marked = m_plan->markedWaypoint();
        for (int i = 0; i < n; ++i) {
            QQuickItem *row = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, i));
            QVERIFY(row);
            auto *title = row->findChild<QQuickItem *>(QStringLiteral("rowTitle"));
            QVERIFY(title);
            QCOMPARE(title->property("text").toString(), QStringLiteral("WP %1").arg(i + 1));
            const QColor want = i == marked ? zeltrin::palette().themeGold : QColor(Qt::white);
            QCOMPARE(title->property("color").value<QColor>(), want);
        }
    }

    // The uploading row (spinner, 8 apart, label) sits centred in the button, on its middle line.
    void uploadSpinnerCentredBeforeLabel()
    {
        m_plan->addWaypoint();
        m_plan->setUploadDurationMs(5000);
        QQuickItem *upload = find(root(), "uploadButton");
        m_plan->executeMission();
        QVERIFY(m_plan->isUploadingMission());
        auto *spinner = find(upload, "uploadSpinner");
        auto *text = find(upload, "uploadingText");
        QVERIFY(spinner && text);
        QTRY_VERIFY(spinner->isVisible());
        QCOMPARE(text->property("text").toString(), QStringLiteral("Uploading Mission..."));
        const auto spinnerRect = [&] { return spinner->mapRectToItem(upload, spinner->boundingRect()); };
        const auto textRect = [&] { return text->mapRectToItem(upload, text->boundingRect()); };
        // The row lays itself out on the next polish.
        QTRY_VERIFY2(qAbs(spinnerRect().left() - (upload->width() - textRect().right())) <= 1.0, "row not centred");
        const QRectF s = spinnerRect(), t = textRect();
        QCOMPARE(s.width(), 18.0);
        QVERIFY(qAbs(t.left() - s.right() - 8) <= 0.5);
        QVERIFY(qAbs(s.center().y() - upload->height() / 2) <= 0.5);
        QVERIFY(s.left() > 16);
        m_plan->cancelUpload();
        QTRY_VERIFY(!spinner->isVisible());
    }

    void shotDesignerKeepsValuesAcrossReopen()
    {
        m_plan->setShowShotDesigner(true);
        QTRY_VERIFY(sheetItem("shotDesignerSheet"));
        QTest::qWait(600);
        m_plan->shotDesignerSettings()->setHeight(40);
        m_plan->shotDesignerSettings()->setSelectedShotIndex(2);
        // Apply closes the sheet and changes nothing else.
        QQuickItem *apply = find(sheetItem("shotDesignerSheet"), "applyButton");
        QVERIFY(apply);
        QMetaObject::invokeMethod(apply, "clicked");
        QTRY_VERIFY(!m_plan->showShotDesigner());
        QCOMPARE(m_plan->waypointCount(), 0);
        QCOMPARE(m_plan->missionAltitude(), 50.0);
        m_plan->setShowShotDesigner(true);
        QTRY_VERIFY(sheetItem("shotDesignerSheet"));
        QCOMPARE(m_plan->shotDesignerSettings()->height(), 40.0);
        QCOMPARE(m_plan->shotDesignerSettings()->selectedShot(), zeltrin::CinematicShot::helix);
    }

    void previewTakesCopiesWhenOpened()
    {
        for (int i = 0; i < 4; ++i)
            m_plan->addWaypoint();
        m_plan->setMissionAltitude(120);
        m_plan->setShow3DPreview(true);
        QTRY_VERIFY(sheetItem("previewSheet"));
        auto *preview = sheetItem("previewSheet")->property("preview").value<Mission3DPreviewModel *>();
        QVERIFY(preview);
        QCOMPARE(preview->waypointCount(), 4);
        QCOMPARE(preview->altitudeText(), QStringLiteral("120m"));
        m_plan->addWaypoint(); // later edits do not reach the open preview
        QCOMPARE(preview->waypointCount(), 4);
        preview->togglePlayback();
        QVERIFY(preview->isAnimating());
        QQuickItem *done = find(sheetItem("previewSheet"), "doneButton");
        QMetaObject::invokeMethod(done, "clicked");
        QTRY_VERIFY(!m_plan->show3DPreview());
    }
};

QTEST_MAIN(TestFlightPlanView)
#include "tst_flightplanview.moc"
