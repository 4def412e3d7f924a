// "Download Map Area…" on the flight plan screen, by touch, against the local tile server: the
// card's zoom range and estimate, the download with pause and resume, and the map drawing the
// area from the store once the server is gone.
#include "AreaSelectModel.h"
#include "OfflineMaps.h"
#include "ScreenHarness.h"
#include "TileMapItem.h"
#include "TileServer.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

class TestOfflineAreaView : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    TileServer m_server;
    OfflineMaps *m_maps = nullptr;
    std::unique_ptr<ScreenHarness> m_screen;
    TileMapItem *m_map = nullptr;

    QQuickItem *root() const { return m_screen->root(); }
    QQuickItem *item(const char *name) const { return m_screen->find(QString::fromLatin1(name)); }
    void touchTap(QQuickItem *it)
    {
        QVERIFY(it);
        QVERIFY2(it->isVisible(), it->objectName().toUtf8().constData());
        m_screen->tap(it, true, 0, 30);
    }
    AreaSelectModel *select() const { return root()->property("areaSelect").value<AreaSelectModel *>(); }
    // The flight plan screen in a new window, its map on no imagery until the test says.
    bool loadPlanner()
    {
        if (!m_screen->load(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml"))))
            return false;
        m_map = root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        if (!m_map)
            return false;
        m_map->setLabelsUrlTemplate({});
        m_map->setImageryUrlTemplate({});
        return true;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init()
    {
        OfflineMaps::Options o;
        o.storePath = m_dir.filePath(QStringLiteral("offline.mbtiles"));
        o.download.batchMs = 50;
        o.download.backoffMs = 20;
        ZeltrinPilotApp::Dependencies deps;
        auto maps = std::make_unique<OfflineMaps>(o);
        m_maps = maps.get();
        deps.offlineMaps = std::move(maps);
        m_screen = std::make_unique<ScreenHarness>(std::move(deps));
        QVERIFY(loadPlanner());
        // The local tile server only: the map asks for tiles from its first frame.
        m_map->setImageryUrlTemplate(m_server.urlTemplate(QStringLiteral("imagery")));
        m_screen->show();
        QVERIFY(m_screen->waitExposed());
        m_map->fitBounds(47.370, 8.530, 47.385, 8.550);
        QTRY_VERIFY(m_maps->ready());
    }
    void cleanup() { m_screen.reset(); }

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

    // "Hide" on a running download leaves a small mark in the bar until the download ends; a
    // tap on it brings the card back.
    void hiddenDownloadLeavesAMark()
    {
        touchTap(item("planMenuButton"));
        touchTap(item("planDownloadArea"));
        m_server.hold = true;
        touchTap(item("areaDownload"));
        QTRY_VERIFY(m_maps->downloadActive());
        QVERIFY(!item("downloadMark")->isVisible()); // the card says it all
        QCOMPARE(item("downloadClose")->property("text").toString(), QStringLiteral("Hide"));
        touchTap(item("downloadClose"));
        QVERIFY(!root()->property("choosingArea").toBool());
        QVERIFY(m_maps->downloadActive());
        touchTap(item("downloadMark"));
        QVERIFY(root()->property("choosingArea").toBool());
        QVERIFY(item("downloadProgressBar")->isVisible());
        QVERIFY(!item("downloadMark")->isVisible());
        touchTap(item("downloadClose"));
        QVERIFY(item("downloadMark")->isVisible());
        m_server.hold = false;
        m_server.releaseAll();
        QTRY_VERIFY_WITH_TIMEOUT(!m_maps->downloadActive(), 60000);
        QVERIFY(!item("downloadMark")->isVisible());
        QVERIFY(!root()->property("choosingArea").toBool());
    }

    // With the server gone, the framed area still draws: every tile on screen from the store.
    void theMapDrawsTheAreaOffline()
    {
        QVERIFY(m_maps->startDownload(47.360, 8.515, 47.395, 8.565, 12, 15, m_map->imageryUrlTemplate()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_maps->downloadActive(), 60000);
        m_server.stop();
        QVERIFY(loadPlanner()); // a new screen: nothing of the old map in memory
        m_screen->show();
        QVERIFY(m_screen->waitExposed());
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
