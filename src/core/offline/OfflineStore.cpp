#include "OfflineStore.h"

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <cmath>

namespace zeltrin::offline {

namespace {

SqliteSchema offlineSchema()
{
    SqliteSchema s;
    s.name = QStringLiteral("OfflineStore");
    s.noun = QStringLiteral("offline maps");
    s.damaged = QStringLiteral("The offline maps are damaged");
    s.foreign = QStringLiteral("not our offline maps");
    s.steps = {
        {1,
         {
             // MBTiles 1.3 with tiles kept once: `tiles` is the view every reader of the format looks at.
             QStringLiteral("CREATE TABLE IF NOT EXISTS metadata (name TEXT PRIMARY KEY, value TEXT)"),
             QStringLiteral("CREATE TABLE IF NOT EXISTS images (tile_id TEXT PRIMARY KEY, tile_data BLOB NOT NULL)"),
             QStringLiteral("CREATE TABLE IF NOT EXISTS map (zoom_level INTEGER NOT NULL, tile_column INTEGER NOT NULL,"
                            " tile_row INTEGER NOT NULL, tile_id TEXT NOT NULL,"
                            " PRIMARY KEY (zoom_level, tile_column, tile_row)) WITHOUT ROWID"),
             QStringLiteral("CREATE INDEX IF NOT EXISTS map_by_image ON map (tile_id)"),
             QStringLiteral("CREATE VIEW IF NOT EXISTS tiles AS SELECT map.zoom_level AS zoom_level,"
                            " map.tile_column AS tile_column, map.tile_row AS tile_row, images.tile_data AS tile_data"
                            " FROM map JOIN images ON images.tile_id = map.tile_id"),
             QStringLiteral(
                 "CREATE TABLE IF NOT EXISTS zeltrin_areas (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                 " south REAL NOT NULL, west REAL NOT NULL, north REAL NOT NULL, east REAL NOT NULL,"
                 " min_zoom INTEGER NOT NULL, max_zoom INTEGER NOT NULL, tile_count INTEGER NOT NULL,"
                 " created_ms INTEGER NOT NULL, state TEXT NOT NULL, url_template TEXT NOT NULL DEFAULT '')"),
             // Rows of an area's tiles are TMS rows, as in `map`.
             QStringLiteral(
                 "CREATE TABLE IF NOT EXISTS zeltrin_area_tiles (area_id INTEGER NOT NULL,"
                 " zoom_level INTEGER NOT NULL, tile_column INTEGER NOT NULL, tile_row INTEGER NOT NULL,"
                 " held INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (area_id, zoom_level, tile_column, tile_row))"
                 " WITHOUT ROWID"),
             QStringLiteral("CREATE INDEX IF NOT EXISTS area_tiles_by_tile ON zeltrin_area_tiles"
                            " (zoom_level, tile_column, tile_row)"),
             QStringLiteral("INSERT OR IGNORE INTO metadata (name, value) VALUES ('name', 'ZeltrinPilot offline maps'),"
                            " ('type', 'baselayer'), ('version', '1'), ('format', 'png'),"
                            " ('description', 'Map areas kept for flying without a network')"),
         }}};
    s.tables = {
        {QStringLiteral("map"), QStringLiteral("zoom_level, tile_column, tile_row, tile_id")},
        {QStringLiteral("images"), QStringLiteral("tile_id, tile_data")},
        {QStringLiteral("tiles"), QStringLiteral("zoom_level, tile_column, tile_row, tile_data")},
        {QStringLiteral("zeltrin_areas"),
         QStringLiteral("id, name, south, west, north, east, min_zoom, max_zoom,"
                        " tile_count, created_ms, state, url_template")},
        {QStringLiteral("zeltrin_area_tiles"), QStringLiteral("area_id, zoom_level, tile_column, tile_row, held")},
    };
    return s;
}

// Tiles imported from packs made elsewhere may go deeper than we download.
constexpr int kMaxPackZoom = 24;

QString tileId(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

bool isFullError(const QSqlError &e)
{
    // SQLITE_FULL (13) from the disk or from max_page_count.
    return e.nativeErrorCode() == QLatin1String("13") || e.databaseText().contains(QLatin1String("full"));
}

OfflineArea areaFrom(const QSqlQuery &q)
{
    OfflineArea a;
    a.id = q.value(0).toLongLong();
    a.name = q.value(1).toString();
    a.bounds = {q.value(2).toDouble(), q.value(3).toDouble(), q.value(4).toDouble(), q.value(5).toDouble()};
    a.minZoom = q.value(6).toInt();
    a.maxZoom = q.value(7).toInt();
    a.tileCount = q.value(8).toLongLong();
    a.created = QDateTime::fromMSecsSinceEpoch(q.value(9).toLongLong(), Qt::UTC);
    a.state = areaStateFromKey(q.value(10).toString());
    a.urlTemplate = q.value(11).toString();
    a.heldCount = q.value(12).toLongLong();
    a.bytes = q.value(13).toLongLong();
    return a;
}

const char kAreaSelect[] =
    "SELECT a.id, a.name, a.south, a.west, a.north, a.east, a.min_zoom, a.max_zoom, a.tile_count, a.created_ms,"
    " a.state, a.url_template,"
    " (SELECT count(*) FROM zeltrin_area_tiles t WHERE t.area_id = a.id AND t.held = 1),"
    " (SELECT coalesce(sum(length(i.tile_data)), 0) FROM zeltrin_area_tiles t"
    "   JOIN map m ON m.zoom_level = t.zoom_level AND m.tile_column = t.tile_column AND m.tile_row = t.tile_row"
    "   JOIN images i ON i.tile_id = m.tile_id WHERE t.area_id = a.id)"
    " FROM zeltrin_areas a";

// Inserts one tile's bytes and address and marks it held; the statements are prepared once.
struct TileWriter {
    explicit TileWriter(const QSqlDatabase &db) : image(db), place(db), held(db)
    {
        image.prepare(QStringLiteral("INSERT OR IGNORE INTO images (tile_id, tile_data) VALUES (?, ?)"));
        place.prepare(QStringLiteral("INSERT OR REPLACE INTO map (zoom_level, tile_column, tile_row, tile_id)"
                                     " VALUES (?, ?, ?, ?)"));
        held.prepare(QStringLiteral("UPDATE zeltrin_area_tiles SET held = 1"
                                    " WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    }
    bool write(int z, int x, int tms, const QByteArray &data)
    {
        const QString id = tileId(data);
        image.bindValue(0, id);
        image.bindValue(1, data);
        place.bindValue(0, z);
        place.bindValue(1, x);
        place.bindValue(2, tms);
        place.bindValue(3, id);
        held.bindValue(0, z);
        held.bindValue(1, x);
        held.bindValue(2, tms);
        if (!image.exec()) {
            error = image.lastError();
            return false;
        }
        if (!place.exec()) {
            error = place.lastError();
            return false;
        }
        if (!held.exec()) {
            error = held.lastError();
            return false;
        }
        return true;
    }
    QSqlQuery image, place, held;
    QSqlError error;
};

} // namespace

QString areaStateKey(AreaState s)
{
    switch (s) {
    case AreaState::downloading: return QStringLiteral("downloading");
    case AreaState::paused: return QStringLiteral("paused");
    case AreaState::complete: return QStringLiteral("complete");
    case AreaState::partial: return QStringLiteral("partial");
    case AreaState::imported: return QStringLiteral("imported");
    }
    return QStringLiteral("paused");
}

AreaState areaStateFromKey(const QString &key)
{
    for (AreaState s : {AreaState::downloading, AreaState::paused, AreaState::complete, AreaState::partial,
                        AreaState::imported})
        if (areaStateKey(s) == key)
            return s;
    return AreaState::paused;
}

QString sniffTileFormat(const QByteArray &data)
{
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("png");
    if (data.startsWith("\xff\xd8\xff"))
        return QStringLiteral("jpg");
    if (data.size() >= 12 && data.startsWith("RIFF") && data.mid(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return {};
}

OfflineStore::OfflineStore(const QString &path) : m_db(path, offlineSchema())
{
    Q_ASSERT(m_db.schemaVersion() == kSchemaVersion);
}

OfflineStore::~OfflineStore() = default;

QString OfflineStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/offline-maps.mbtiles");
}

bool OfflineStore::writeFailed(const QString &what, const QString &detail)
{
    m_full = false;
    return m_db.fail(what, detail);
}

void OfflineStore::setMaxBytes(qint64 bytes)
{
    if (!isOpen())
        return;
    QSqlQuery q(connection());
    qint64 pages = 2147483646; // SQLite's own ceiling
    if (bytes > 0 && q.exec(QStringLiteral("PRAGMA page_size")) && q.next() && q.value(0).toLongLong() > 0)
        pages = std::max<qint64>(1, bytes / q.value(0).toLongLong());
    q.finish();
    q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}

QList<OfflineArea> OfflineStore::areas()
{
    QList<OfflineArea> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(kAreaSelect) + QStringLiteral(" ORDER BY a.created_ms DESC, a.id DESC")))
        return out;
    while (q.next())
        out << areaFrom(q);
    return out;
}

std::optional<OfflineArea> OfflineStore::area(qint64 id)
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(connection());
    q.prepare(QString::fromLatin1(kAreaSelect) + QStringLiteral(" WHERE a.id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return areaFrom(q);
}

qint64 OfflineStore::addArea(const OfflineArea &area)
{
    if (!isOpen())
        return 0;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return writeFailed(QStringLiteral("Could not save the area"), db.lastError().text());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO zeltrin_areas (name, south, west, north, east, min_zoom, max_zoom,"
                             " tile_count, created_ms, state, url_template) VALUES (?,?,?,?,?,?,?,?,?,?,?)"));
    // A null QString binds as NULL; these columns hold text, empty or not.
    const auto text = [](const QString &t) { return QVariant(t.isNull() ? QString(QLatin1String("")) : t); };
    for (const QVariant &v : {text(area.name), QVariant(area.bounds.south), QVariant(area.bounds.west),
                              QVariant(area.bounds.north), QVariant(area.bounds.east), QVariant(area.minZoom),
                              QVariant(area.maxZoom), QVariant(tileCount(area.bounds, area.minZoom, area.maxZoom)),
                              QVariant(area.created.isValid() ? area.created.toMSecsSinceEpoch()
                                                              : QDateTime::currentMSecsSinceEpoch()),
                              QVariant(areaStateKey(area.state)), text(area.urlTemplate)})
        q.addBindValue(v);
    bool ok = q.exec();
    QSqlError error = q.lastError();
    const qint64 id = q.lastInsertId().toLongLong();
    QSqlQuery tile(db);
    tile.prepare(QStringLiteral("INSERT OR IGNORE INTO zeltrin_area_tiles (area_id, zoom_level, tile_column, tile_row)"
                                " VALUES (?, ?, ?, ?)"));
    if (ok) {
        forEachTile(area.bounds, area.minZoom, area.maxZoom, [&](int z, int x, int y) {
            tile.bindValue(0, id);
            tile.bindValue(1, z);
            tile.bindValue(2, x);
            tile.bindValue(3, tmsRow(z, y));
            ok = tile.exec();
            if (!ok)
                error = tile.lastError();
            return ok;
        });
    }
    QSqlQuery held(db);
    if (ok) {
        held.prepare(QStringLiteral("UPDATE zeltrin_area_tiles SET held = 1 WHERE area_id = ? AND EXISTS (SELECT 1"
                                    " FROM map m WHERE m.zoom_level = zeltrin_area_tiles.zoom_level"
                                    " AND m.tile_column = zeltrin_area_tiles.tile_column"
                                    " AND m.tile_row = zeltrin_area_tiles.tile_row)"));
        held.addBindValue(id);
        ok = held.exec();
        if (!ok)
            error = held.lastError();
    }
    if (!ok || !db.commit()) {
        if (ok)
            error = db.lastError();
        db.rollback();
        writeFailed(QStringLiteral("Could not save the area"), error.text());
        m_full = isFullError(error);
        return 0;
    }
    refreshMetadata();
    return id;
}

QList<TileAddress> OfflineStore::missingTiles(qint64 areaId)
{
    QList<TileAddress> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT zoom_level, tile_column, tile_row FROM zeltrin_area_tiles"
                             " WHERE area_id = ? AND held = 0 ORDER BY zoom_level, tile_row DESC, tile_column"));
    q.addBindValue(areaId);
    if (!q.exec())
        return out;
    while (q.next()) {
        const int z = q.value(0).toInt();
        out.append({z, q.value(1).toInt(), tmsRow(z, q.value(2).toInt())});
    }
    return out;
}

bool OfflineStore::putTiles(const QList<TileBlob> &tiles)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return writeFailed(QStringLiteral("Could not store the tiles"), db.lastError().text());
    TileWriter writer(db);
    bool ok = true;
    for (const TileBlob &t : tiles) {
        if (t.at.z < 0 || t.at.z > kMaxPackZoom)
            continue;
        if (!(ok = writer.write(t.at.z, t.at.x, tmsRow(t.at.z, t.at.y), t.data)))
            break;
    }
    QSqlError error = writer.error;
    if (!ok || !db.commit()) {
        if (ok)
            error = db.lastError();
        db.rollback();
        writeFailed(QStringLiteral("Could not store the tiles"), error.text());
        m_full = isFullError(error);
        return false;
    }
    if (!m_formatKnown && !tiles.isEmpty()) {
        m_formatKnown = true;
        const QString format = sniffTileFormat(tiles.first().data);
        QSqlQuery meta(db);
        meta.prepare(QStringLiteral("UPDATE metadata SET value = ? WHERE name = 'format'"));
        meta.addBindValue(format.isEmpty() ? QStringLiteral("png") : format);
        meta.exec();
    }
    return true;
}

bool OfflineStore::setAreaState(qint64 id, AreaState state)
{
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("UPDATE zeltrin_areas SET state = ? WHERE id = ?"));
    q.addBindValue(areaStateKey(state));
    q.addBindValue(id);
    if (!q.exec()) {
        writeFailed(QStringLiteral("Could not save the area"), q.lastError().text());
        m_full = isFullError(q.lastError());
        return false;
    }
    return true;
}

bool OfflineStore::removeArea(qint64 id)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return writeFailed(QStringLiteral("Could not delete the area"), db.lastError().text());
    QSqlQuery q(db);
    bool ok = true;
    // The area's own places first, then whichever of them no other area still covers.
    const QStringList steps = {
        QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS gone (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER)"),
        QStringLiteral("DELETE FROM temp.gone"),
        QStringLiteral("INSERT INTO temp.gone SELECT zoom_level, tile_column, tile_row FROM zeltrin_area_tiles"
                       " WHERE area_id = %1").arg(id),
        QStringLiteral("DELETE FROM zeltrin_area_tiles WHERE area_id = %1").arg(id),
        QStringLiteral("DELETE FROM zeltrin_areas WHERE id = %1").arg(id),
        QStringLiteral("DELETE FROM map WHERE (zoom_level, tile_column, tile_row) IN (SELECT zoom_level, tile_column,"
                       " tile_row FROM temp.gone) AND NOT EXISTS (SELECT 1 FROM zeltrin_area_tiles t"
                       " WHERE t.zoom_level = map.zoom_level AND t.tile_column = map.tile_column"
                       " AND t.tile_row = map.tile_row)"),
        QStringLiteral("DELETE FROM images WHERE NOT EXISTS (SELECT 1 FROM map WHERE map.tile_id = images.tile_id)"),
        QStringLiteral("DELETE FROM temp.gone"),
    };
    for (const QString &sql : steps)
        if (!(ok = q.exec(sql)))
            break;
    const QSqlError error = q.lastError();
    if (!ok || !db.commit()) {
        db.rollback();
        return writeFailed(QStringLiteral("Could not delete the area"), ok ? db.lastError().text() : error.text());
    }
    refreshMetadata();
    return true;
}

std::optional<QByteArray> OfflineStore::tile(int z, int x, int y)
{
    if (!isOpen() || z < 0 || z > kMaxPackZoom)
        return std::nullopt;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT i.tile_data FROM map m JOIN images i ON i.tile_id = m.tile_id"
                             " WHERE m.zoom_level = ? AND m.tile_column = ? AND m.tile_row = ?"));
    q.addBindValue(z);
    q.addBindValue(x);
    q.addBindValue(tmsRow(z, y));
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0).toByteArray();
}

qint64 OfflineStore::tileTotal()
{
    QSqlQuery q(connection());
    return isOpen() && q.exec(QStringLiteral("SELECT count(*) FROM map")) && q.next() ? q.value(0).toLongLong() : 0;
}

double OfflineStore::meanTileBytes()
{
    QSqlQuery q(connection());
    if (!isOpen() || !q.exec(QStringLiteral("SELECT avg(length(tile_data)) FROM images")) || !q.next())
        return 0;
    const double mean = q.value(0).toDouble();
    return std::isfinite(mean) ? mean : 0;
}

void OfflineStore::refreshMetadata()
{
    // Readers of the pack see the union of the areas.
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT min(south), min(west), max(north), max(east), min(min_zoom), max(max_zoom)"
                               " FROM zeltrin_areas")) || !q.next() || q.value(0).isNull())
        return;
    const QString bounds = QStringLiteral("%1,%2,%3,%4")
                               .arg(q.value(1).toDouble(), 0, 'f', 6).arg(q.value(0).toDouble(), 0, 'f', 6)
                               .arg(q.value(3).toDouble(), 0, 'f', 6).arg(q.value(2).toDouble(), 0, 'f', 6);
    const QString minZoom = QString::number(q.value(4).toInt()), maxZoom = QString::number(q.value(5).toInt());
    q.finish();
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO metadata (name, value) VALUES ('bounds', ?), ('minzoom', ?),"
                             " ('maxzoom', ?)"));
    q.addBindValue(bounds);
    q.addBindValue(minZoom);
    q.addBindValue(maxZoom);
    q.exec();
}

} // namespace zeltrin::offline
