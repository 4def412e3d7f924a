// The logbook store on real SQLite files: what is written comes back, a flight the app left
// open is closed as interrupted, older files are brought up to date, and a damaged file is set
// aside whole while a new one starts. sqlite3 reads what we write.
#include "FlightStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace zeltrin;

namespace {

FlightRecord makeFlight(qint64 takeoffMs, const QString &place = QStringLiteral("Zurich, CH"))
{
    FlightRecord r;
    r.log.date = QDateTime::fromMSecsSinceEpoch(takeoffMs, Qt::UTC);
    r.log.location = place;
    r.takeoffLatitude = 47.3977;
    r.takeoffLongitude = 8.5456;
    r.batteryStart = 95;
    return r;
}

// `n` photos 10 m apart, one a second, looking down; the third has no heading.
QList<PhotoRecord> photosAlong(qint64 fromMs, int n)
{
    QList<PhotoRecord> out;
    for (int i = 0; i < n; ++i)
        out << PhotoRecord{i + 1, fromMs + i * 1000, 47.3977 + i * 9e-5, 8.5456, 60.0, i == 2 ? std::nan("") : 0.0,
                           -90.0};
    return out;
}

bool samePhotos(const QList<PhotoRecord> &a, const QList<PhotoRecord> &b)
{
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](const PhotoRecord &p, const PhotoRecord &q) {
               return p.number == q.number && p.timeMs == q.timeMs && same(p.latitude, q.latitude)
                   && same(p.longitude, q.longitude) && same(p.height, q.height) && same(p.heading, q.heading)
                   && same(p.gimbalPitch, q.gimbalPitch);
           });
}

QList<TrackPoint> line(qint64 fromMs, int n, int battery = 95)
{
    QList<TrackPoint> out;
    for (int i = 0; i < n; ++i) {
        TrackPoint p;
        p.timeMs = fromMs + i * 1000;
        p.latitude = 47.3977 + i * 1e-4;
        p.longitude = 8.5456;
        p.altitude = std::min(i * 2.0, 60.0);
        p.speed = 5.0 + (i % 3);
        p.battery = battery - i / 10;
        p.signal = 80;
        out << p;
    }
    return out;
}

// What the sqlite3 shell prints for a statement on the file.
QString sqlite3(const QString &file, const QString &sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return QStringLiteral("<sqlite3 failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestFlightStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(),
                 "sqlite3 is not installed (scripts/ensure-deps.sh installs it)");
    }

    void writesComeBackNewestFirstAndSqliteReadsThem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        QUuid middle;
        {
            FlightStore store(path);
            QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
            QVERIFY(!store.everRecorded());
            for (qint64 t : {2'000'000'000'000LL, 1'000'000'000'000LL, 1'500'000'000'000LL}) {
                FlightRecord f = makeFlight(t);
                QVERIFY(store.beginFlight(f));
                const auto pts = line(t, 30);
                QVERIFY(store.appendPoints(f.log.id, pts.first(10)));
                QVERIFY(store.appendPoints(f.log.id, pts.mid(10)));
                const TrackSummary s = summarizeTrack(pts);
                f.log.duration = s.duration;
                f.log.maxAltitude = s.maxAltitude;
                f.log.distance = s.distance;
                f.batteryEnd = s.batteryEnd;
                f.end = FlightEnd::landed;
                QVERIFY(store.finishFlight(f));
                if (t == 1'500'000'000'000LL)
                    middle = f.log.id;
            }
        }
        FlightStore store(path);
        const auto flights = store.flights();
        QCOMPARE(flights.size(), 3);
        QCOMPARE(flights[0].log.date.toMSecsSinceEpoch(), 2'000'000'000'000LL);
        QCOMPARE(flights[1].log.id, middle);
        QCOMPARE(flights[2].log.date.toMSecsSinceEpoch(), 1'000'000'000'000LL);
        QCOMPARE(flights[1].end, FlightEnd::landed);
        QCOMPARE(flights[1].pointCount, 30);
        QCOMPARE(flights[1].log.duration, 29.0);
        QCOMPARE(flights[1].batteryUsed(), 2);
        QCOMPARE(flights[1].log.location, QStringLiteral("Zurich, CH"));
        QCOMPARE(store.track(middle), line(1'500'000'000'000LL, 30));
        QVERIFY(store.everRecorded());

        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QString::number(FlightStore::kSchemaVersion));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM track_points")), QStringLiteral("90"));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }

    void deletingTakesTheTrackAndKeepsTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        FlightStore store(path);
        FlightRecord a = makeFlight(1000), b = makeFlight(2000);
        for (auto *f : {&a, &b}) {
            QVERIFY(store.beginFlight(*f));
            QVERIFY(store.appendPoints(f->log.id, line(f->log.date.toMSecsSinceEpoch(), 5)));
            QVERIFY(store.finishFlight(*f));
        }
        QVERIFY(store.deleteFlight(a.log.id));
        QCOMPARE(store.flights().size(), 1);
        QCOMPARE(store.flights()[0].log.id, b.log.id);
        QVERIFY(store.track(a.log.id).isEmpty());
        QCOMPARE(store.track(b.log.id).size(), 5);
        QVERIFY(store.deleteFlight(b.log.id));
        QVERIFY(store.flights().isEmpty());
        // A logbook emptied by hand is not a new install.
        QVERIFY(store.everRecorded());
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM track_points")), QStringLiteral("0"));
    }

    // Photos come back in order, an unknown value as unknown (NULL in the file); a batch written
    // again changes nothing; deleting the flight takes them.
    void photosComeBackAndGoWithTheirFlight()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        FlightStore store(path);
        FlightRecord a = makeFlight(1000), b = makeFlight(2000);
        const QList<PhotoRecord> photos = photosAlong(1000, 5);
        QVERIFY(store.beginFlight(a) && store.beginFlight(b));
        QVERIFY(store.appendPhotos(a.log.id, photos.first(3)));
        QVERIFY(store.appendPhotos(a.log.id, photos.mid(2)));
        QVERIFY(store.appendPhotos(b.log.id, photosAlong(2000, 2)));
        QVERIFY(store.appendPhotos(b.log.id, {}));
        QVERIFY(samePhotos(store.photos(a.log.id), photos));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT n FROM photos WHERE heading IS NULL")), QStringLiteral("3"));
        QCOMPARE(
            sqlite3(path,
                    QStringLiteral("SELECT count(*), min(gimbal_pitch), max(t_ms) FROM photos WHERE flight_id = '%1'")
                        .arg(a.log.id.toString(QUuid::WithoutBraces))),
            QStringLiteral("5|-90.0|5000"));
        QVERIFY(store.deleteFlight(a.log.id));
        QVERIFY(store.photos(a.log.id).isEmpty());
        QCOMPARE(store.photos(b.log.id).size(), 2);
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM photos")), QStringLiteral("2"));
    }

    void openFlightIsClosedAsInterruptedOnTheNextStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        FlightRecord f = makeFlight(5'000'000);
        {
            FlightStore store(path);
            QVERIFY(store.beginFlight(f));
            QVERIFY(store.appendPoints(f.log.id, line(5'000'000, 12)));
            // The app stops here: no finish.
        }
        FlightStore store(path);
        const auto got = store.flight(f.log.id);
        QVERIFY(got);
        QCOMPARE(got->end, FlightEnd::interrupted);
        QCOMPARE(got->pointCount, 12);
        QCOMPARE(got->log.duration, 11.0);
        QCOMPARE(got->log.maxAltitude, 22.0);
        QVERIFY(got->log.distance > 100 && got->log.distance < 150); // 11 legs of about 11 m
        QCOMPARE(flightEndText(got->end), QStringLiteral("interrupted"));
    }

    void olderFileIsBroughtUpToDate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        // A file as the first version wrote it, with one finished flight.
        const QString v1 = QStringLiteral(
            "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
            "CREATE TABLE flights (id TEXT PRIMARY KEY, takeoff_ms INTEGER NOT NULL, duration REAL NOT NULL DEFAULT 0,"
            " max_altitude REAL NOT NULL DEFAULT 0, max_speed REAL NOT NULL DEFAULT 0, distance REAL NOT NULL DEFAULT 0,"
            " location TEXT NOT NULL DEFAULT '', end_reason TEXT NOT NULL DEFAULT 'open',"
            " battery_start INTEGER NOT NULL DEFAULT -1, battery_end INTEGER NOT NULL DEFAULT -1,"
            " takeoff_lat REAL NOT NULL DEFAULT 0, takeoff_lon REAL NOT NULL DEFAULT 0,"
            " point_count INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE track_points (flight_id TEXT NOT NULL, t_ms INTEGER NOT NULL, lat REAL NOT NULL,"
            " lon REAL NOT NULL, alt REAL NOT NULL, speed REAL NOT NULL, battery INTEGER NOT NULL,"
            " signal INTEGER NOT NULL, PRIMARY KEY (flight_id, t_ms)) WITHOUT ROWID;"
            "INSERT INTO flights (id, takeoff_ms, duration, location, end_reason) VALUES"
            " ('6f1c2b9e-0000-4000-8000-000000000001', 1000, 840, 'Old Field', 'landed');"
            "PRAGMA user_version = 1;");
        QCOMPARE(sqlite3(path, v1), QString());
        FlightStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(store.setAsidePath().isEmpty());
        QCOMPARE(store.flights().size(), 1);
        QCOMPARE(store.flights()[0].log.location, QStringLiteral("Old Field"));
        QCOMPARE(store.flights()[0].log.duration, 840.0);
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QString::number(FlightStore::kSchemaVersion));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name = 'flights_by_takeoff'")),
                 QStringLiteral("flights_by_takeoff"));
    }

    // A logbook of the version before photos keeps its flights and tracks, and takes photos.
    void versionTwoFileGainsThePhotos()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        const QString v2 = QStringLiteral(
            "PRAGMA journal_mode = WAL;"
            "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
            "CREATE TABLE flights (id TEXT PRIMARY KEY, takeoff_ms INTEGER NOT NULL, duration REAL NOT NULL DEFAULT 0,"
            " max_altitude REAL NOT NULL DEFAULT 0, max_speed REAL NOT NULL DEFAULT 0, distance REAL NOT NULL DEFAULT 0,"
            " location TEXT NOT NULL DEFAULT '', end_reason TEXT NOT NULL DEFAULT 'open',"
            " battery_start INTEGER NOT NULL DEFAULT -1, battery_end INTEGER NOT NULL DEFAULT -1,"
            " takeoff_lat REAL NOT NULL DEFAULT 0, takeoff_lon REAL NOT NULL DEFAULT 0,"
            " point_count INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE track_points (flight_id TEXT NOT NULL, t_ms INTEGER NOT NULL, lat REAL NOT NULL,"
            " lon REAL NOT NULL, alt REAL NOT NULL, speed REAL NOT NULL, battery INTEGER NOT NULL,"
            " signal INTEGER NOT NULL, PRIMARY KEY (flight_id, t_ms)) WITHOUT ROWID;"
            "CREATE INDEX flights_by_takeoff ON flights (takeoff_ms DESC);"
            "INSERT INTO flights (id, takeoff_ms, duration, location, end_reason, point_count) VALUES"
            " ('6f1c2b9e-0000-4000-8000-000000000002', 5000, 2, 'Old Field', 'landed', 2);"
            "INSERT INTO track_points VALUES ('6f1c2b9e-0000-4000-8000-000000000002', 5000, 47.1, 8.1, 0, 0, 90, 80),"
            " ('6f1c2b9e-0000-4000-8000-000000000002', 7000, 47.2, 8.2, 12.5, 4, 89, 80);"
            "PRAGMA user_version = 2;");
        QCOMPARE(sqlite3(path, v2), QStringLiteral("wal"));
        const QUuid id = QUuid::fromString(QStringLiteral("6f1c2b9e-0000-4000-8000-000000000002"));
        FlightStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(store.setAsidePath().isEmpty());
        QCOMPARE(store.flights().size(), 1);
        QCOMPARE(store.flight(id)->log.location, QStringLiteral("Old Field"));
        const QList<TrackPoint> track = store.track(id);
        QCOMPARE(track.size(), 2);
        QCOMPARE(track[1], (TrackPoint{7000, 47.2, 8.2, 12.5, 4, 89, 80}));
        QVERIFY(store.photos(id).isEmpty());
        QVERIFY(store.appendPhotos(id, photosAlong(5000, 2)));
        QVERIFY(samePhotos(store.photos(id), photosAlong(5000, 2)));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QString::number(FlightStore::kSchemaVersion));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }

    // A mission's breakpoint: replaced at each write, kept over a reopen with its unknowns unknown,
    // and no longer open once flown to its end.
    void breakpointSurvivesReopen()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        zeltrin::survey::MissionBreakpoint bp;
        bp.planHash = "9f2c";
        bp.name = QStringLiteral("Survey North Field");
        bp.part = 2;
        bp.partCount = 3;
        bp.reached = {14, 0.25};
        bp.photos = 311;
        bp.lastPhoto = {14, 0.2};
        bp.camera.triggerDistance = 19.5; // the gimbal's pitch never set: unknown
        {
            FlightStore store(path);
            QVERIFY(store.saveBreakpoint(bp));
            bp.photos = 312;
            QVERIFY(store.saveBreakpoint(bp));
        }
        FlightStore store(path);
        const auto back = store.openBreakpoint();
        QVERIFY(back);
        QCOMPARE(back->photos, 312);
        QCOMPARE(back->reached, bp.reached);
        QVERIFY(std::isnan(back->camera.gimbalPitch) && std::isnan(back->photoLatitude));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT name, photos, gimbal_pitch IS NULL FROM breakpoints")),
                 QStringLiteral("Survey North Field|312|1"));
        bp.finished = true;
        QVERIFY(store.saveBreakpoint(bp));
        QVERIFY(!store.openBreakpoint());
        zeltrin::survey::MissionBreakpoint unnamed; // a name never given is kept as none
        unnamed.planHash = "77aa";
        QVERIFY2(store.saveBreakpoint(unnamed), qPrintable(store.errorText()));
        QVERIFY(store.breakpoint("9f2c")->finished);
    }

    void versionBehindItsOwnTablesIsBroughtUp()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        {
            FlightStore store(path);
            FlightRecord r = makeFlight(1);
            QVERIFY(store.beginFlight(r));
        }
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version = 1")), QString());
        FlightStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(store.setAsidePath().isEmpty());
        QCOMPARE(store.flights().size(), 1);
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QString::number(FlightStore::kSchemaVersion));
    }

    void damagedFileIsSetAsideWholeAndANewOneStarts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << "garbage";
        QTest::newRow("cut short") << "truncated";
        QTest::newRow("pages overwritten") << "scribbled";
        QTest::newRow("another program's database") << "foreign";
        QTest::newRow("a column renamed") << "renamed";
    }
    void damagedFileIsSetAsideWholeAndANewOneStarts()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        if (kind == QLatin1String("renamed")) {
            {
                FlightStore store(path);
                QVERIFY(store.isOpen());
            }
            QCOMPARE(sqlite3(path, QStringLiteral("ALTER TABLE track_points RENAME COLUMN speed TO sp")), QString());
            QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).section(QLatin1Char('|'), 0, 0),
                     QStringLiteral("0"));
        } else if (kind == QLatin1String("foreign")) {
            QCOMPARE(sqlite3(path, QStringLiteral("CREATE TABLE songs (title TEXT); INSERT INTO songs VALUES ('x');")), QString());
        } else if (kind == QLatin1String("garbage")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(5000, 'z'));
        } else {
            {
                FlightStore store(path);
                for (int i = 0; i < 20; ++i) {
                    FlightRecord r = makeFlight(i * 1000);
                    QVERIFY(store.beginFlight(r));
                    QVERIFY(store.appendPoints(r.log.id, line(i * 1000, 50)));
                    QVERIFY(store.finishFlight(r));
                }
            }
            QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).section(QLatin1Char('|'), 0, 0),
                     QStringLiteral("0"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (kind == QLatin1String("truncated")) {
                QVERIFY(f.resize(f.size() / 3));
            } else {
                f.seek(4096 + 100);
                f.write(QByteArray(3 * 4096, '\xA5'));
            }
        }
        QByteArray original;
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            original = f.readAll();
        }

        FlightStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(!store.setAsidePath().isEmpty());
        QVERIFY(store.setAsidePath().startsWith(path + QStringLiteral(".damaged-")));
        QFile aside(store.setAsidePath());
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), original);
        QVERIFY(store.flights().isEmpty());
        FlightRecord r = makeFlight(1);
        QVERIFY(store.beginFlight(r));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM flights")), QStringLiteral("1"));

        // The next start finds a sound file and says nothing.
        FlightStore again(path);
        QVERIFY(again.setAsidePath().isEmpty());
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("flights.sqlite.damaged-*")}).size(), 1);
    }

    void unusableFolderIsReportedAndNothingIsSetAside()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FlightStore store(dir.filePath(QStringLiteral("file/flights.sqlite")));
        QVERIFY(!store.isOpen());
        QVERIFY(!store.errorText().isEmpty());
        QVERIFY(store.setAsidePath().isEmpty());
        QVERIFY(!store.beginFlight(makeFlight(1)));
        QVERIFY(store.flights().isEmpty());
    }

    void nonFiniteFiguresAreStoredAsZero()
    {
        QTemporaryDir dir;
        FlightStore store(dir.filePath(QStringLiteral("flights.sqlite")));
        FlightRecord r = makeFlight(1);
        QVERIFY(store.beginFlight(r));
        TrackPoint p;
        p.timeMs = 1;
        p.latitude = std::nan("");
        p.altitude = INFINITY;
        QVERIFY(store.appendPoints(r.log.id, {p}));
        r.log.maxSpeed = -INFINITY;
        r.log.distance = std::nan("");
        QVERIFY(store.finishFlight(r));
        const auto back = store.track(r.log.id);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].latitude, 0.0);
        QCOMPARE(back[0].altitude, 0.0);
        QCOMPARE(store.flight(r.log.id)->log.maxSpeed, 0.0);
        QCOMPARE(store.flight(r.log.id)->log.distance, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestFlightStore)
#include "tst_flightstore.moc"
