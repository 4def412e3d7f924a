// Offline maps benchmark, against a tile server on 127.0.0.1 in a thread of its own:
//  1. a 5,000-tile area's download: tiles a second;
//  2. the planner map's pan frames (to swap), idle and while another area downloads, in turns;
//  3. tile lookups from the store: straight on its file, and as the map asks (the round trip
//     through the store's thread);
//  4. the first frame of an area drawn wholly from the store, network gone.
// Usage: offline-bench [--gl] [frames]   (prints Markdown tables; --gl: xcb with OpenGL, under
// xvfb-run)
#include "OfflineMaps.h"
#include "PlannerBench.h"
#include "TileServer.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>

using namespace plannerbench;
using namespace zeltrin::offline;

namespace {

constexpr double kSide = 0.1355; // degrees: 5,000-odd tiles from z12 to z17
constexpr int kAreaMinZoom = 12, kAreaMaxZoom = 17;

GeoBounds squareAt(double lat, double lon) { return {lat - kSide / 2, lon - kSide / 2, lat + kSide / 2, lon + kSide / 2}; }

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

OfflineMaps::Options optionsIn(const QTemporaryDir &dir)
{
    OfflineMaps::Options o;
    o.storePath = dir.filePath(QStringLiteral("offline.mbtiles"));
    o.resumeOnStart = false;
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    const RunOptions options = readRunOptions(
        argc, argv,
        QStringLiteral("Offline maps benchmark: a download's throughput, pan frames while it "
                       "runs, tile lookups and the first offline frame (prints Markdown tables)."),
        240, false);
    const bool gl = options.gl;
    const int frames = options.frames;
    qputenv("QSG_RENDER_LOOP", "basic");
    if (gl) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();

    QThread serverThread;
    serverThread.start();
    // Made on its thread, so its listening socket and connections live there too.
    TileServer *server = nullptr;
    QString urlTemplate;
    auto *anchor = new QObject;
    anchor->moveToThread(&serverThread);
    QMetaObject::invokeMethod(anchor, [&] {
        server = new TileServer;
        server->listen();
        urlTemplate = server->urlTemplate(QStringLiteral("imagery"));
    }, Qt::BlockingQueuedConnection);

    QTemporaryDir dir;
    auto maps = std::make_unique<OfflineMaps>(optionsIn(dir));
    if (!waitFor([&] { return maps->ready(); }, 10000)) {
        std::fprintf(stderr, "the store did not open: %s\n", qPrintable(maps->errorText()));
        return 1;
    }

    // 1. Throughput.
    const GeoBounds zurich = squareAt(47.37, 8.54);
    const qint64 tiles = tileCount(zurich, kAreaMinZoom, kAreaMaxZoom);
    QElapsedTimer t;
    t.start();
    maps->startDownload(zurich.south, zurich.west, zurich.north, zurich.east, kAreaMinZoom, kAreaMaxZoom, urlTemplate);
    if (!waitFor([&] { return !maps->downloadActive(); }, 600000) || maps->downloadFailures() > 0) {
        std::fprintf(stderr, "the download did not finish: %s\n", qPrintable(maps->downloadMessage()));
        return 1;
    }
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    std::printf("| download | tiles | seconds | tiles/s | stored MB |\n|---|---|---|---|---|\n");
    std::printf("| %d requests at a time | %lld | %.1f | %.0f | %.1f |\n\n", 6, tiles, seconds, double(tiles) / seconds,
                double(maps->download()->storedBytes()) / 1e6);

    // 2. Pan frames idle and during a download (of another area, so every tile is fetched).
    {
        // The map draws the area just downloaded, as a pilot planning over it sees it.
        Planner planner;
        planner.map->setOfflineTiles(maps.get());
        planner.map->setImageryUrlTemplate(urlTemplate);
        planner.map->fitBounds(zurich.south, zurich.west, zurich.north, zurich.east);
        Planner::settle(1000);
        std::vector<double> idleCpu, idleSwap, busyCpu, busySwap;
        // One zoom deeper (about 20,000 tiles), so it outlasts the longest run.
        const GeoBounds bern = squareAt(46.95, 7.45);
        maps->startDownload(bern.south, bern.west, bern.north, bern.east, kAreaMinZoom, kAreaMaxZoom + 1, urlTemplate);
        waitFor([&] { return maps->downloadDone() > 200; }, 30000);
        // Idle and busy take turns (the download paused, then running), so a drift of the
        // machine over the run weighs on both alike.
        constexpr int kRounds = 4;
        qint64 doneDuring = 0;
        bool stillRunning = true;
        for (int round = 0; round < kRounds; ++round) {
            maps->pauseDownload();
            Planner::settle(300);
            planner.panFrames(frames / kRounds, &idleCpu, &idleSwap);
            maps->resumeDownload();
            Planner::settle(300);
            const qint64 before = maps->downloadDone();
            planner.panFrames(frames / kRounds, &busyCpu, &busySwap);
            doneDuring += maps->downloadDone() - before;
            stillRunning = stillRunning && maps->downloadActive();
        }
        maps->cancelDownload();
        const Stats is = stats(idleSwap), bs = stats(busySwap), ic = stats(idleCpu), bc = stats(busyCpu);
        std::printf("| pan frame (%s) | to submit, median (ms) | p95 (ms) | to swap, median (ms) | p95 (ms) |\n"
                    "|---|---|---|---|---|\n", gl ? "OpenGL" : "software");
        std::printf("| map idle | %.2f | %.2f | %.2f | %.2f |\n", ic.median, ic.p95, is.median, is.p95);
        std::printf("| download running%s | %.2f | %.2f | %.2f | %.2f |\n", stillRunning ? "" : " (ended early)",
                    bc.median, bc.p95, bs.median, bs.p95);
        // Rounded away from "-0".
        const double rise = is.p95 > 0 ? std::round((bs.p95 / is.p95 - 1) * 100) + 0.0 : 0.0;
        std::printf("\np95 to swap rises %.0f %% while the download runs (%d rounds of %d frames each way; "
                    "%lld tiles stored during the busy frames)\n\n",
                    rise, kRounds, frames / kRounds, doneDuring);
    }
    maps->waitForStore();
    Planner::settle(200);

    // 3. Lookups, of tiles held, in random order.
    QList<TileAddress> held;
    forEachTile(zurich, kAreaMinZoom, kAreaMaxZoom, [&](int z, int x, int y) {
        held.append({z, x, y});
        return true;
    });
    {
        OfflineStore store(optionsIn(dir).storePath);
        auto *rng = QRandomGenerator::global();
        const auto direct = timeEach(2000, [&](int) {
            const TileAddress &a = held[int(rng->bounded(held.size()))];
            if (!store.tile(a.z, a.x, a.y))
                std::exit(3);
        });
        std::vector<double> trip;
        for (int i = 0; i < 500; ++i) {
            const TileAddress &a = held[int(rng->bounded(held.size()))];
            bool answered = false;
            QElapsedTimer r;
            r.start();
            maps->findTile(a.z, a.x, a.y, maps.get(), [&](const QByteArray &b) { answered = !b.isEmpty(); });
            waitFor([&] { return answered; }, 2000);
            trip.push_back(double(r.nsecsElapsed()) / 1000);
        }
        const Stats ts = stats(trip);
        std::printf("| tile lookup (%lld tiles held) | median (µs) | p95 (µs) | max (µs) |\n|---|---|---|---|\n",
                    qint64(held.size()));
        std::printf("| straight from the file | %.0f | %.0f | %.0f |\n", direct.first.median, direct.first.p95,
                    direct.first.max);
        std::printf("| as the map asks (via the store's thread) | %.0f | %.0f | %.0f |\n\n", ts.median, ts.p95, ts.max);
    }

    // 4. First frame fully offline: the server stops, a new planner opens on the area.
    QMetaObject::invokeMethod(server, [&] { server->stop(); }, Qt::BlockingQueuedConnection);
    std::printf("| first frame offline | tiles on screen | from the store | to swap (ms) |\n|---|---|---|---|\n");
    struct Jump {
        QSize size;
        double zoom; // after the fit: 0.75 shows the same zoom's tiles smaller, 30 of them
    };
    for (const Jump j : {Jump{{1024, 768}, 1}, Jump{{1024, 768}, 0.75}, Jump{{1366, 1024}, 1}}) {
        const QSize size = j.size;
        Planner planner;
        planner.view->resize(size);
        planner.map->setOfflineTiles(maps.get());
        planner.map->setImageryUrlTemplate(urlTemplate);
        Planner::settle(200);
        QElapsedTimer since;
        since.start();
        planner.map->fitBounds(47.36, 8.52, 47.38, 8.56);
        if (j.zoom != 1)
            planner.map->zoomBy(j.zoom, QPointF(size.width() / 2.0, size.height() / 2.0));
        waitFor([&] {
            return planner.map->visibleTileCount() > 0 && planner.map->loader().offlineHits() >= planner.map->visibleTileCount();
        }, 10000);
        const Planner::FrameTime ft = planner.nextFrame(since);
        std::printf("| %d×%d | %d | %d | %.1f |\n", size.width(), size.height(), planner.map->visibleTileCount(),
                    planner.map->loader().offlineHits(), ft.swapped);
    }

    maps.reset();
    QMetaObject::invokeMethod(server, [server, anchor] {
        delete server;
        delete anchor;
    }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return 0;
}
