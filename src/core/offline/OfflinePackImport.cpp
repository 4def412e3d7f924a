// Opening MBTiles packs made elsewhere: the pack is read through a read-only connection of its
// own and copied into the store in one transaction, so a pack found bad half-way changes nothing.
#include "OfflineStore.h"

#include "SqliteFile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <cmath>
#include <limits>

namespace zeltrin::offline {

namespace {

constexpr int kMaxPackZoom = 24;

// Closes and forgets the pack's connection however the import ends.
struct PackConnection {
    explicit PackConnection(const QString &file)
    {
        static std::atomic<int> n{0};
        name = QStringLiteral("offlinepack-%1").arg(n.fetch_add(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        opened = db.open();
        if (!opened)
            error = db.lastError().text();
    }
    ~PackConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
    QString name;
    QString error;
    bool opened = false;
};

bool refuse(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// "left,bottom,right,top" in degrees.
GeoBounds boundsFromMetadata(const QString &value)
{
    const QStringList parts = value.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok)
            return {};
    }
    return {v[1], v[0], v[3], v[2]};
}

// The pack is a raster MBTiles file we can read: checked before anything is copied.
bool checkPack(const QSqlDatabase &db, QString *error, GeoBounds *bounds)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next() || q.value(0).toString() != QLatin1String("ok"))
        return refuse(error, QStringLiteral("That MBTiles file is damaged."));
    q.finish();
    if (!q.exec(QStringLiteral("SELECT zoom_level, tile_column, tile_row, tile_data FROM tiles LIMIT 0")))
        return refuse(error, QStringLiteral("That file is not an MBTiles pack: it has no tiles table."));
    q.finish();
    if (q.exec(QStringLiteral("SELECT name, value FROM metadata"))) {
        while (q.next()) {
            const QString name = q.value(0).toString(), value = q.value(1).toString().trimmed().toLower();
            if (name == QLatin1String("format") && !value.isEmpty()
                && !QStringList{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                QStringLiteral("webp")}.contains(value))
                return refuse(error, QStringLiteral("Only packs of PNG, JPEG or WebP images can be opened; this one holds %1 tiles.")
                                         .arg(value.left(16)));
            if (name == QLatin1String("bounds"))
                *bounds = boundsFromMetadata(q.value(1).toString());
        }
    }
    return true;
}

} // namespace

qint64 OfflineStore::importPack(const QString &file, const QString &name, QString *error)
{
    if (!isOpen())
        return refuse(error, QStringLiteral("The offline maps cannot be opened: %1").arg(errorText()));
    QString why;
    switch (sqlitefile::readHeader(file, &why)) {
    case sqlitefile::Header::missing:
        return refuse(error, QFileInfo::exists(file) ? QStringLiteral("That file is empty.")
                                                      : QStringLiteral("That file could not be found."));
    case sqlitefile::Header::unreadable:
        return refuse(error, QStringLiteral("That file could not be read: %1").arg(why));
    case sqlitefile::Header::other:
        return refuse(error, QStringLiteral("That file is not an MBTiles pack."));
    case sqlitefile::Header::sqlite:
        break;
    }
    PackConnection pack(file);
    if (!pack.opened)
        return refuse(error, QStringLiteral("That file could not be opened: %1").arg(pack.error));
    GeoBounds bounds;
    if (!checkPack(pack.db(), error, &bounds))
        return 0;

    QSqlDatabase db = connection();
    if (!db.transaction())
        return refuse(error, QStringLiteral("The pack could not be added: %1").arg(db.lastError().text()));
    auto abandon = [&](const QString &text) {
        db.rollback();
        return refuse(error, text);
    };
    QSqlQuery area(db);
    area.prepare(QStringLiteral("INSERT INTO zeltrin_areas (name, south, west, north, east, min_zoom, max_zoom,"
                                " tile_count, created_ms, state) VALUES (?, 0, 0, 0, 0, 0, 0, 0, ?, 'imported')"));
    area.addBindValue(name);
    area.addBindValue(QDateTime::currentMSecsSinceEpoch());
    if (!area.exec())
        return abandon(QStringLiteral("The pack could not be added: %1").arg(area.lastError().text()));
    const qint64 id = area.lastInsertId().toLongLong();

    QSqlQuery images(db), places(db), member(db), held(db);
    images.prepare(QStringLiteral("INSERT OR IGNORE INTO images (tile_id, tile_data) VALUES (?, ?)"));
    places.prepare(QStringLiteral("INSERT OR REPLACE INTO map (zoom_level, tile_column, tile_row, tile_id) VALUES (?, ?, ?, ?)"));
    member.prepare(QStringLiteral("INSERT OR IGNORE INTO zeltrin_area_tiles (area_id, zoom_level, tile_column, tile_row, held)"
                                  " VALUES (?, ?, ?, ?, 1)"));
    held.prepare(QStringLiteral("UPDATE zeltrin_area_tiles SET held = 1 WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    QSqlQuery read(pack.db());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT zoom_level, tile_column, tile_row, tile_data FROM tiles")))
        return abandon(QStringLiteral("That MBTiles file is damaged."));
    qint64 count = 0;
    int minZoom = kMaxPackZoom, maxZoom = 0, deepX0 = 0, deepX1 = 0, deepY0 = 0, deepY1 = 0;
    while (read.next()) {
        bool okZ = false, okX = false, okY = false;
        const qlonglong z = read.value(0).toLongLong(&okZ), x = read.value(1).toLongLong(&okX),
                        row = read.value(2).toLongLong(&okY);
        if (!okZ || !okX || !okY || z < 0 || z > kMaxPackZoom)
            return abandon(QStringLiteral("That MBTiles file is damaged: a tile has no valid zoom level."));
        const qlonglong n = 1ll << z;
        if (x < 0 || x >= n || row < 0 || row >= n)
            return abandon(QStringLiteral("That MBTiles file is damaged: a tile at zoom %1 lies outside the world.").arg(z));
        const QByteArray data = read.value(3).toByteArray();
        if (sniffTileFormat(data).isEmpty())
            return abandon(QStringLiteral("That MBTiles file is damaged: a tile at zoom %1 is not an image.").arg(z));
        const QString tid = QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
        images.bindValue(0, tid);
        images.bindValue(1, data);
        places.bindValue(0, z);
        places.bindValue(1, x);
        places.bindValue(2, row);
        places.bindValue(3, tid);
        member.bindValue(0, id);
        member.bindValue(1, z);
        member.bindValue(2, x);
        member.bindValue(3, row);
        held.bindValue(0, z);
        held.bindValue(1, x);
        held.bindValue(2, row);
        for (QSqlQuery *step : {&images, &places, &member, &held})
            if (!step->exec())
                return abandon(QStringLiteral("The pack could not be added: %1").arg(step->lastError().text()));
        const int xi = int(x), yi = int(n - 1 - row);
        if (int(z) > maxZoom || count == 0) {
            maxZoom = int(z);
            deepX0 = deepX1 = xi;
            deepY0 = deepY1 = yi;
        } else if (int(z) == maxZoom) {
            deepX0 = std::min(deepX0, xi);
            deepX1 = std::max(deepX1, xi);
            deepY0 = std::min(deepY0, yi);
            deepY1 = std::max(deepY1, yi);
        }
        minZoom = std::min(minZoom, int(z));
        ++count;
    }
    if (count == 0)
        return abandon(QStringLiteral("That MBTiles file holds no tiles."));
    if (!bounds.isValid()) {
        // No usable bounds given: those of the deepest level's tiles.
        const double n = double(1ll << maxZoom);
        const auto lat = [n](double y) { return std::atan(std::sinh(M_PI * (1 - 2 * y / n))) * 180 / M_PI; };
        bounds = {lat(deepY1 + 1), deepX0 / n * 360 - 180, lat(deepY0), (deepX1 + 1) / n * 360 - 180};
    }
    QSqlQuery finish(db);
    finish.prepare(QStringLiteral("UPDATE zeltrin_areas SET south = ?, west = ?, north = ?, east = ?, min_zoom = ?,"
                                  " max_zoom = ?, tile_count = ? WHERE id = ?"));
    for (const QVariant &v : {QVariant(bounds.south), QVariant(bounds.west), QVariant(bounds.north), QVariant(bounds.east),
                              QVariant(minZoom), QVariant(maxZoom), QVariant(count), QVariant(id)})
        finish.addBindValue(v);
    if (!finish.exec())
        return abandon(QStringLiteral("The pack could not be added: %1").arg(finish.lastError().text()));
    if (!db.commit()) {
        m_full = db.lastError().nativeErrorCode() == QLatin1String("13");
        return abandon(QStringLiteral("The pack could not be added: %1").arg(db.lastError().text()));
    }
    refreshMetadata();
    return id;
}

} // namespace zeltrin::offline
