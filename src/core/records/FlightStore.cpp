#include "FlightStore.h"

#include "SqliteFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>

using namespace zeltrin;

namespace {

// Each step brings the schema from the version before it; a file is never taken backwards.
// Steps tolerate finding their work done (a version number that lags its own tables).
const QList<QStringList> kMigrations = {
    // 1: flights and their tracks.
    {
        QStringLiteral("CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS flights ("
                       " id TEXT PRIMARY KEY, takeoff_ms INTEGER NOT NULL, duration REAL NOT NULL DEFAULT 0,"
                       " max_altitude REAL NOT NULL DEFAULT 0, max_speed REAL NOT NULL DEFAULT 0,"
                       " distance REAL NOT NULL DEFAULT 0, location TEXT NOT NULL DEFAULT '',"
                       " end_reason TEXT NOT NULL DEFAULT 'open', battery_start INTEGER NOT NULL DEFAULT -1,"
                       " battery_end INTEGER NOT NULL DEFAULT -1, takeoff_lat REAL NOT NULL DEFAULT 0,"
                       " takeoff_lon REAL NOT NULL DEFAULT 0, point_count INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS track_points ("
                       " flight_id TEXT NOT NULL, t_ms INTEGER NOT NULL, lat REAL NOT NULL, lon REAL NOT NULL,"
                       " alt REAL NOT NULL, speed REAL NOT NULL, battery INTEGER NOT NULL, signal INTEGER NOT NULL,"
                       " PRIMARY KEY (flight_id, t_ms)) WITHOUT ROWID"),
    },
    // 2: the list reads newest first.
    {
        QStringLiteral("CREATE INDEX IF NOT EXISTS flights_by_takeoff ON flights (takeoff_ms DESC)"),
    },
};
static_assert(FlightStore::kSchemaVersion == 2);

QString newConnectionName()
{
    static std::atomic<int> n{0};
    return QStringLiteral("flightstore-%1").arg(n.fetch_add(1));
}

// SQLite answers only finite doubles back as numbers; a NaN would come back as NULL.
double finiteOr0(double v) { return std::isfinite(v) ? v : 0.0; }

FlightRecord recordFrom(const QSqlQuery &q)
{
    FlightRecord r;
    r.log.id = QUuid::fromString(q.value(0).toString());
    r.log.date = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
    r.log.duration = q.value(2).toDouble();
    r.log.maxAltitude = q.value(3).toDouble();
    r.log.maxSpeed = q.value(4).toDouble();
    r.log.distance = q.value(5).toDouble();
    r.log.location = q.value(6).toString();
    r.end = flightEndFromKey(q.value(7).toString());
    r.batteryStart = q.value(8).toInt();
    r.batteryEnd = q.value(9).toInt();
    r.takeoffLatitude = q.value(10).toDouble();
    r.takeoffLongitude = q.value(11).toDouble();
    r.pointCount = q.value(12).toInt();
    return r;
}

const char kRecordColumns[] = "id, takeoff_ms, duration, max_altitude, max_speed, distance, location, end_reason,"
                              " battery_start, battery_end, takeoff_lat, takeoff_lon, point_count";

} // namespace

FlightStore::FlightStore(const QString &path, QObject *parent)
    : QObject(parent), m_path(path), m_connection(newConnectionName())
{
    if (!openFile() || !usable() || !migrate()) {
        // Unreadable, or not a logbook at all: keep it for whoever wants to look, start anew.
        // Anything else (a folder that cannot be made, a full disk) leaves the file alone.
        if (!m_damaged)
            return;
        setAside();
        if (m_setAside.isEmpty())
            return;
        m_error.clear();
        m_damaged = false;
        if (!openFile() || !usable() || !migrate())
            return;
    }
    m_open = true;
    closeInterrupted();
}

FlightStore::~FlightStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString FlightStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/flights.sqlite");
}

bool FlightStore::fail(const QString &what, const QString &detail)
{
    m_error = what + QStringLiteral(": ") + detail;
    qWarning("FlightStore: %s", qPrintable(m_error));
    return false;
}

bool FlightStore::damaged(const QString &detail)
{
    m_damaged = true;
    return fail(QStringLiteral("The logbook is damaged"), detail);
}

bool FlightStore::openFile()
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("Could not make the logbook folder"), info.absolutePath());
    // A file that is not SQLite at all is refused here; the driver would open it and fail later.
    QString why;
    switch (sqlitefile::readHeader(m_path, &why)) {
    case sqlitefile::Header::unreadable:
        return fail(QStringLiteral("Could not read the logbook"), why);
    case sqlitefile::Header::other:
        return damaged(QStringLiteral("not a database"));
    case sqlitefile::Header::missing:
    case sqlitefile::Header::sqlite:
        break;
    }
    if (const QString error = sqlitefile::open(m_connection, m_path); !error.isEmpty())
        return fail(QStringLiteral("Could not open the logbook"), error);
    return true;
}

bool FlightStore::usable()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
        return damaged(q.lastError().text());
    if (q.value(0).toString() != QLatin1String("ok"))
        return damaged(q.value(0).toString());
    // A file of another program is left exactly as it was: nothing is written before this.
    QSqlQuery v(QSqlDatabase::database(m_connection, false));
    if (!v.exec(QStringLiteral("SELECT (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master)")) || !v.next())
        return damaged(v.lastError().text());
    const int version = v.value(0).toInt();
    const bool foreign = version == 0 && v.value(1).toInt() != 0;
    v.finish();
    q.finish();
    if (foreign)
        return damaged(QStringLiteral("not a logbook"));
    if (version > 0 && !hasOurColumns())
        return false;
    // WAL keeps every committed batch through a kill; NORMAL syncs only at checkpoints.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"})
        if (!v.exec(QString::fromLatin1(pragma)))
            return damaged(v.lastError().text());
    return true;
}

bool FlightStore::migrate()
{
    QString why;
    switch (sqlitefile::migrate(QSqlDatabase::database(m_connection, false), kMigrations, &why)) {
    case sqlitefile::Steps::done:
        return true;
    case sqlitefile::Steps::unreadable:
        return damaged(why);
    case sqlitefile::Steps::failed:
        break;
    }
    return fail(QStringLiteral("Could not update the logbook"), why);
}

bool FlightStore::hasOurColumns()
{
    // A sound file whose tables lack what we read (an edited or mangled schema) cannot be used.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    for (const QString &sql : {QStringLiteral("SELECT %1 FROM flights LIMIT 0").arg(QLatin1String(kRecordColumns)),
                               QStringLiteral("SELECT flight_id, t_ms, lat, lon, alt, speed, battery, signal FROM track_points LIMIT 0"),
                               QStringLiteral("SELECT key, value FROM meta LIMIT 0")})
        if (!q.exec(sql))
            return damaged(q.lastError().text());
    q.finish();
    return true;
}

void FlightStore::setAside()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    m_setAside = sqlitefile::setAside(m_path);
    if (m_setAside.isEmpty())
        fail(QStringLiteral("Could not set the damaged logbook aside"), m_path);
}

void FlightStore::closeInterrupted()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT %1 FROM flights WHERE end_reason = 'open'").arg(QLatin1String(kRecordColumns))))
        return;
    QList<FlightRecord> open;
    while (q.next())
        open << recordFrom(q);
    for (FlightRecord r : open) {
        const QList<TrackPoint> points = track(r.log.id);
        if (!points.isEmpty())
            applyTrackSummary(r, summarizeTrack(points));
        r.end = FlightEnd::interrupted;
        finishFlight(r);
    }
}

bool FlightStore::everRecorded() const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return m_open && q.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'ever_recorded'")) && q.next()
        && q.value(0).toString() == QLatin1String("1");
}

bool FlightStore::beginFlight(const FlightRecord &flight)
{
    if (!m_open)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(QStringLiteral("Could not record the flight"), db.lastError().text());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO flights (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)")
                  .arg(QLatin1String(kRecordColumns)));
    q.addBindValue(flight.log.id.toString(QUuid::WithoutBraces));
    q.addBindValue(flight.log.date.toMSecsSinceEpoch());
    q.addBindValue(finiteOr0(flight.log.duration));
    q.addBindValue(finiteOr0(flight.log.maxAltitude));
    q.addBindValue(finiteOr0(flight.log.maxSpeed));
    q.addBindValue(finiteOr0(flight.log.distance));
    q.addBindValue(flight.log.location);
    q.addBindValue(flightEndKey(FlightEnd::open));
    q.addBindValue(flight.batteryStart);
    q.addBindValue(flight.batteryEnd);
    q.addBindValue(finiteOr0(flight.takeoffLatitude));
    q.addBindValue(finiteOr0(flight.takeoffLongitude));
    q.addBindValue(0);
    QSqlQuery meta(db);
    if (!q.exec() || !meta.exec(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('ever_recorded', '1')"))
        || !db.commit()) {
        const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        db.rollback();
        return fail(QStringLiteral("Could not record the flight"), why);
    }
    Q_EMIT flightsChanged();
    return true;
}

bool FlightStore::appendPoints(const QUuid &flightId, const QList<TrackPoint> &points)
{
    if (!m_open)
        return false;
    if (points.isEmpty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(QStringLiteral("Could not save the track"), db.lastError().text());
    const QString id = flightId.toString(QUuid::WithoutBraces);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO track_points (flight_id, t_ms, lat, lon, alt, speed, battery, signal)"
                             " VALUES (?,?,?,?,?,?,?,?)"));
    for (const TrackPoint &p : points) {
        q.addBindValue(id);
        q.addBindValue(p.timeMs);
        q.addBindValue(finiteOr0(p.latitude));
        q.addBindValue(finiteOr0(p.longitude));
        q.addBindValue(finiteOr0(p.altitude));
        q.addBindValue(finiteOr0(p.speed));
        q.addBindValue(p.battery);
        q.addBindValue(p.signal);
        if (!q.exec()) {
            const QString why = q.lastError().text();
            db.rollback();
            return fail(QStringLiteral("Could not save the track"), why);
        }
    }
    QSqlQuery count(db);
    count.prepare(QStringLiteral("UPDATE flights SET point_count = (SELECT count(*) FROM track_points WHERE flight_id = ?)"
                                 " WHERE id = ?"));
    count.addBindValue(id);
    count.addBindValue(id);
    if (!count.exec() || !db.commit()) {
        const QString why = count.lastError().isValid() ? count.lastError().text() : db.lastError().text();
        db.rollback();
        return fail(QStringLiteral("Could not save the track"), why);
    }
    return true;
}

bool FlightStore::finishFlight(const FlightRecord &flight)
{
    if (!m_open)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE flights SET duration = ?, max_altitude = ?, max_speed = ?, distance = ?, location = ?,"
                             " end_reason = ?, battery_start = ?, battery_end = ? WHERE id = ?"));
    q.addBindValue(finiteOr0(flight.log.duration));
    q.addBindValue(finiteOr0(flight.log.maxAltitude));
    q.addBindValue(finiteOr0(flight.log.maxSpeed));
    q.addBindValue(finiteOr0(flight.log.distance));
    q.addBindValue(flight.log.location);
    q.addBindValue(flightEndKey(flight.end == FlightEnd::open ? FlightEnd::landed : flight.end));
    q.addBindValue(flight.batteryStart);
    q.addBindValue(flight.batteryEnd);
    q.addBindValue(flight.log.id.toString(QUuid::WithoutBraces));
    if (!q.exec())
        return fail(QStringLiteral("Could not finish the flight"), q.lastError().text());
    Q_EMIT flightsChanged();
    return true;
}

QList<FlightRecord> FlightStore::flights(qsizetype offset, qsizetype limit) const
{
    QList<FlightRecord> out;
    if (!m_open)
        return out;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM flights ORDER BY takeoff_ms DESC, id LIMIT ? OFFSET ?")
                  .arg(QLatin1String(kRecordColumns)));
    q.addBindValue(qlonglong(limit < 0 ? -1 : limit));
    q.addBindValue(qlonglong(std::max<qsizetype>(0, offset)));
    if (!q.exec())
        return out;
    if (limit > 0)
        out.reserve(limit);
    while (q.next())
        out << recordFrom(q);
    return out;
}

qsizetype FlightStore::flightCount() const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!m_open || !q.exec(QStringLiteral("SELECT count(*) FROM flights")) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

FlightTotals FlightStore::totals() const
{
    FlightTotals t;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!m_open
        || !q.exec(QStringLiteral("SELECT count(*), total(duration), total(distance), total(max_altitude), total(max_speed)"
                                  " FROM flights"))
        || !q.next())
        return t;
    t.count = q.value(0).toLongLong();
    t.duration = q.value(1).toDouble();
    t.distance = q.value(2).toDouble();
    t.maxAltitudeSum = q.value(3).toDouble();
    t.maxSpeedSum = q.value(4).toDouble();
    return t;
}

std::optional<FlightRecord> FlightStore::flight(const QUuid &id) const
{
    if (!m_open)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM flights WHERE id = ?").arg(QLatin1String(kRecordColumns)));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!q.exec() || !q.next())
        return std::nullopt;
    return recordFrom(q);
}

QList<TrackPoint> FlightStore::track(const QUuid &id) const
{
    QList<TrackPoint> out;
    if (!m_open)
        return out;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT t_ms, lat, lon, alt, speed, battery, signal FROM track_points"
                             " WHERE flight_id = ? ORDER BY t_ms"));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!q.exec())
        return out;
    while (q.next()) {
        TrackPoint p;
        p.timeMs = q.value(0).toLongLong();
        p.latitude = q.value(1).toDouble();
        p.longitude = q.value(2).toDouble();
        p.altitude = q.value(3).toDouble();
        p.speed = q.value(4).toDouble();
        p.battery = q.value(5).toInt();
        p.signal = q.value(6).toInt();
        out << p;
    }
    return out;
}

bool FlightStore::deleteFlight(const QUuid &id)
{
    if (!m_open)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(QStringLiteral("Could not delete the flight"), db.lastError().text());
    const QString key = id.toString(QUuid::WithoutBraces);
    QSqlQuery points(db), flight(db);
    points.prepare(QStringLiteral("DELETE FROM track_points WHERE flight_id = ?"));
    points.addBindValue(key);
    flight.prepare(QStringLiteral("DELETE FROM flights WHERE id = ?"));
    flight.addBindValue(key);
    if (!points.exec() || !flight.exec() || !db.commit()) {
        db.rollback();
        return fail(QStringLiteral("Could not delete the flight"), db.lastError().text());
    }
    Q_EMIT flightsChanged();
    return true;
}
