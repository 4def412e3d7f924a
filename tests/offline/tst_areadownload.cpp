// Downloading an area from the local tile server, through the app's offline maps on their own
// thread: failures retried and counted, bodies that are no image refused, a server that goes
// away waited for, a full disk stopping the download with the file consistent, a download cut
// off by the end of the process going on at the next start, and an area held drawing with the
// network gone.
#include "OfflineMaps.h"
#include "TileLoader.h"
#include "TileServer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin::offline;

namespace {

// 110 tiles: z12 to z15 over a few kilometres.
const GeoBounds kField{47.34, 8.50, 47.40, 8.58};
constexpr int kFieldMinZoom = 12;
constexpr int kFieldMaxZoom = 15;

OfflineMaps::Options fastOptions(const QString &dir)
{
    OfflineMaps::Options o;
    o.storePath = dir + QStringLiteral("/offline.mbtiles");
    o.download.backoffMs = 20;
    o.download.probeMs = 100;
    o.download.batchMs = 50;
    o.download.batchTiles = 8;
    return o;
}

bool waitReady(OfflineMaps &maps)
{
    return QTest::qWaitFor([&] { return maps.ready(); }, 10000);
}

bool start(OfflineMaps &maps, const TileServer &server)
{
    return maps.startDownload(kField.south, kField.west, kField.north, kField.east, kFieldMinZoom, kFieldMaxZoom,
                              server.urlTemplate(QStringLiteral("imagery")));
}

bool waitEnded(OfflineMaps &maps, int ms = 30000)
{
    return QTest::qWaitFor([&] { return !maps.downloadActive() || !maps.downloadMessage().isEmpty(); }, ms);
}

// The store's own count of the tiles it holds, asked on its thread.
qint64 heldTiles(OfflineMaps &maps)
{
    qint64 n = -1;
    maps.onStore([&n](OfflineStore &s) { n = s.tileTotal(); });
    maps.waitForStore();
    return n;
}

QString tilePath(const TileAddress &t)
{
    return QStringLiteral("/imagery/%1/%2/%3.png").arg(t.z).arg(t.x).arg(t.y);
}

QList<TileAddress> fieldTiles()
{
    QList<TileAddress> out;
    forEachTile(kField, kFieldMinZoom, kFieldMaxZoom, [&](int z, int x, int y) {
        out.append({z, x, y});
        return true;
    });
    return out;
}

} // namespace

class TestAreaDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void anAreaIsDownloadedWhole();
    void failingTilesAreRetriedAndCounted_data();
    void failingTilesAreRetriedAndCounted();
    void aServerThatStopsIsWaitedFor();
    void pauseResumeAndCancel();
    void aDownloadDroppedMidWayLeavesNothingRunning_data();
    void aDownloadDroppedMidWayLeavesNothingRunning();
    void aPauseBeforeTheFirstRequestHolds();
    void aFullDiskStopsTheDownloadCleanly();
    void aDownloadCutOffGoesOnAtTheNextStart();
    void aKilledProcessResumesWithNothingLostOrTwice();
    void anAreaHeldDrawsWithTheNetworkGone();
    void tooLargeAnAreaIsRefused();
};

void TestAreaDownload::anAreaIsDownloadedWhole()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QVERIFY(maps.downloadActive());
    QVERIFY(waitEnded(maps));
    const qint64 total = tileCount(kField, kFieldMinZoom, kFieldMaxZoom);
    QCOMPARE(maps.downloadMessage(), QStringLiteral("%1 is ready for offline use.").arg(maps.downloadName()));
    QVERIFY(!maps.downloadMessageIsError());
    QCOMPARE(heldTiles(maps), total);
    QCOMPARE(server.requests(), int(total));
    QVERIFY(server.peakOpen() <= 6);
    QVERIFY(!server.userAgents.isEmpty());
    QVERIFY2(server.userAgents.first().startsWith("ZeltrinPilot/"), server.userAgents.first().constData());
    QTRY_COMPARE(maps.areas()->count(), 1);
    QTRY_COMPARE(maps.areas()->list().first().state, AreaState::complete);
    const OfflineArea a = maps.areas()->list().first();
    QCOMPARE(a.heldCount, total);
    QCOMPARE(OfflineAreaListModel::statusText(a), QString());
    QVERIFY(OfflineAreaListModel::detailText(a).startsWith(QStringLiteral("Zoom 12\u201315 \u00b7 ")));

    // A second area over the first asks only for what it adds.
    const int before = server.requests();
    QVERIFY(maps.startDownload(kField.south, kField.west, kField.north, kField.east, kFieldMinZoom, kFieldMaxZoom + 1,
                               server.urlTemplate(QStringLiteral("imagery"))));
    QVERIFY(waitEnded(maps));
    QCOMPARE(server.requests() - before, int(tileCount(kField, kFieldMaxZoom + 1, kFieldMaxZoom + 1)));
}

void TestAreaDownload::failingTilesAreRetriedAndCounted_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("failedTiles");
    // Three retries: a tile that fails three times still arrives on the fourth try.
    QTest::newRow("500 twice") << 500 << 2 << 0;
    QTest::newRow("429 three times") << 429 << 3 << 0;
    QTest::newRow("404 always") << 404 << 100 << 3;
    QTest::newRow("500 always") << 500 << 100 << 3;
    QTest::newRow("corrupt body always") << 0 << 100 << 3;
}

void TestAreaDownload::failingTilesAreRetriedAndCounted()
{
    QFETCH(int, status);
    QFETCH(int, times);
    QFETCH(int, failedTiles);
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    const QList<TileAddress> tiles = fieldTiles();
    for (int i : {1, 7, 60}) {
        if (status == 0)
            server.corruptPaths.insert(tilePath(tiles[i]));
        else
            server.failing.insert(tilePath(tiles[i]), {status, times});
    }
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QVERIFY(waitEnded(maps));
    QCOMPARE(maps.downloadFailures(), failedTiles);
    QCOMPARE(heldTiles(maps), tiles.size() - failedTiles);
    // What failed is not kept in any form: those tiles are simply missing.
    for (int i : {1, 7, 60}) {
        std::optional<QByteArray> held;
        maps.onStore([&](OfflineStore &s) { held = s.tile(tiles[i].z, tiles[i].x, tiles[i].y); });
        maps.waitForStore();
        QCOMPARE(held.has_value(), failedTiles == 0);
    }
    QTRY_COMPARE(maps.areas()->count(), 1);
    QTRY_COMPARE(maps.areas()->list().first().state, failedTiles == 0 ? AreaState::complete : AreaState::partial);
    const OfflineArea a = maps.areas()->list().first();
    if (failedTiles) {
        QVERIFY(maps.downloadMessageIsError());
        QVERIFY2(maps.downloadMessage().contains(QStringLiteral("3 of its tiles could not be downloaded")),
                 qPrintable(maps.downloadMessage()));
        QCOMPARE(OfflineAreaListModel::statusText(a),
                 QStringLiteral("Incomplete \u00b7 %1 of %2 tiles").arg(tiles.size() - 3).arg(tiles.size()));
    }
}

void TestAreaDownload::aServerThatStopsIsWaitedFor()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    server.hold = true;
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QTRY_VERIFY(server.openCount() >= 4);
    server.releaseAll(); // a few arrive, then the server is gone
    server.hold = false;
    QTest::qWait(20);
    server.stop();
    QTRY_VERIFY_WITH_TIMEOUT(maps.downloadWaiting(), 10000);
    QTest::qWait(400); // several probes find nothing
    QVERIFY(maps.downloadActive());
    QCOMPARE(maps.downloadFailures(), 0);
    QVERIFY(server.listen());
    QVERIFY(waitEnded(maps));
    QCOMPARE(maps.downloadFailures(), 0);
    QCOMPARE(heldTiles(maps), tileCount(kField, kFieldMinZoom, kFieldMaxZoom));
}

void TestAreaDownload::pauseResumeAndCancel()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    server.hold = true;
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QTRY_COMPARE(server.openCount(), 6);
    maps.pauseDownload();
    QVERIFY(maps.downloadPaused());
    server.releaseAll();
    server.hold = false;
    QTest::qWait(100);
    const int asked = server.requests();
    QTest::qWait(100);
    QCOMPARE(server.requests(), asked); // nothing more while paused
    QTRY_COMPARE(maps.areas()->count(), 1);
    QTRY_COMPARE(maps.areas()->list().first().state, AreaState::paused);
    maps.resumeDownload();
    QVERIFY(!maps.downloadPaused());
    QVERIFY(waitEnded(maps));
    QCOMPARE(heldTiles(maps), tileCount(kField, kFieldMinZoom, kFieldMaxZoom));

    // Cancelling takes the area and the tiles it alone used.
    QVERIFY(maps.startDownload(kField.south, kField.west, kField.north, kField.east, kFieldMaxZoom + 1, kFieldMaxZoom + 1,
                               server.urlTemplate(QStringLiteral("imagery"))));
    QTRY_VERIFY(maps.downloadDone() > 0);
    maps.cancelDownload();
    QVERIFY(!maps.downloadActive());
    QTRY_COMPARE(heldTiles(maps), tileCount(kField, kFieldMinZoom, kFieldMaxZoom));
    QTRY_COMPARE(maps.areas()->count(), 1);
}

// The requests live on the download's own thread and the checks on its pool: dropping the
// download at any point of a tile's way must stop both, and nothing may call back into it.
void TestAreaDownload::aDownloadDroppedMidWayLeavesNothingRunning_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("just started") << QStringLiteral("started");
    QTest::newRow("requests on the wire") << QStringLiteral("held");
    QTest::newRow("replies coming in") << QStringLiteral("released");
    QTest::newRow("paused, bodies still checked") << QStringLiteral("paused");
}

void TestAreaDownload::aDownloadDroppedMidWayLeavesNothingRunning()
{
    QFETCH(QString, when);
    TileServer server;
    QVERIFY(server.listen());
    server.hold = when != QLatin1String("started");
    auto calls = std::make_shared<int>(0);
    AreaDownload::Options o;
    o.batchTiles = 1;
    auto download = std::make_unique<AreaDownload>(
        server.urlTemplate(QStringLiteral("imagery")), fieldTiles(),
        [calls](const QList<TileBlob> &, std::function<void(bool, bool)> done) {
            ++*calls;
            done(true, false);
        },
        o);
    QSignalSpy progressed(download.get(), &AreaDownload::progressed);
    download->start();
    if (when != QLatin1String("started")) {
        QTRY_COMPARE(server.openCount(), o.maxConcurrent);
        if (when != QLatin1String("held")) {
            server.hold = false;
            server.releaseAll();
            if (when == QLatin1String("paused")) {
                QTRY_VERIFY(*calls > 0 || progressed.count() > 0 || download->storedCount() > 0
                            || server.requests() > o.maxConcurrent);
                download->pause();
            } else {
                QTRY_VERIFY(server.requests() > o.maxConcurrent);
            }
        }
    }
    const int callsAtDrop = *calls;
    download.reset();
    QTest::qWait(300);
    QCOMPARE(*calls, callsAtDrop);
    const int asked = server.requests();
    QTest::qWait(100);
    QCOMPARE(server.requests(), asked);
}

void TestAreaDownload::aPauseBeforeTheFirstRequestHolds()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    maps.pauseDownload(); // the store is still registering the area
    QVERIFY(maps.downloadPaused());
    QTRY_VERIFY(maps.download() != nullptr);
    QTest::qWait(100);
    QCOMPARE(server.requests(), 0);
    QVERIFY(maps.downloadPaused());
    QTRY_COMPARE(maps.areas()->count(), 1);
    QTRY_COMPARE(maps.areas()->list().first().state, AreaState::paused);
    maps.resumeDownload();
    QVERIFY(waitEnded(maps));
    QCOMPARE(heldTiles(maps), tileCount(kField, kFieldMinZoom, kFieldMaxZoom));
}

void TestAreaDownload::aFullDiskStopsTheDownloadCleanly()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    OfflineMaps::Options o = fastOptions(dir.path());
    o.maxStoreBytes = 96 * 1024; // the schema and a few tiles
    OfflineMaps maps(o);
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QTRY_VERIFY_WITH_TIMEOUT(!maps.downloadMessage().isEmpty(), 20000);
    QCOMPARE(maps.downloadMessage(),
             QStringLiteral("The device is full, so the download is paused. Free some space, then resume."));
    QVERIFY(maps.downloadMessageIsError());
    QVERIFY(maps.downloadActive());
    const qint64 held = heldTiles(maps);
    QVERIFY(held < tileCount(kField, kFieldMinZoom, kFieldMaxZoom));
    // Whatever was stored is whole: each held tile is in its area's count and readable.
    QTRY_COMPARE(maps.areas()->count(), 1);
    QTRY_COMPARE(maps.areas()->list().first().heldCount, held);
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {o.storePath, QStringLiteral("PRAGMA integrity_check")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("ok"));
}

void TestAreaDownload::aDownloadCutOffGoesOnAtTheNextStart()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    {
        OfflineMaps maps(fastOptions(dir.path()));
        QVERIFY(waitReady(maps));
        QVERIFY(start(maps, server));
        QTRY_VERIFY(maps.downloadDone() >= 8);
    } // gone mid-download, as at the end of the app
    OfflineMaps again(fastOptions(dir.path()));
    QTRY_VERIFY(again.downloadActive());
    QVERIFY(waitEnded(again));
    QCOMPARE(heldTiles(again), tileCount(kField, kFieldMinZoom, kFieldMaxZoom));
}

void TestAreaDownload::aKilledProcessResumesWithNothingLostOrTwice()
{
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/area-download-child");
    QVERIFY2(QFileInfo::exists(child), qPrintable(child));
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(child, {dir.path(), server.urlTemplate(QStringLiteral("imagery"))});
    QVERIFY(p.waitForStarted());
    const QString storePath = fastOptions(dir.path()).storePath;
    const auto sql = [&](const QString &statement) {
        QProcess q;
        q.start(QStringLiteral("sqlite3"), {storePath, statement});
        return q.waitForFinished(10000) ? QString::fromUtf8(q.readAllStandardOutput()).trimmed() : QString();
    };
    const QString heldQuery = QStringLiteral("SELECT count(*) FROM zeltrin_area_tiles WHERE held = 1");
    // Killed without warning once a few batches are in. The store is asked too: under a sanitizer
    // the child can have twenty requests out before its first batch is committed.
    QTRY_VERIFY_WITH_TIMEOUT(server.requests() >= 20 && sql(heldQuery).toInt() > 0, 30000);
    p.kill();
    QVERIFY(p.waitForFinished());
    QTest::qWait(300); // requests the child sent before it died are read and counted first
    const int heldAtKill = sql(heldQuery).toInt();
    QVERIFY(heldAtKill > 0);
    const int before = server.requests();
    OfflineMaps again(fastOptions(dir.path()));
    QTRY_VERIFY(again.downloadActive());
    QVERIFY(waitEnded(again));
    const qint64 total = tileCount(kField, kFieldMinZoom, kFieldMaxZoom);
    QCOMPARE(heldTiles(again), total);
    QTRY_COMPARE(again.areas()->count(), 1);
    QTRY_COMPARE(again.areas()->list().first().heldCount, total);
    // Only what was not stored at the kill is asked for again.
    QCOMPARE(server.requests() - before, int(total) - heldAtKill);
    QCOMPARE(sql(QStringLiteral("SELECT count(*), count(DISTINCT zoom_level || '/' || tile_column || '/' || tile_row)"
                                " FROM tiles")),
             QStringLiteral("%1|%1").arg(total));
}

void TestAreaDownload::anAreaHeldDrawsWithTheNetworkGone()
{
    QTemporaryDir dir;
    TileServer server;
    QVERIFY(server.listen());
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(start(maps, server));
    QVERIFY(waitEnded(maps));
    server.stop();

    TileLoader loader;
    loader.setUrlTemplate(0, server.urlTemplate(QStringLiteral("imagery"))); // nothing answers there now
    loader.setOfflineSource(&maps);
    for (int z = kFieldMinZoom; z <= kFieldMaxZoom; ++z) {
        QList<TileKey> wanted;
        forEachTile(kField, z, z, [&](int tz, int x, int y) {
            wanted.append({0, tz, x, y});
            return true;
        });
        loader.request(wanted);
        QTRY_VERIFY2(std::all_of(wanted.cbegin(), wanted.cend(), [&](const TileKey &k) { return loader.image(k); }),
                     qPrintable(QStringLiteral("zoom %1").arg(z)));
        for (const TileKey &k : wanted)
            QCOMPARE(loader.image(k)->size(), QSize(256, 256));
    }
    QCOMPARE(loader.offlineHits(), int(tileCount(kField, kFieldMinZoom, kFieldMaxZoom)));
    QCOMPARE(loader.failedCount(), 0);
}

void TestAreaDownload::tooLargeAnAreaIsRefused()
{
    QTemporaryDir dir;
    OfflineMaps maps(fastOptions(dir.path()));
    QVERIFY(waitReady(maps));
    QVERIFY(maps.tileCount(40, 0, 50, 20, 10, 13) > OfflineMaps::kMaxTiles);
    QVERIFY(!maps.startDownload(40, 0, 50, 20, 10, 13, QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png")));
    QVERIFY2(maps.downloadMessage().contains(QStringLiteral("at most 50,000 can be downloaded at once")),
             qPrintable(maps.downloadMessage()));
    QVERIFY(!maps.downloadActive());
}

QTEST_GUILESS_MAIN(TestAreaDownload)
#include "tst_areadownload.moc"
