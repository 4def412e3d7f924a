// "Download Map Area…" on the flight plan screen, by touch, against the local tile server: the
// card's zoom range and estimate, the download with pause and resume, and the map drawing the
// area from the store once the server is gone.
#include "AreaSelectModel.h"
#include "FakeDJISDK.h"
#include "OfflineMaps.h"
#include "QmlSetup.h"
#include "QuickItems.h"
#include "TileMapItem.h"
#include "TileServer.h"
#include "ZeltrinPilotApp.h"

#include <QPointingDevice>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

namespace {
QPointingDevice *touchscreen()
{
    static QPointingDevice *const dev = QTest::createTouchDevice();
    return dev;
}
} // namespace

class TestOfflineAreaView : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    TileServer m_server;
    OfflineMaps *m_maps = nullptr;
    std::unique_ptr<ZeltrinPilotApp> m_app;
    std::unique_ptr<QQuickView> m_view;
    TileMapItem *m_map = nullptr;

    QQuickItem *root() const { return m_view->rootObject(); }
    QQuickItem *item(const char *name) const { return findItem(m_view->contentItem(), QString::fromLatin1(name)); }
    void touchTap(QQuickItem *it)
    {
        QVERIFY(it);
        QVERIFY2(it->isVisible(), it->objectName().toUtf8().constData());
        const QPoint p = it->mapToScene(QPointF(it->width() / 2, it->height() / 2)).toPoint();
        QTest::touchEvent(m_view.get(), touchscreen()).press(0, p, m_view.get());
        QTest::touchEvent(m_view.get(), touchscreen()).release(0, p, m_view.get());
        QTest::qWait(30);
    }
    AreaSelectModel *select() const { return root()->property("areaSelect").value<AreaSelectModel *>(); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init()
    {
        OfflineMaps::Options o;
        o.storePath = m_dir.filePath(QStringLiteral("offline.mbtiles"));
        o.download.batchMs = 50;
        o.download.backoffMs = 20;
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        auto maps = std::make_unique<OfflineMaps>(o);
        m_maps = maps.get();
        deps.offlineMaps = std::move(maps);
        m_app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        m_app->droneManager()->setLogSink([](const QString &) {});
        m_view = std::make_unique<QQuickView>();
        zeltrin::setupEngine(*m_view->engine());
        m_app->attachTo(*m_view->engine());
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->resize(390, 844);
        m_view->setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml")));
        QCOMPARE(m_view->status(), QQuickView::Ready);
        m_map = root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        QVERIFY(m_map);
        // The local tile server only: the map asks for tiles from its first frame.
        m_map->setLabelsUrlTemplate({});
        m_map->setImageryUrlTemplate(m_server.urlTemplate(QStringLiteral("imagery")));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_map->fitBounds(47.370, 8.530, 47.385, 8.550);
        QTRY_VERIFY(m_maps->ready());
    }
    void cleanup()
    {
        m_view.reset();
        m_app.reset();
    }

    void chooseAndDownloadByTouch()
    {
        touchTap(item("planMenuButton"));
        touchTap(item("planDownloadArea"));
        QVERIFY(root()->property("choosingArea").toBool());
        QVERIFY(item("areaFrame")->isVisible());
        QVERIFY(!item("missionControlPanel")->isVisible());
        // The map's zoom, to three deeper.
        const int zoom = int(std::floor(m_map->zoomLevel()));
        QCOMPARE(select()->minZoom(), zoom);
        QCOMPARE(select()->maxZoom(), zoom + 3);
        touchTap(item("maxZoomStepperLower"));
        QCOMPARE(select()->maxZoom(), zoom + 2);
        const qint64 tiles = select()->tileCount();
        QVERIFY(tiles > 10 && tiles < 2000);
        QCOMPARE(item("areaEstimate")->property("text").toString(),
                 QStringLiteral("%1 tiles \u00b7 about %2").arg(OfflineMaps::countText(tiles),
                                                              OfflineMaps::bytesText(qint64(select()->estimatedBytes()))));

        // The frame is what the download covers: panning moves it with the map.
        const double north = select()->north();
        m_map->panBy(0, 40);
        QVERIFY(select()->north() > north);
        QCOMPARE(select()->tileCount(), tiles == select()->tileCount() ? tiles : select()->tileCount());

        m_server.hold = true;
        touchTap(item("areaDownload"));
        QTRY_VERIFY(m_maps->downloadActive());
        QTRY_VERIFY(item("downloadProgressBar")->isVisible());
        QVERIFY(!item("areaFrame")->isVisible());
        touchTap(item("downloadPauseResume"));
        QVERIFY(m_maps->downloadPaused());
        QCOMPARE(item("downloadStatus")->property("text").toString(), QStringLiteral("Paused"));
        QCOMPARE(item("downloadPauseResume")->property("text").toString(), QStringLiteral("Resume"));
        m_server.hold = false;
        m_server.releaseAll();
        touchTap(item("downloadPauseResume"));
        QVERIFY(!m_maps->downloadPaused());
        QTRY_VERIFY2_WITH_TIMEOUT(!m_maps->downloadActive(), qPrintable(m_maps->downloadText() + QLatin1Char(' ') + item("downloadStatus")->property("text").toString()), 60000);
        QVERIFY2(m_maps->downloadMessage().endsWith(QStringLiteral("is ready for offline use.")),
                 qPrintable(m_maps->downloadMessage()));
        QCOMPARE(item("downloadClose")->property("text").toString(), QStringLiteral("Done"));
        touchTap(item("downloadClose"));
        QVERIFY(!root()->property("choosingArea").toBool());
        QVERIFY(item("missionControlPanel")->isVisible());
        QVERIFY(m_maps->downloadMessage().isEmpty());
    }

    // With the server gone, the framed area still draws: every tile on screen from the store.
    void theMapDrawsTheAreaOffline()
    {
        QVERIFY(m_maps->startDownload(47.360, 8.515, 47.395, 8.565, 12, 15, m_map->imageryUrlTemplate()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_maps->downloadActive(), 60000);
        m_server.stop();
        m_view.reset(); // a new screen: nothing of the old map in memory
        m_view = std::make_unique<QQuickView>();
        zeltrin::setupEngine(*m_view->engine());
        m_app->attachTo(*m_view->engine());
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->resize(390, 844);
        m_view->setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml")));
        m_map = root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        QVERIFY(m_map);
        m_map->setLabelsUrlTemplate({});
        m_map->setImageryUrlTemplate({}); // until the map is on the area
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_map->fitBounds(47.372, 8.530, 47.383, 8.548);
        m_map->setImageryUrlTemplate(m_server.urlTemplate(QStringLiteral("imagery")));
        QTRY_VERIFY(m_map->visibleTileCount() > 0);
        QTRY_COMPARE(m_map->loader().offlineHits(), m_map->visibleTileCount());
        QCOMPARE(m_map->loader().failedCount(), 0);
        QVERIFY(m_server.listen());
    }
};

QTEST_MAIN(TestOfflineAreaView)
#include "tst_offlineareaview.moc"
