// The offline area store on real SQLite files: areas and their tiles, tiles kept once however
// many areas cover them, packs from elsewhere opened all or nothing, a full disk leaving the
// file consistent, and a damaged file set aside. sqlite3 and GDAL read what we write.
#include "OfflineStore.h"
#include "WebMercator.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin::offline;

namespace {

QByteArray imageBytes(QColor color, const char *format = "PNG", int size = 256)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(color);
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

QString sqlite3(const QString &file, const QString &sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return QStringLiteral("<sqlite3 failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A small area near Zurich: 1 tile at z10, 2–4 at z11, a few more at z12.
const GeoBounds kZurich{47.35, 8.50, 47.42, 8.60};

OfflineArea area(const GeoBounds &b, int minZoom, int maxZoom, const QString &name = QStringLiteral("Test"))
{
    OfflineArea a;
    a.name = name;
    a.bounds = b;
    a.minZoom = minZoom;
    a.maxZoom = maxZoom;
    a.urlTemplate = QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png");
    return a;
}

// Every missing tile of an area, each a distinct image unless `same` is set.
QList<TileBlob> blobsFor(const QList<TileAddress> &tiles, bool same = false)
{
    QList<TileBlob> out;
    int i = 0;
    for (const TileAddress &t : tiles)
        out.append({t, imageBytes(same ? QColor(10, 20, 30) : QColor(20 + (i++ * 37) % 200, 80, 120))});
    return out;
}

// A pack as other tools write it: one plain `tiles` table, no views.
void writePack(const QString &path, const QList<std::tuple<int, int, int, QByteArray>> &tiles,
               const QString &format = QStringLiteral("png"))
{
    const QString name = QStringLiteral("pack-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE metadata (name TEXT, value TEXT)")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER,"
                                      " tile_data BLOB)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO metadata VALUES ('name', 'pack'), ('format', '%1')").arg(format)));
        for (const auto &[z, x, row, data] : tiles) {
            q.prepare(QStringLiteral("INSERT INTO tiles VALUES (?, ?, ?, ?)"));
            q.addBindValue(z);
            q.addBindValue(x);
            q.addBindValue(row);
            q.addBindValue(data);
            QVERIFY(q.exec());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestOfflineStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tileRanges_data();
    void tileRanges();
    void areaTilesAreStoredAndLookedUp();
    void sharedTilesAreKeptOnceAndOutliveOneArea();
    void aFullStoreRefusesTheBatchAndStaysConsistent();
    void packsAreOpened();
    void badPacksAreRefusedAndChangeNothing_data();
    void badPacksAreRefusedAndChangeNothing();
    void aDamagedStoreIsSetAside();
    void gdalReadsTheStoreAsAnMbtilesRaster();
};

void TestOfflineStore::tileRanges_data()
{
    QTest::addColumn<double>("south");
    QTest::addColumn<double>("west");
    QTest::addColumn<double>("north");
    QTest::addColumn<double>("east");
    QTest::addColumn<int>("minZoom");
    QTest::addColumn<int>("maxZoom");
    QTest::addColumn<qint64>("count");
    QTest::newRow("whole world z0-2") << -85.0 << -180.0 << 85.0 << 180.0 << 0 << 2 << qint64(1 + 4 + 16);
    QTest::newRow("one quadrant z1") << 1.0 << 1.0 << 80.0 << 179.0 << 1 << 1 << qint64(1);
    QTest::newRow("zurich z10") << 47.35 << 8.50 << 47.42 << 8.60 << 10 << 10 << qint64(1);
    QTest::newRow("zurich z16") << 47.35 << 8.50 << 47.42 << 8.60 << 16 << 16 << qint64(19 * 19);
    QTest::newRow("capped at z19") << 47.37 << 8.54 << 47.371 << 8.541 << 19 << 25 << qint64(2 * 3);
    QTest::newRow("inverted bounds") << 47.42 << 8.60 << 47.35 << 8.50 << 10 << 12 << qint64(0);
    QTest::newRow("not a number") << qQNaN() << 8.5 << 47.4 << 8.6 << 10 << 12 << qint64(0);
}

void TestOfflineStore::tileRanges()
{
    QFETCH(double, south);
    QFETCH(double, west);
    QFETCH(double, north);
    QFETCH(double, east);
    QFETCH(int, minZoom);
    QFETCH(int, maxZoom);
    QFETCH(qint64, count);
    const GeoBounds b{south, west, north, east};
    QCOMPARE(tileCount(b, minZoom, maxZoom), count);
    qint64 visited = 0;
    forEachTile(b, minZoom, maxZoom, [&](int z, int x, int y) {
        ++visited;
        return z >= 0 && x >= 0 && y >= 0 && x < (1 << z) && y < (1 << z);
    });
    QCOMPARE(visited, count);
}

void TestOfflineStore::areaTilesAreStoredAndLookedUp()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offline.mbtiles"));
    OfflineStore store(path);
    QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
    const qint64 id = store.addArea(area(kZurich, 10, 12));
    QVERIFY(id > 0);
    const QList<TileAddress> missing = store.missingTiles(id);
    QCOMPARE(missing.size(), tileCount(kZurich, 10, 12));
    QCOMPARE(missing.first().z, 10); // coarse levels first

    const QList<TileBlob> blobs = blobsFor(missing);
    QVERIFY(store.putTiles(blobs.mid(0, 3)));
    QCOMPARE(store.missingTiles(id).size(), missing.size() - 3);
    QVERIFY(store.putTiles(blobs.mid(3)));
    QVERIFY(store.missingTiles(id).isEmpty());
    const auto a = store.area(id);
    QVERIFY(a);
    QCOMPARE(a->heldCount, a->tileCount);
    qint64 bytes = 0;
    for (const TileBlob &b : blobs)
        bytes += b.data.size();
    QCOMPARE(a->bytes, bytes);
    for (const TileBlob &b : blobs)
        QCOMPARE(store.tile(b.at.z, b.at.x, b.at.y).value_or(QByteArray()), b.data);
    QVERIFY(!store.tile(9, 0, 0));

    // Other readers find each tile at its TMS row, in the standard view.
    const TileBlob &last = blobs.last();
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT length(tile_data) FROM tiles WHERE zoom_level=%1 AND tile_column=%2"
                                          " AND tile_row=%3").arg(last.at.z).arg(last.at.x).arg((1 << last.at.z) - 1 - last.at.y)),
             QString::number(last.data.size()));
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT value FROM metadata WHERE name='format'")), QStringLiteral("png"));
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT value FROM metadata WHERE name='minzoom'") ) + QLatin1Char('/')
                 + sqlite3(path, QStringLiteral("SELECT value FROM metadata WHERE name='maxzoom'")),
             QStringLiteral("10/12"));
    QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
}

void TestOfflineStore::sharedTilesAreKeptOnceAndOutliveOneArea()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offline.mbtiles"));
    OfflineStore store(path);
    const qint64 a = store.addArea(area(kZurich, 10, 12, QStringLiteral("A")));
    QVERIFY(store.putTiles(blobsFor(store.missingTiles(a))));
    const qint64 heldByA = tileCount(kZurich, 10, 12);

    // B covers A's tiles at z10–12 and more at z13: those of A count as held at once.
    const qint64 b = store.addArea(area(kZurich, 10, 13, QStringLiteral("B")));
    QCOMPARE(store.area(b)->heldCount, heldByA);
    const QList<TileAddress> bMissing = store.missingTiles(b);
    QCOMPARE(bMissing.size(), tileCount(kZurich, 13, 13));
    // All of B's own tiles are the same picture (open water, say): one image.
    QVERIFY(store.putTiles(blobsFor(bMissing, true)));
    QCOMPARE(store.tileTotal(), tileCount(kZurich, 10, 13));
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM images")), QString::number(heldByA + 1));

    QVERIFY(store.removeArea(b));
    QCOMPARE(store.tileTotal(), heldByA);
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM images")), QString::number(heldByA));
    QCOMPARE(store.area(a)->heldCount, heldByA);
    QVERIFY(store.removeArea(a));
    QCOMPARE(store.tileTotal(), 0);
    QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM images")), QStringLiteral("0"));
    QCOMPARE(store.areas().size(), 0);
}

void TestOfflineStore::aFullStoreRefusesTheBatchAndStaysConsistent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offline.mbtiles"));
    OfflineStore store(path);
    const qint64 id = store.addArea(area(kZurich, 10, 14));
    const QList<TileAddress> missing = store.missingTiles(id);
    QVERIFY(store.putTiles(blobsFor(missing.mid(0, 2))));
    store.setMaxBytes(QFileInfo(path).size() + 64 * 1024); // a little room, not enough for the rest
    QList<TileBlob> big;
    for (int i = 2; i < missing.size(); ++i)
        big.append({missing[i], imageBytes(QColor(i % 255, 0, 0), "BMP")}); // ~200 KB each
    QVERIFY(!store.putTiles(big));
    QVERIFY(store.lastErrorWasFull());
    // The batch went entirely or not at all: nothing of it is there, the rest is as before.
    QCOMPARE(store.tileTotal(), 2);
    QCOMPARE(store.area(id)->heldCount, 2);
    QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    store.setMaxBytes(0);
    QVERIFY(store.putTiles(big.mid(0, 2)));
    QCOMPARE(store.area(id)->heldCount, 4);
}

void TestOfflineStore::packsAreOpened()
{
    QTemporaryDir dir;
    OfflineStore store(dir.filePath(QStringLiteral("offline.mbtiles")));
    const QString pack = dir.filePath(QStringLiteral("field.mbtiles"));
    const QByteArray jpeg = imageBytes(Qt::darkGreen, "JPEG");
    const QByteArray png = imageBytes(Qt::blue);
    // z1 x1 TMS row 1 is the north-east quarter: map row 0.
    writePack(pack, {{0, 0, 0, png}, {1, 1, 1, jpeg}, {1, 0, 0, png}}, QStringLiteral("jpg"));
    const QByteArray before = fileBytes(pack);
    QString error;
    const qint64 id = store.importPack(pack, QStringLiteral("field"), &error);
    QVERIFY2(id > 0, qPrintable(error));
    QCOMPARE(fileBytes(pack), before);
    const auto a = store.area(id);
    QCOMPARE(a->name, QStringLiteral("field"));
    QCOMPARE(a->state, AreaState::imported);
    QCOMPARE(a->tileCount, 3);
    QCOMPARE(a->heldCount, 3);
    QCOMPARE(a->minZoom, 0);
    QCOMPARE(a->maxZoom, 1);
    QVERIFY(a->bounds.isValid());
    QCOMPARE(store.tile(1, 1, 0).value_or(QByteArray()), jpeg);
    QCOMPARE(store.tile(1, 0, 1).value_or(QByteArray()), png);
    QCOMPARE(store.tile(0, 0, 0).value_or(QByteArray()), png);
    QCOMPARE(store.tileTotal(), 3);
}

void TestOfflineStore::badPacksAreRefusedAndChangeNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("not sqlite") << "garbage" << "That file is not an MBTiles pack.";
    QTest::newRow("empty") << "empty" << "That file is empty.";
    QTest::newRow("cut short") << "truncated" << "damaged";
    QTest::newRow("pages overwritten") << "overwritten" << "damaged";
    QTest::newRow("no tiles table") << "notiles" << "it has no tiles table";
    QTest::newRow("vector tiles") << "pbf" << "Only packs of PNG, JPEG or WebP images";
    QTest::newRow("a tile that is no image") << "noimage" << "a tile at zoom 1 is not an image";
    QTest::newRow("a tile outside the world") << "outside" << "lies outside the world";
    QTest::newRow("no tiles at all") << "none" << "holds no tiles";
}

void TestOfflineStore::badPacksAreRefusedAndChangeNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("offline.mbtiles"));
    OfflineStore store(storePath);
    const qint64 kept = store.addArea(area(kZurich, 10, 11));
    QVERIFY(store.putTiles(blobsFor(store.missingTiles(kept))));
    const QString before = sqlite3(storePath, QStringLiteral("SELECT count(*) FROM map; SELECT count(*) FROM zeltrin_areas;"));

    const QString pack = dir.filePath(QStringLiteral("bad.mbtiles"));
    const QByteArray png = imageBytes(Qt::red);
    QList<std::tuple<int, int, int, QByteArray>> many;
    for (int i = 0; i < 300; ++i)
        many.append({8, i % 256, i / 256, imageBytes(QColor(i % 255, 0, 0))});
    if (kind == QLatin1String("garbage")) {
        QFile f(pack);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("empty")) {
        QFile f(pack);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("truncated") || kind == QLatin1String("overwritten")) {
        writePack(pack, many);
        QFile f(pack);
        QVERIFY(f.open(QIODevice::ReadWrite));
        if (kind == QLatin1String("truncated")) {
            QVERIFY(f.resize(f.size() / 2));
        } else {
            f.seek(f.size() / 3);
            f.write(QByteArray(8192, '\xff'));
        }
    } else if (kind == QLatin1String("notiles")) {
        writePack(pack, {});
        QCOMPARE(sqlite3(pack, QStringLiteral("DROP TABLE tiles")), QString());
    } else if (kind == QLatin1String("pbf")) {
        writePack(pack, {{0, 0, 0, QByteArray("\x1a\x02vector")}}, QStringLiteral("pbf"));
    } else if (kind == QLatin1String("noimage")) {
        writePack(pack, {{0, 0, 0, png}, {1, 0, 0, QByteArray(300, 'z')}});
    } else if (kind == QLatin1String("outside")) {
        writePack(pack, {{0, 0, 0, png}, {2, 4, 0, png}});
    } else if (kind == QLatin1String("none")) {
        writePack(pack, {});
    }
    const QByteArray packBefore = fileBytes(pack);
    QString error;
    QCOMPARE(store.importPack(pack, QStringLiteral("bad"), &error), 0);
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(sqlite3(storePath, QStringLiteral("SELECT count(*) FROM map; SELECT count(*) FROM zeltrin_areas;")), before);
    QCOMPARE(fileBytes(pack), packBefore);
    QVERIFY(store.isOpen());
}

void TestOfflineStore::aDamagedStoreIsSetAside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offline.mbtiles"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(5000, '\x07'));
    }
    const QByteArray damaged = fileBytes(path);
    OfflineStore store(path);
    QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
    QVERIFY(store.setAsidePath().startsWith(path + QStringLiteral(".damaged-")));
    QCOMPARE(fileBytes(store.setAsidePath()), damaged);
    QVERIFY(store.addArea(area(kZurich, 10, 10)) > 0);
    // An area with no source and no name (found by fuzzing: null texts bound as NULL).
    OfflineArea bare = area(kZurich, 11, 11, QString());
    bare.urlTemplate = QString();
    QVERIFY(store.addArea(bare) > 0);
}

void TestOfflineStore::gdalReadsTheStoreAsAnMbtilesRaster()
{
    const QString gdalinfo = QStandardPaths::findExecutable(QStringLiteral("gdalinfo"));
    if (gdalinfo.isEmpty()) {
        if (qEnvironmentVariableIsSet("CI"))
            QFAIL("gdalinfo (gdal-bin) is needed");
        QSKIP("gdalinfo (gdal-bin) is not installed");
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offline.mbtiles"));
    {
        OfflineStore store(path);
        const qint64 id = store.addArea(area(kZurich, 10, 12));
        QVERIFY(store.putTiles(blobsFor(store.missingTiles(id))));
    }
    QProcess p;
    p.start(gdalinfo, {path});
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(p.exitCode() == 0, qPrintable(QString::fromUtf8(p.readAllStandardError())));
    QVERIFY2(out.contains(QLatin1String("Driver: MBTiles/MBTiles")), qPrintable(out));
    // GDAL makes the deepest level the raster, cut to the bounds: 256 px a tile of z12.
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Size is (\\d+), (\\d+)")).match(out);
    QVERIFY2(size.hasMatch(), qPrintable(out));
    const double scale = 4096.0 * 256;
    const double width = (zeltrin::mercator::worldX(kZurich.east) - zeltrin::mercator::worldX(kZurich.west)) * scale;
    const double height = (zeltrin::mercator::worldY(kZurich.south) - zeltrin::mercator::worldY(kZurich.north)) * scale;
    QVERIFY2(std::abs(size.captured(1).toInt() - width) <= 1.5, qPrintable(size.captured(0)));
    QVERIFY2(std::abs(size.captured(2).toInt() - height) <= 1.5, qPrintable(size.captured(0)));
}

QTEST_GUILESS_MAIN(TestOfflineStore)
#include "tst_offlinestore.moc"
