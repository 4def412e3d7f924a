// Elevation tiles, their store and the model reading them: round trips within Terrarium's
// quantum, voids that stay voids, refused input, bilinear heights worked by hand.
#include "ElevationModel.h"
#include "ElevationStore.h"
#include "ElevationTile.h"
#include "WebMercator.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace zeltrin::terrain;

namespace {

QByteArray pngOf(const QImage &image, const char *format = "PNG")
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format);
    return out;
}

// A tile whose height rises 2 m a column and 3 m a row, counted across the whole zoom level, so
// bilinear interpolation is exact everywhere and across tile edges.
ElevationTile plane(int tx, int ty)
{
    ElevationTile t;
    for (int r = 0; r < ElevationTile::kSize; ++r)
        for (int c = 0; c < ElevationTile::kSize; ++c)
            t.set(c, r, float(2.0 * (c + 256 * (tx - 500)) + 3.0 * (r + 256 * (ty - 300))));
    return t;
}

// The place at global pixel coordinates (pixel centres at .5) of zoom 10.
std::pair<double, double> placeAt(double px, double py)
{
    const double n = 256.0 * 1024;
    return {zeltrin::mercator::latitude(py / n), zeltrin::mercator::longitude(px / n)};
}

} // namespace

class TestElevationTiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codecRoundTrip_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("isVoid");
        QTest::newRow("sea level") << 0.0 << false;
        QTest::newRow("just below") << -0.001 << false;
        QTest::newRow("summit") << 8848.86 << false;
        QTest::newRow("dead sea") << -430.5 << false;
        QTest::newRow("top of range") << 32767.99 << false;
        QTest::newRow("bottom of range") << -32768.0 << false;
        QTest::newRow("void") << double(NAN) << true;
        QTest::newRow("beyond the range is void") << 40000.0 << true;
        QTest::newRow("below the range is void") << -40000.0 << true;
    }
    void codecRoundTrip()
    {
        QFETCH(double, height);
        QFETCH(bool, isVoid);
        ElevationTile t;
        t.set(7, 9, float(height));
        t.set(8, 9, 123.25f); // a neighbour keeps its own value
        QString error;
        const auto back = decodeTerrarium(encodeTerrarium(t), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->at(8, 9), 123.25f);
        QVERIFY(std::isnan(back->at(0, 0))); // never written: a void, not 0 m
        if (isVoid)
            QVERIFY(std::isnan(back->at(7, 9)));
        else
            // Against the height as the tile holds it (a float), rounded once to the quantum.
            QVERIFY2(std::abs(back->at(7, 9) - float(height)) <= ElevationTile::kQuantum / 2,
                     qPrintable(QString::number(back->at(7, 9))));
    }

    // Terrarium as others write it: without alpha (no voids), and interlaced (rows in seven
    // passes) by ImageMagick. Every sample distinct: height = row·256 + column − 32768.
    void foreignTerrarium_data()
    {
        QTest::addColumn<QString>("convert"); // ImageMagick's options; empty: as Qt wrote it
        QTest::newRow("RGB, no alpha") << QString();
        QTest::newRow("interlaced") << QStringLiteral("-interlace PNG");
    }
    void foreignTerrarium()
    {
        QFETCH(QString, convert);
        QImage rgb(256, 256, QImage::Format_RGB32);
        for (int r = 0; r < 256; ++r)
            for (int c = 0; c < 256; ++c)
                rgb.setPixel(c, r, qRgb(r, c, 64));
        QByteArray png = pngOf(rgb);
        if (!convert.isEmpty()) {
            QTemporaryDir dir;
            QVERIFY(rgb.save(dir.filePath(QStringLiteral("in.png"))));
            const QString out = dir.filePath(QStringLiteral("out.png"));
            QProcess im;
            im.start(QStringLiteral("convert"),
                     QStringList{dir.filePath(QStringLiteral("in.png"))} + convert.split(QLatin1Char(' '))
                         + QStringList{out});
            QVERIFY(im.waitForFinished(30000) && im.exitCode() == 0);
            QFile f(out);
            QVERIFY(f.open(QIODevice::ReadOnly));
            png = f.readAll();
        }
        QString error;
        const auto t = decodeTerrarium(png, &error);
        QVERIFY2(t, qPrintable(error));
        for (const auto &[c, r] : {std::pair{0, 0}, {255, 0}, {17, 133}, {255, 255}})
            QCOMPARE(t->at(c, r), float(r * 256 + c) + 0.25f - 32768.0f);
    }

    void badInputRefused_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        QImage small(255, 256, QImage::Format_RGB32);
        small.fill(Qt::gray);
        QImage ok(256, 256, QImage::Format_RGB32);
        ok.fill(Qt::gray);
        const QByteArray png = pngOf(ok);
        QTest::newRow("empty") << QByteArray() << "not a PNG";
        QTest::newRow("text") << QByteArray("hello, world") << "not a PNG";
        QTest::newRow("jpeg") << pngOf(ok, "JPG") << "not a PNG";
        QTest::newRow("wrong size") << pngOf(small) << "255×256 pixels";
        QTest::newRow("cut short") << png.left(png.size() / 2) << "damaged";
    }
    void badInputRefused()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!decodeTerrarium(data, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // A store written before downloads (version 1, made here by sqlite3) opens with its area
    // and tiles, as imported (no map area).
    void firstVersionStoreOpens()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.sqlite"));
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {path});
        sqlite.write(
            "CREATE TABLE areas (id INTEGER PRIMARY KEY, name TEXT NOT NULL, south REAL NOT NULL,"
            " west REAL NOT NULL, north REAL NOT NULL, east REAL NOT NULL, zoom INTEGER NOT NULL,"
            " source TEXT NOT NULL, resolution REAL NOT NULL, datum TEXT NOT NULL, created_ms INTEGER NOT NULL);"
            "CREATE TABLE tiles (area_id INTEGER NOT NULL, z INTEGER NOT NULL, x INTEGER NOT NULL,"
            " y INTEGER NOT NULL, png BLOB NOT NULL, PRIMARY KEY (area_id, z, x, y)) WITHOUT ROWID;"
            "INSERT INTO areas VALUES (4, 'alps', 46, 7, 46.1, 7.1, 12, 'alps.tif', 30, 'EGM96', 0);"
            "INSERT INTO tiles VALUES (4, 12, 2127, 1456, x'89504e47');"
            "PRAGMA user_version = 1; PRAGMA application_id = 1514490966;\n");
        sqlite.closeWriteChannel();
        QVERIFY(sqlite.waitForFinished(10000) && sqlite.exitCode() == 0);
        ElevationStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        const QList<ElevationArea> areas = store.areas();
        QCOMPARE(areas.size(), 1);
        QCOMPARE(areas[0].name, QStringLiteral("alps"));
        QCOMPARE(areas[0].tileCount, 1);
        QCOMPARE(areas[0].mapArea, 0);
        QCOMPARE(store.areaOfMapArea(4), 0);
    }

    void storePersistsAndAbandonLeavesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("elevation.sqlite"));
        const QByteArray png = encodeTerrarium(plane(500, 300));
        {
            ElevationStore store(path);
            QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
            ElevationArea a{0,    QStringLiteral("Hills"),
                            46.0, 7.0,
                            46.5, 7.5,
                            10,   QStringLiteral("hills.tif"),
                            12.5, QStringLiteral("EGM96 (sea level)")};
            QVERIFY(store.addArea(a, {{10, 500, 300, png}}) > 0);
            // Begun, then given up: neither the area nor its tile stays.
            const qint64 gone = store.beginArea(a);
            QVERIFY(gone > 0);
            QVERIFY(store.addTile(gone, {10, 501, 300, png}));
            store.abandonArea();
        }
        ElevationStore again(path);
        const auto areas = again.areas();
        QCOMPARE(areas.size(), 1);
        QCOMPARE(areas[0].name, QStringLiteral("Hills"));
        QCOMPARE(areas[0].zoom, 10);
        QCOMPARE(areas[0].resolution, 12.5);
        QCOMPARE(areas[0].datum, QStringLiteral("EGM96 (sea level)"));
        QCOMPARE(areas[0].tileCount, 1);
        QCOMPARE(again.tile(areas[0].id, 10, 500, 300).value_or(QByteArray()), png);
        QVERIFY(!again.tile(areas[0].id, 10, 501, 300));
    }

    void modelHeights_data()
    {
        QTest::addColumn<double>("px"); // global pixel coordinates at zoom 10
        QTest::addColumn<double>("py");
        QTest::addColumn<double>("expected"); // NaN: no answer
        const double x = 500 * 256, y = 300 * 256;
        // On a sample: column 10, row 20 of tile (500, 300): 2·10 + 3·20.
        QTest::newRow("on a sample") << x + 10.5 << y + 20.5 << 80.0;
        // A quarter of the way to the next column and half way to the next row.
        QTest::newRow("between samples") << x + 10.75 << y + 20.0 << 2 * 10.25 + 3 * 19.5;
        // Across the edge to tile (501, 300): columns 255 and 256 of the level.
        QTest::newRow("across a tile edge") << x + 256.0 << y + 100.5 << 2 * 255.5 + 3 * 100.0;
        // Tile (500, 301) is not stored: the samples there are unknown.
        QTest::newRow("missing tile") << x + 50.5 << y + 256.2 << double(NAN);
        // The void at column 40, row 40 spoils the four places around it.
        QTest::newRow("next to a void") << x + 41.0 << y + 41.0 << double(NAN);
        QTest::newRow("one sample past the void") << x + 42.0 << y + 42.0 << 2 * 41.5 + 3 * 41.5;
    }
    void modelHeights()
    {
        QFETCH(double, px);
        QFETCH(double, py);
        QFETCH(double, expected);
        QTemporaryDir dir;
        ElevationStore store(dir.filePath(QStringLiteral("e.sqlite")));
        ElevationTile t = plane(500, 300);
        t.set(40, 40, NAN);
        const auto [s, w] = placeAt(500 * 256, 302 * 256);
        const auto [n, e] = placeAt(502 * 256, 300 * 256);
        QVERIFY(store.addArea({0, QStringLiteral("a"), s, w, n, e, 10, {}, 0, {}},
                              {{10, 500, 300, encodeTerrarium(t)}, {10, 501, 300, encodeTerrarium(plane(501, 300))}}));
        ElevationModel model(store, 8);
        const auto [lat, lon] = placeAt(px, py);
        const auto h = model.heightAt(lat, lon);
        if (std::isnan(expected)) {
            QVERIFY(!h);
        } else {
            QVERIFY(h);
            QVERIFY2(std::abs(*h - expected) < 1e-4, qPrintable(QString::number(*h, 'f', 6)));
        }
        QVERIFY(!model.heightAt(lat + 1.0, lon)); // outside every area
        QVERIFY(!model.heightAt(NAN, lon));
    }

    void boundedCache()
    {
        QTemporaryDir dir;
        ElevationStore store(dir.filePath(QStringLiteral("e.sqlite")));
        QList<ElevationTileBlob> tiles;
        for (int x = 500; x < 510; ++x)
            tiles.append({10, x, 300, encodeTerrarium(plane(x, 300))});
        const auto [s, w] = placeAt(500 * 256, 301 * 256);
        const auto [n, e] = placeAt(510 * 256, 300 * 256);
        const qint64 id = store.addArea({0, QStringLiteral("a"), s, w, n, e, 10, {}, 0, {}}, tiles);
        ElevationModel model(store, 4);
        QCOMPARE(model.preload(id), 4);
        for (int x = 500; x < 510; ++x) {
            const auto [lat, lon] = placeAt(x * 256 + 100.5, 300 * 256 + 7.5);
            QCOMPARE(model.heightAt(lat, lon).value_or(NAN), 2.0 * (100 + 256 * (x - 500)) + 3.0 * 7);
            QVERIFY(model.cachedTiles() <= 4);
        }
    }
};

QTEST_GUILESS_MAIN(TestElevationTiles)
#include "tst_elevationtiles.moc"
