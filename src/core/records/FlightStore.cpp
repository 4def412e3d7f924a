#include "FlightStore.h"

#include "FlightInsights.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <cmath>

using namespace zeltrin;

namespace {

const char kRecordColumns[] = "id, takeoff_ms, duration, max_altitude, max_speed, distance, location, end_reason,"
                              " battery_start, battery_end, takeoff_lat, takeoff_lon, point_count";

const char kBreakpointColumns[] = "plan_hash, name, part, part_count, leg, fraction, photos, photo_leg,"
                                  " photo_fraction, photo_lat, photo_lon, trigger_distance, gimbal_pitch, finished,"
                                  " updated_ms";

SqliteSchema logbookSchema()
{
    SqliteSchema s;
    s.name = QStringLiteral("FlightStore");
    s.noun = QStringLiteral("logbook");
    s.damaged = QStringLiteral("The logbook is damaged");
    s.foreign = QStringLiteral("not a logbook");
    // One SQL statement a line reads best.
    // clang-format off
    s.steps = {
        {1, {
            // Flights and their tracks.
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
        }},
        {2, {
            // The list reads newest first.
            QStringLiteral("CREATE INDEX IF NOT EXISTS flights_by_takeoff ON flights (takeoff_ms DESC)"),
        }},
        {3, {
            // The photos the camera took, numbered from 1 in each flight; NULL where the aircraft
            // gave no value.
            QStringLiteral("CREATE TABLE IF NOT EXISTS photos ("
                           " flight_id TEXT NOT NULL, n INTEGER NOT NULL, t_ms INTEGER NOT NULL, lat REAL, lon REAL,"
                           " height REAL, heading REAL, gimbal_pitch REAL,"
                           " PRIMARY KEY (flight_id, n)) WITHOUT ROWID"),
        }},
        {4, {
            // How far each mission flown a battery at a time has got, by the plan's hash.
            QStringLiteral("CREATE TABLE IF NOT EXISTS breakpoints ("
                           " plan_hash TEXT PRIMARY KEY, name TEXT NOT NULL, part INTEGER NOT NULL,"
                           " part_count INTEGER NOT NULL, leg INTEGER NOT NULL, fraction REAL NOT NULL,"
                           " photos INTEGER NOT NULL, photo_leg INTEGER NOT NULL, photo_fraction REAL NOT NULL,"
                           " photo_lat REAL, photo_lon REAL, trigger_distance REAL NOT NULL, gimbal_pitch REAL,"
                           " finished INTEGER NOT NULL, updated_ms INTEGER NOT NULL) WITHOUT ROWID"),
            // The plan each was begun with, to resume it after a restart.
            QStringLiteral("CREATE TABLE IF NOT EXISTS breakpoint_plans (plan_hash TEXT PRIMARY KEY,"
                           " plan TEXT NOT NULL) WITHOUT ROWID"),
        }},
    };
    // clang-format on
    s.tables = {
        {QStringLiteral("flights"), QLatin1String(kRecordColumns)},
        {QStringLiteral("track_points"), QStringLiteral("flight_id, t_ms, lat, lon, alt, speed, battery, signal")},
        {QStringLiteral("meta"), QStringLiteral("key, value")},
        {QStringLiteral("photos"), QStringLiteral("flight_id, n, t_ms, lat, lon, height, heading, gimbal_pitch"), 3},
        {QStringLiteral("breakpoints"), QLatin1String(kBreakpointColumns), 4},
        {QStringLiteral("breakpoint_plans"), QStringLiteral("plan_hash, plan"), 4},
    };
    return s;
}

// SQLite answers only finite doubles back as numbers; a NaN would come back as NULL.
double finiteOr0(double v) { return std::isfinite(v) ? v : 0.0; }

// Unknown stays unknown: NULL in the file, NaN when read back.
QVariant orNull(double v)
{
    return std::isfinite(v) ? QVariant(v) : QVariant();
}
double orNaN(const QVariant &v)
{
    return v.isNull() ? std::nan("") : v.toDouble();
}

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

} // namespace

FlightStore::FlightStore(const QString &path, QObject *parent) : QObject(parent), m_db(path, logbookSchema())
{
    Q_ASSERT(m_db.schemaVersion() == kSchemaVersion);
    if (m_db.isOpen())
        closeInterrupted();
}

FlightStore::~FlightStore() = default;

QString FlightStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/flights.sqlite");
}

void FlightStore::closeInterrupted()
{
    QSqlDatabase db = connection();
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
    QSqlQuery q(connection());
    return isOpen() && q.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'ever_recorded'")) && q.next()
        && q.value(0).toString() == QLatin1String("1");
}

bool FlightStore::beginFlight(const FlightRecord &flight)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not record the flight"), db.lastError().text());
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
        return m_db.fail(QStringLiteral("Could not record the flight"), why);
    }
    Q_EMIT flightsChanged();
    return true;
}

bool FlightStore::appendPoints(const QUuid &flightId, const QList<TrackPoint> &points)
{
    if (!isOpen())
        return false;
    if (points.isEmpty())
        return true;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not save the track"), db.lastError().text());
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
            return m_db.fail(QStringLiteral("Could not save the track"), why);
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
        return m_db.fail(QStringLiteral("Could not save the track"), why);
    }
    return true;
}

bool FlightStore::appendPhotos(const QUuid &flightId, const QList<PhotoRecord> &photos)
{
    if (!isOpen())
        return false;
    if (photos.isEmpty())
        return true;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not save the photos"), db.lastError().text());
    const QString id = flightId.toString(QUuid::WithoutBraces);
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("INSERT OR REPLACE INTO photos (flight_id, n, t_ms, lat, lon, height, heading, gimbal_pitch)"
                       " VALUES (?,?,?,?,?,?,?,?)"));
    for (const PhotoRecord &p : photos) {
        q.addBindValue(id);
        q.addBindValue(p.number);
        q.addBindValue(p.timeMs);
        q.addBindValue(orNull(p.latitude));
        q.addBindValue(orNull(p.longitude));
        q.addBindValue(orNull(p.height));
        q.addBindValue(orNull(p.heading));
        q.addBindValue(orNull(p.gimbalPitch));
        if (!q.exec()) {
            const QString why = q.lastError().text();
            db.rollback();
            return m_db.fail(QStringLiteral("Could not save the photos"), why);
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return m_db.fail(QStringLiteral("Could not save the photos"), why);
    }
    return true;
}

bool FlightStore::finishFlight(const FlightRecord &flight)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
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
        return m_db.fail(QStringLiteral("Could not finish the flight"), q.lastError().text());
    Q_EMIT flightsChanged();
    return true;
}

QList<FlightRecord> FlightStore::flights(qsizetype offset, qsizetype limit) const
{
    QList<FlightRecord> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
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
    QSqlQuery q(connection());
    if (!isOpen() || !q.exec(QStringLiteral("SELECT count(*) FROM flights")) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

FlightTotals FlightStore::totals() const
{
    FlightTotals t;
    QSqlQuery q(connection());
    if (!isOpen()
        || !q.exec(
            QStringLiteral("SELECT count(*), total(duration), total(distance), total(max_altitude), total(max_speed)"
                           " FROM flights"))
        || !q.next())
        return t;
    t.count = q.value(0).toLongLong();
    t.duration = q.value(1).toDouble();
    t.distance = q.value(2).toDouble();
    t.maxAltitudeSum = q.value(3).toDouble();
    t.maxSpeedSum = q.value(4).toDouble();
    addInsightTotals(t);
    return t;
}

// The same sums as totalsOf() (FlightInsights.cpp), over the whole logbook without reading it.
void FlightStore::addInsightTotals(FlightTotals &t) const
{
    // Known at both ends, not risen, with a duration: what batteryPerMinute() accepts.
    const QString perMinute = QStringLiteral("battery_start >= 0 AND battery_end >= 0 AND battery_start >= battery_end"
                                             " AND duration > 0");
    QSqlQuery q(connection());
    if (q.exec(QStringLiteral("SELECT coalesce(max(max_speed), 0) FROM flights")) && q.next())
        t.fastest = q.value(0).toDouble();
    if (q.exec(QStringLiteral("SELECT count(*), total(battery_start - battery_end), total(duration) / 60.0 FROM flights"
                              " WHERE %1")
                   .arg(perMinute))
        && q.next()) {
        t.batteryFlights = q.value(0).toLongLong();
        t.batteryUsed = q.value(1).toDouble();
        t.batteryMinutes = q.value(2).toDouble();
    }
    if (q.exec(QStringLiteral("SELECT total(distance), total(battery_start - battery_end),"
                              " coalesce(max(distance / (battery_start - battery_end)), 0) FROM flights"
                              " WHERE battery_end >= 0 AND battery_start - battery_end >= %1")
                   .arg(kMinEfficiencyBattery))
        && q.next()) {
        t.efficiencyDistance = q.value(0).toDouble();
        t.efficiencyBattery = q.value(1).toDouble();
        t.bestEfficiency = q.value(2).toDouble();
    }
    if (q.exec(QStringLiteral("SELECT (battery_start - battery_end) / (duration / 60.0) FROM flights WHERE %1"
                              " ORDER BY takeoff_ms DESC, id LIMIT 1")
                   .arg(perMinute))
        && q.next())
        t.latestBatteryPerMinute = q.value(0).toDouble();
}

std::optional<FlightRecord> FlightStore::flight(const QUuid &id) const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT %1 FROM flights WHERE id = ?").arg(QLatin1String(kRecordColumns)));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!q.exec() || !q.next())
        return std::nullopt;
    return recordFrom(q);
}

QList<TrackPoint> FlightStore::track(const QUuid &id) const
{
    QList<TrackPoint> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
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

QList<PhotoRecord> FlightStore::photos(const QUuid &id) const
{
    QList<PhotoRecord> out;
    if (!isOpen())
        return out;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT n, t_ms, lat, lon, height, heading, gimbal_pitch FROM photos"
                             " WHERE flight_id = ? ORDER BY n"));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!q.exec())
        return out;
    while (q.next()) {
        PhotoRecord p;
        p.number = q.value(0).toInt();
        p.timeMs = q.value(1).toLongLong();
        p.latitude = orNaN(q.value(2));
        p.longitude = orNaN(q.value(3));
        p.height = orNaN(q.value(4));
        p.heading = orNaN(q.value(5));
        p.gimbalPitch = orNaN(q.value(6));
        out << p;
    }
    return out;
}

bool FlightStore::deleteFlight(const QUuid &id)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not delete the flight"), db.lastError().text());
    const QString key = id.toString(QUuid::WithoutBraces);
    QSqlQuery points(db), photos(db), flight(db);
    points.prepare(QStringLiteral("DELETE FROM track_points WHERE flight_id = ?"));
    points.addBindValue(key);
    photos.prepare(QStringLiteral("DELETE FROM photos WHERE flight_id = ?"));
    photos.addBindValue(key);
    flight.prepare(QStringLiteral("DELETE FROM flights WHERE id = ?"));
    flight.addBindValue(key);
    if (!points.exec() || !photos.exec() || !flight.exec() || !db.commit()) {
        db.rollback();
        return m_db.fail(QStringLiteral("Could not delete the flight"), db.lastError().text());
    }
    Q_EMIT flightsChanged();
    return true;
}

bool FlightStore::saveBreakpoint(const survey::MissionBreakpoint &bp)
{
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    // One statement: committed whole or not at all.
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO breakpoints (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                  .arg(QLatin1String(kBreakpointColumns)));
    for (const QVariant &v :
         {QVariant(QString::fromLatin1(bp.planHash)),
          QVariant(bp.name.isNull() ? QStringLiteral("") : bp.name), // NULL is refused
          QVariant(bp.part), QVariant(bp.partCount), QVariant(bp.reached.leg), QVariant(finiteOr0(bp.reached.fraction)),
          QVariant(bp.photos), QVariant(bp.lastPhoto.leg), QVariant(finiteOr0(bp.lastPhoto.fraction)),
          orNull(bp.photoLatitude), orNull(bp.photoLongitude), QVariant(finiteOr0(bp.camera.triggerDistance)),
          orNull(bp.camera.gimbalPitch), QVariant(int(bp.finished)), QVariant(bp.updatedMs)})
        q.addBindValue(v);
    if (!q.exec())
        return m_db.fail(QStringLiteral("Could not keep the mission's progress"), q.lastError().text());
    return true;
}

std::optional<survey::MissionBreakpoint> FlightStore::readBreakpoint(const QString &where, const QByteArray &hash) const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT %1 FROM breakpoints %2").arg(QLatin1String(kBreakpointColumns), where));
    if (!hash.isEmpty())
        q.addBindValue(QString::fromLatin1(hash));
    if (!q.exec() || !q.next())
        return std::nullopt;
    survey::MissionBreakpoint bp;
    bp.planHash = q.value(0).toString().toLatin1();
    bp.name = q.value(1).toString();
    bp.part = q.value(2).toInt();
    bp.partCount = q.value(3).toInt();
    bp.reached = {q.value(4).toInt(), q.value(5).toDouble()};
    bp.photos = q.value(6).toInt();
    bp.lastPhoto = {q.value(7).toInt(), q.value(8).toDouble()};
    bp.photoLatitude = orNaN(q.value(9));
    bp.photoLongitude = orNaN(q.value(10));
    bp.camera = {q.value(11).toDouble(), orNaN(q.value(12))};
    bp.finished = q.value(13).toInt() != 0;
    bp.updatedMs = q.value(14).toLongLong();
    return bp;
}

std::optional<survey::MissionBreakpoint> FlightStore::openBreakpoint() const
{
    return readBreakpoint(QStringLiteral("WHERE finished = 0 ORDER BY updated_ms DESC LIMIT 1"), {});
}

std::optional<survey::MissionBreakpoint> FlightStore::breakpoint(const QByteArray &planHash) const
{
    if (planHash.isEmpty())
        return std::nullopt;
    return readBreakpoint(QStringLiteral("WHERE plan_hash = ?"), planHash);
}

bool FlightStore::removeBreakpoint(const QByteArray &planHash)
{
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction())
        return m_db.fail(QStringLiteral("Could not forget the mission's progress"), db.lastError().text());
    for (const char *table : {"breakpoints", "breakpoint_plans"}) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE plan_hash = ?").arg(QLatin1String(table)));
        q.addBindValue(QString::fromLatin1(planHash));
        if (!q.exec()) {
            const QString why = q.lastError().text();
            db.rollback();
            return m_db.fail(QStringLiteral("Could not forget the mission's progress"), why);
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return m_db.fail(QStringLiteral("Could not forget the mission's progress"), why);
    }
    return true;
}

bool FlightStore::saveMissionPlan(const QByteArray &planHash, const QByteArray &json)
{
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO breakpoint_plans (plan_hash, plan) VALUES (?, ?)"));
    q.addBindValue(QString::fromLatin1(planHash));
    q.addBindValue(QString::fromUtf8(json));
    if (!q.exec())
        return m_db.fail(QStringLiteral("Could not keep the mission's plan"), q.lastError().text());
    return true;
}

QByteArray FlightStore::missionPlan(const QByteArray &planHash) const
{
    if (!isOpen())
        return {};
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT plan FROM breakpoint_plans WHERE plan_hash = ?"));
    q.addBindValue(QString::fromLatin1(planHash));
    return q.exec() && q.next() ? q.value(0).toString().toUtf8() : QByteArray();
}
