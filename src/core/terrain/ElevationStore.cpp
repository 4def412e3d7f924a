#include "ElevationStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace zeltrin::terrain {

namespace {

SqliteSchema elevationSchema()
{
    SqliteSchema s;
    s.name = QStringLiteral("ElevationStore");
    s.noun = QStringLiteral("elevation data");
    s.damaged = QStringLiteral("The elevation data is damaged");
    s.foreign = QStringLiteral("not our elevation data");
    s.steps = {{1,
                {
                    QStringLiteral("CREATE TABLE IF NOT EXISTS areas (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                                   " south REAL NOT NULL, west REAL NOT NULL, north REAL NOT NULL, east REAL NOT NULL,"
                                   " zoom INTEGER NOT NULL, source TEXT NOT NULL, resolution REAL NOT NULL,"
                                   " datum TEXT NOT NULL, created_ms INTEGER NOT NULL)"),
                    QStringLiteral("CREATE TABLE IF NOT EXISTS tiles (area_id INTEGER NOT NULL, z INTEGER NOT NULL,"
                                   " x INTEGER NOT NULL, y INTEGER NOT NULL, png BLOB NOT NULL,"
                                   " PRIMARY KEY (area_id, z, x, y)) WITHOUT ROWID"),
                }},
               // The offline map area an area was downloaded with (0: imported from a file).
               {2, {QStringLiteral("ALTER TABLE areas ADD COLUMN map_area INTEGER NOT NULL DEFAULT 0")}}};
    s.tables = {
        {QStringLiteral("areas"),
         QStringLiteral("id, name, south, west, north, east, zoom, source, resolution, datum, created_ms")},
        {QStringLiteral("tiles"), QStringLiteral("area_id, z, x, y, png")},
        {QStringLiteral("areas"), QStringLiteral("map_area"), 2},
    };
    s.applicationId = 0x5A454C56; // "ZELV"
    return s;
}

QVariant text(const QString &t)
{
    return QVariant(t.isNull() ? QString(QLatin1String("")) : t);
}

} // namespace

ElevationStore::ElevationStore(const QString &path) : m_db(path, elevationSchema()) {}

ElevationStore::~ElevationStore()
{
    if (m_writing)
        abandonArea();
}

QString ElevationStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/elevation.sqlite");
}

QList<ElevationArea> ElevationStore::areas()
{
    QList<ElevationArea> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
    if (!q.exec(
            QStringLiteral("SELECT a.id, a.name, a.south, a.west, a.north, a.east, a.zoom, a.source,"
                           " a.resolution, a.datum, (SELECT count(*) FROM tiles t WHERE t.area_id = a.id), a.map_area"
                           " FROM areas a ORDER BY a.id")))
        return out;
    while (q.next()) {
        ElevationArea a;
        a.id = q.value(0).toLongLong();
        a.name = q.value(1).toString();
        a.south = q.value(2).toDouble();
        a.west = q.value(3).toDouble();
        a.north = q.value(4).toDouble();
        a.east = q.value(5).toDouble();
        a.zoom = q.value(6).toInt();
        a.source = q.value(7).toString();
        a.resolution = q.value(8).toDouble();
        a.datum = q.value(9).toString();
        a.tileCount = q.value(10).toLongLong();
        a.mapArea = q.value(11).toLongLong();
        out.append(a);
    }
    return out;
}

qint64 ElevationStore::addArea(const ElevationArea &area, const QList<ElevationTileBlob> &tiles)
{
    const qint64 id = beginArea(area);
    if (id == 0)
        return 0;
    for (const ElevationTileBlob &t : tiles) {
        if (!addTile(id, t)) {
            abandonArea();
            return 0;
        }
    }
    return commitArea() ? id : 0;
}

qint64 ElevationStore::beginArea(const ElevationArea &area)
{
    if (!isOpen() || m_writing)
        return 0;
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        m_db.fail(QStringLiteral("Could not save the elevation area"), db.lastError().text());
        return 0;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO areas (name, south, west, north, east, zoom, source, resolution, datum,"
        " map_area, created_ms) VALUES (?,?,?,?,?,?,?,?,?,?, CAST(strftime('%s','now') AS INTEGER) * 1000)"));
    for (const QVariant &v :
         {text(area.name), QVariant(area.south), QVariant(area.west), QVariant(area.north), QVariant(area.east),
          QVariant(area.zoom), text(area.source), QVariant(area.resolution), text(area.datum), QVariant(area.mapArea)})
        q.addBindValue(v);
    if (!q.exec()) {
        db.rollback();
        m_db.fail(QStringLiteral("Could not save the elevation area"), q.lastError().text());
        return 0;
    }
    m_writing = true;
    return q.lastInsertId().toLongLong();
}

bool ElevationStore::addTile(qint64 areaId, const ElevationTileBlob &tile)
{
    if (!m_writing)
        return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO tiles (area_id, z, x, y, png) VALUES (?,?,?,?,?)"));
    for (const QVariant &v :
         {QVariant(areaId), QVariant(tile.z), QVariant(tile.x), QVariant(tile.y), QVariant(tile.png)})
        q.addBindValue(v);
    if (!q.exec())
        return m_db.fail(QStringLiteral("Could not save the elevation area"), q.lastError().text());
    return true;
}

bool ElevationStore::commitArea()
{
    if (!m_writing)
        return false;
    m_writing = false;
    QSqlDatabase db = connection();
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return m_db.fail(QStringLiteral("Could not save the elevation area"), why);
    }
    return true;
}

void ElevationStore::abandonArea()
{
    if (!m_writing)
        return;
    m_writing = false;
    connection().rollback();
}

bool ElevationStore::removeArea(qint64 id)
{
    if (!isOpen() || m_writing)
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not remove the elevation area"), db.lastError().text());
    QSqlQuery q(db);
    bool ok = q.exec(QStringLiteral("DELETE FROM tiles WHERE area_id = %1").arg(id))
        && q.exec(QStringLiteral("DELETE FROM areas WHERE id = %1").arg(id));
    if (!ok || !db.commit()) {
        const QString why = ok ? db.lastError().text() : q.lastError().text();
        db.rollback();
        return m_db.fail(QStringLiteral("Could not remove the elevation area"), why);
    }
    return true;
}

bool ElevationStore::putTiles(qint64 areaId, const QList<ElevationTileBlob> &tiles)
{
    if (!isOpen() || m_writing)
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not save the elevation tiles"), db.lastError().text());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO tiles (area_id, z, x, y, png) SELECT ?,?,?,?,?"
                             " WHERE EXISTS (SELECT 1 FROM areas WHERE id = ?)"));
    for (const ElevationTileBlob &t : tiles) {
        for (const QVariant &v :
             {QVariant(areaId), QVariant(t.z), QVariant(t.x), QVariant(t.y), QVariant(t.png), QVariant(areaId)})
            q.addBindValue(v);
        if (!q.exec()) {
            const QString why = q.lastError().text();
            db.rollback();
            return m_db.fail(QStringLiteral("Could not save the elevation tiles"), why);
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return m_db.fail(QStringLiteral("Could not save the elevation tiles"), why);
    }
    return true;
}

qint64 ElevationStore::areaOfMapArea(qint64 mapAreaId)
{
    if (!isOpen() || mapAreaId <= 0)
        return 0;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT id FROM areas WHERE map_area = ? ORDER BY id LIMIT 1"));
    q.addBindValue(mapAreaId);
    return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<QByteArray> ElevationStore::tile(qint64 areaId, int z, int x, int y)
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT png FROM tiles WHERE area_id = ? AND z = ? AND x = ? AND y = ?"));
    for (const QVariant &v : {QVariant(areaId), QVariant(z), QVariant(x), QVariant(y)})
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0).toByteArray();
}

QList<ElevationTileBlob> ElevationStore::tilesOf(qint64 areaId, bool withData)
{
    QList<ElevationTileBlob> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
    q.prepare(withData ? QStringLiteral("SELECT z, x, y, png FROM tiles WHERE area_id = ? ORDER BY z, y, x")
                       : QStringLiteral("SELECT z, x, y FROM tiles WHERE area_id = ? ORDER BY z, y, x"));
    q.addBindValue(areaId);
    if (!q.exec())
        return out;
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(),
                    withData ? q.value(3).toByteArray() : QByteArray()});
    return out;
}

} // namespace zeltrin::terrain
