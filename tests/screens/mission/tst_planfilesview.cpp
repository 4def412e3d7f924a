// The flight plan screen's "Plan" menu and plan files, driven by touch in the screen itself.
// The file dialogs are only checked to open; files are handed to the model by path.
#include "FlightPlanModel.h"
#include "PlanFormats.h"
#include "ScreenHarness.h"
#include "TileMapItem.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::Coordinate;
using zeltrin::MissionPlan;
namespace planio = zeltrin::planio;

namespace {
MissionPlan gridPlan(int n)
{
    MissionPlan p;
    for (int i = 0; i < n; ++i)
        p.waypoints.append({47.30 + 0.001 * (i % 100), 8.50 + 0.001 * (i / 100)});
    p.altitude = 80;
    p.altitudeReference = zeltrin::HeightReference::Ground; // with terrain follow
    p.speed = 5;
    p.terrainFollow = true;
    return p;
}
} // namespace

class TestPlanFilesView : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScreenHarness> m_screen;
    FlightPlanModel *m_plan = nullptr;
    TileMapItem *m_map = nullptr;
    QTemporaryDir m_dir;

    QQuickItem *root() const { return m_screen->root(); }
    QQuickView *view() const { return m_screen->view(); }
    // Popups live in the window's overlay, outside the screen's own tree.
    QQuickItem *item(const char *name) const { return m_screen->find(QString::fromLatin1(name)); }
    QObject *screenProperty(const char *name) const { return root()->property(name).value<QObject *>(); }
    void touchTap(QQuickItem *it)
    {
        QVERIFY(it);
        m_screen->tap(it, true, 0, 30);
    }
    QString write(const char *name, const QByteArray &bytes)
    {
        const QString p = m_dir.filePath(QString::fromUtf8(name));
        QFile f(p);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return p;
    }
    QString planFile(int n)
    {
        return write("grid.plan", planio::writeQgcPlan(gridPlan(n)));
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

    // Each row of the menu, tapped with a finger, closes the menu and opens its sheet or dialog.
    void menuByTouch_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("shown"); // a sheet or a dialog of the screen
        QTest::newRow("open") << QByteArray("planOpen") << QByteArray("librarySheet");
        QTest::newRow("save") << QByteArray("planSave") << QByteArray("nameSheet");
        QTest::newRow("import") << QByteArray("planImport") << QByteArray("importDialog");
        QTest::newRow("export") << QByteArray("planExport") << QByteArray("exportDialog");
    }
    void menuByTouch()
    {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, shown);
        QObject *menu = screenProperty("planMenu");
        touchTap(item("planMenuButton"));
        QTRY_VERIFY(menu->property("opened").toBool());
        QTRY_VERIFY(item(row.constData()));
        touchTap(item(row.constData()));
        QTRY_VERIFY(!menu->property("visible").toBool());
        QObject *d = screenProperty(shown.constData());
        QTRY_VERIFY(d->property("visible").toBool());
        if (shown.endsWith("Dialog"))
            QMetaObject::invokeMethod(d, "reject");
        else
            QMetaObject::invokeMethod(d, "dismiss");
        QTRY_VERIFY(!d->property("visible").toBool());
    }

    // Into an empty plan: no question, one model reset, the file's values, the map fitted, in
    // portrait and on its side (the map then sits beside the panel, not under it).
    void opensIntoEmptyPlanAndFits_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("390x844") << QSize(390, 844);
        QTest::newRow("844x390") << QSize(844, 390);
        QTest::newRow("1180x820") << QSize(1180, 820);
    }
    void opensIntoEmptyPlanAndFits()
    {
        QFETCH(QSize, size);
        view()->resize(size);
        QTRY_COMPARE(root()->size(), QSizeF(size));
        m_map->setAttribution(QStringLiteral("Test imagery")); // the tests' sources have none
        QSignalSpy resets(m_plan->waypoints(), &QAbstractItemModel::modelReset);
        QSignalSpy inserts(m_plan->waypoints(), &QAbstractItemModel::rowsInserted);
        QVERIFY(m_plan->openPlan(QUrl::fromLocalFile(planFile(1000)).toString()));
        QVERIFY(!m_plan->replacePending());
        QCOMPARE(m_plan->waypointCount(), 1000);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(m_plan->missionAltitude(), 80.0);
        QCOMPARE(m_plan->missionSpeed(), 5.0);
        QVERIFY(m_plan->terrainFollowEnabled());
        QVERIFY(m_plan->fileMessage().isEmpty());
        QVariant area;
        QMetaObject::invokeMethod(root(), "fitArea", Q_RETURN_ARG(QVariant, area));
        const QRectF fit = area.toRectF().adjusted(-1, -1, 1, 1);
        // Nothing covers it, not even by a marker's radius.
        for (const char *name : {"missionControlPanel", "addTool", "previewTool", "mapAttribution"}) {
            QQuickItem *cover = item(name);
            // The credit shows only over drawn imagery (none here), but keeps its place.
            QVERIFY2(cover && (cover->isVisible() || qstrcmp(name, "mapAttribution") == 0), name);
            const QRectF r = cover->mapRectToItem(root(), QRectF(0, 0, cover->width(), cover->height()));
            QVERIFY2(!fit.adjusted(-14, -14, 14, 14).intersects(r), name);
        }
        // The fit area is in the screen's coordinates.
        const auto onScreen = [&](double lat, double lon) {
            return m_map->mapToItem(root(), m_map->coordinateToPoint(lat, lon));
        };
        for (const Coordinate c : {Coordinate{47.30, 8.50}, Coordinate{47.399, 8.509}})
            QVERIFY2(fit.contains(onScreen(c.latitude, c.longitude)), qPrintable(QString::number(c.latitude)));
        // Large enough to see: the plan spans most of the area one way.
        const QPointF a = onScreen(47.30, 8.50), b = onScreen(47.399, 8.509);
        QVERIFY(std::abs(a.y() - b.y()) > fit.height() * 0.8 || std::abs(a.x() - b.x()) > fit.width() * 0.8);
        QCOMPARE(m_plan->mapPosition(), m_map->region());
    }

    // Over a plan with waypoints it asks first; Cancel keeps the plan, Replace takes the file.
    void replaceAsksFirst()
    {
        for (int i = 0; i < 3; ++i)
            m_plan->addWaypoint();
        const auto before = m_plan->waypoints()->coordinates();
        const QString file = planFile(5);
        QVERIFY(m_plan->openPlan(file));
        QVERIFY(m_plan->replacePending());
        QCOMPARE(m_plan->waypoints()->coordinates(), before);
        QTRY_VERIFY(item("cancelAction") && item("cancelAction")->isVisible());
        QTest::qWait(350); // the sheet slides up
        touchTap(item("cancelAction"));
        QTRY_VERIFY(!m_plan->replacePending());
        QCOMPARE(m_plan->waypoints()->coordinates(), before);

        QVERIFY(m_plan->openPlan(file));
        QCOMPARE(screenProperty("replaceConfirm")->property("title").toString(), "Replace the current plan?");
        QTest::qWait(350);
        touchTap(item("destructiveAction"));
        QTRY_COMPARE(m_plan->waypointCount(), 5);
        QVERIFY(!m_plan->replacePending());
    }

    void failureLeavesPlanUntouched_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("damaged")
            << QByteArray("damaged.plan") << planio::writeQgcPlan(gridPlan(3)).left(90)
            << "\u201Cdamaged.plan\u201D could not be opened: the plan file is damaged: it ends unexpectedly at line 1.";
        QTest::newRow("empty") << QByteArray("empty.kml") << QByteArray()
                               << "\u201Cempty.kml\u201D could not be opened: the file is empty.";
        QTest::newRow("wrong format")
            << QByteArray("photo.plan") << QByteArray("\x89PNG\r\n")
            << "\u201Cphoto.plan\u201D could not be opened: this is a PNG image, not a QGroundControl plan.";
        QTest::newRow("no positions")
            << QByteArray("none.geojson") << QByteArray(R"({"type":"FeatureCollection","features":[]})")
            << "\u201Cnone.geojson\u201D could not be opened: the GeoJSON has no feature with a position.";
        QTest::newRow("over 50 MB") << QByteArray("huge.plan") << QByteArray("huge")
                                    << "\u201Chuge.plan\u201D could not be opened: the file is larger than 50 MB.";
    }
    void failureLeavesPlanUntouched()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = write(name.constData(), bytes);
        if (bytes == "huge")
            QVERIFY(QFile(path).resize(planio::kMaxFileBytes + 1));
        m_plan->addWaypoint();
        m_plan->addWaypoint();
        m_plan->setSelectedWaypointInt(1);
        m_plan->setMissionAltitude(33);
        const auto before = m_plan->waypoints()->coordinates();
        QVERIFY(!m_plan->openPlan(path));
        QCOMPARE(m_plan->waypoints()->coordinates(), before);
        QCOMPARE(m_plan->selectedWaypointInt(), 1);
        QCOMPARE(m_plan->missionAltitude(), 33.0);
        QVERIFY(!m_plan->replacePending());
        QVERIFY(m_plan->fileMessageIsError());
        QCOMPARE(m_plan->fileMessage(), message);
        QQuickItem *banner = item("planFileMessage");
        QVERIFY(banner && banner->isVisible());
        // It stays clear of the tool column, and a tap puts it away.
        QQuickItem *tools = item("addTool");
        QVERIFY(banner->mapRectToScene(banner->boundingRect()).right() < tools->mapRectToScene(tools->boundingRect()).left());
        touchTap(banner);
        QTRY_VERIFY(!banner->isVisible());
    }

    void skippedItemsAreReported()
    {
        const QByteArray wpl = "QGC WPL 110\n0\t1\t0\t16\t0\t0\t0\t0\t47\t8\t0\t1\n1\t0\t3\t16\t0\t0\t0\t0\t47.1\t8.1\t30\t1\n"
                               "2\t0\t2\t206\t1\t0\t0\t0\t0\t0\t0\t1\n3\t0\t2\t203\t1\t0\t0\t0\t0\t0\t0\t1\n4\t0\t2\t20\t0\t0\t0\t0\t0\t0\t0\t1\n";
        QVERIFY(m_plan->openPlan(write("camera.waypoints", wpl)));
        QCOMPARE(m_plan->waypointCount(), 1);
        QCOMPARE(m_plan->fileMessage(), "3 items without a position were skipped");
        QVERIFY(!m_plan->fileMessageIsError());
    }

    void saveByName()
    {
        QVERIFY(!m_plan->savePlan(m_dir.filePath("nothing.plan")));
        QCOMPARE(m_plan->fileMessage(), "\u201Cnothing.plan\u201D could not be saved: the plan has no waypoints.");
        for (int i = 0; i < 4; ++i)
            m_plan->addWaypoint();
        m_plan->setMissionSpeed(12);
        QVERIFY(m_plan->savePlan(QUrl::fromLocalFile(m_dir.filePath("out.kml")).toString()));
        QCOMPARE(m_plan->fileMessage(), "Saved \u201Cout.kml\u201D.");
        auto r = planio::readPlanFile(m_dir.filePath("out.kml"));
        QVERIFY(r.ok());
        QCOMPARE(r.plan->waypoints, m_plan->waypoints()->coordinates());
        QCOMPARE(r.plan->speed, 12.0);
        QVERIFY(m_plan->savePlan(m_dir.filePath("noextension")));
        QVERIFY(QFile::exists(m_dir.filePath("noextension.plan")));
    }

    // At the smallest phone and a phone on its side, the menu button and the open menu fit.
    void fitsSmallWindows_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("320x568") << QSize(320, 568);
        QTest::newRow("844x390") << QSize(844, 390);
    }
    void fitsSmallWindows()
    {
        QFETCH(QSize, size);
        view()->resize(size);
        QTRY_COMPARE(root()->size(), QSizeF(size));
        const QRectF window(QPointF(0, 0), QSizeF(size));
        QQuickItem *button = item("planMenuButton");
        QVERIFY(window.contains(button->mapRectToScene(button->boundingRect())));
        touchTap(button);
        QTRY_VERIFY(screenProperty("planMenu")->property("opened").toBool());
        for (const char *row : {"planOpen", "planSave", "planImport", "planExport", "planDownloadArea"}) {
            QQuickItem *r = item(row);
            QVERIFY(r && r->height() >= 44);
            QVERIFY2(window.contains(r->mapRectToScene(r->boundingRect())), row);
        }
    }
};

QTEST_MAIN(TestPlanFilesView)
#include "tst_planfilesview.moc"
