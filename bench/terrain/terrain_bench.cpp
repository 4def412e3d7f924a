// Elevation lookup benchmark: heightAt() over tiles already in memory (ns a sample, the planner's
// case), and the first lookup in a tile that must be read from the store and decoded (ms a tile,
// p95). Generated hills at zoom 14, 8×8 tiles (about 20 km square), in a throw-away store.
// Usage: terrain-bench [samples]
#include "ElevationModel.h"
#include "ElevationStore.h"
#include "ElevationTile.h"
#include "WebMercator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace zeltrin;
using namespace zeltrin::terrain;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const long samples = argc > 1 ? std::max(1000L, std::atol(argv[1])) : 2000000L;
    constexpr int z = 14, x0 = 8500, y0 = 5700, n = 8;
    QTemporaryDir dir;
    ElevationStore store(dir.filePath(QStringLiteral("bench.sqlite")));
    QList<ElevationTileBlob> tiles;
    for (int ty = y0; ty < y0 + n; ++ty) {
        for (int tx = x0; tx < x0 + n; ++tx) {
            ElevationTile t;
            for (int r = 0; r < 256; ++r)
                for (int c = 0; c < 256; ++c) {
                    const double gx = (tx * 256 + c) / 200.0, gy = (ty * 256 + r) / 170.0;
                    t.set(c, r, float(800 + 120 * std::sin(gx) * std::cos(gy)));
                }
            tiles.append({z, tx, ty, encodeTerrarium(t)});
        }
    }
    const double scale = 256.0 * (1 << z);
    const double north = mercator::latitude(y0 * 256 / scale), south = mercator::latitude((y0 + n) * 256 / scale);
    const double west = mercator::longitude(x0 * 256 / scale), east = mercator::longitude((x0 + n) * 256 / scale);
    const qint64 id = store.addArea({0, QStringLiteral("hills"), south, west, north, east, z, {}, 0, {}}, tiles);
    if (id == 0) {
        std::fprintf(stderr, "could not store the tiles: %s\n", qPrintable(store.errorText()));
        return 1;
    }

    // In memory: random places (not a scan, which would flatter the last-tile shortcut).
    ElevationModel model(store, 256);
    model.preload(id);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> lat(south, north), lon(west, east);
    std::vector<std::pair<double, double>> places(4096);
    for (auto &p : places)
        p = {lat(rng), lon(rng)};
    double sum = 0;
    long known = 0;
    QElapsedTimer timer;
    timer.start();
    for (long i = 0; i < samples; ++i) {
        const auto &p = places[size_t(i) & 4095];
        if (const auto h = model.heightAt(p.first, p.second)) {
            sum += *h;
            ++known;
        }
    }
    const double nsPerSample = double(timer.nsecsElapsed()) / double(samples);

    // From disk: the first lookup in each tile, with the cache emptied before each round.
    std::vector<double> perTile;
    for (int round = 0; round < 5; ++round) {
        model.reload();
        for (int ty = y0; ty < y0 + n; ++ty)
            for (int tx = x0; tx < x0 + n; ++tx) {
                const double la = mercator::latitude((ty * 256 + 128) / scale);
                const double lo = mercator::longitude((tx * 256 + 128) / scale);
                timer.restart();
                sum += model.heightAt(la, lo).value_or(0);
                perTile.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
    }
    std::sort(perTile.begin(), perTile.end());
    // The parts of a tile's first lookup: the read and the decode.
    std::vector<double> reads, decodes;
    for (const ElevationTileBlob &t : tiles) {
        timer.restart();
        const auto png = store.tile(id, t.z, t.x, t.y);
        reads.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        sum += decodeTerrarium(png.value_or(QByteArray())) ? 1 : 0;
        decodes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(reads.begin(), reads.end());
    std::sort(decodes.begin(), decodes.end());
    std::printf("| What | Goal | Result |\n|---|---|---|\n");
    std::printf(
        "| Height lookup, tiles in memory (random places, %ld samples, %ld known) | ≤ 1 µs | %.0f ns a sample |\n",
        samples, known, nsPerSample);
    std::printf(
        "| First lookup in a tile read from the store (%zu tiles) | p95 ≤ 1 ms | median %.3f ms, p95 %.3f ms |\n",
        perTile.size(), perTile[perTile.size() / 2], perTile[perTile.size() * 95 / 100]);
    std::printf("| … of which the read, the decode | — | medians %.3f ms, %.3f ms (PNG %lld bytes) |\n",
                reads[reads.size() / 2], decodes[decodes.size() / 2], qint64(tiles[0].png.size()));
    std::fprintf(stderr, "(checksum %.1f)\n", sum);
    return 0;
}
