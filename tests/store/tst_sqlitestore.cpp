// The SQLite core every store is built on, on real files: which files it takes, brings up to
// date, uses as they are or sets aside, what it says about each, steps that fail or are killed
// half-way, and its connections. The sqlite3 shell checks the files independently.
#include "SqliteStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;

namespace {

constexpr quint32 kAppId = 0x5A4C5452;
const char kKillEnv[] = "SQLITESTORE_MIGRATE_UNTIL_KILLED";

const SqliteSchema::Step kStep1{
    1, {QStringLiteral("CREATE TABLE IF NOT EXISTS things (id INTEGER PRIMARY KEY, name TEXT NOT NULL)")}};
const SqliteSchema::Step kStep2{2, {QStringLiteral("CREATE TABLE IF NOT EXISTS notes (thing_id INTEGER, text TEXT)")}};

SqliteSchema schema(QList<SqliteSchema::Step> steps = {kStep1, kStep2}, quint32 applicationId = 0)
{
    SqliteSchema s;
    s.name = QStringLiteral("ThingStore");
    s.noun = QStringLiteral("things");
    s.damaged = QStringLiteral("The things are damaged");
    s.foreign = QStringLiteral("not our things");
    s.steps = std::move(steps);
    s.tables = {{QStringLiteral("things"), QStringLiteral("id, name")},
                {QStringLiteral("notes"), QStringLiteral("thing_id, text"), 2}};
    s.applicationId = applicationId;
    return s;
}

QString sqlite3(const QString &file, const QString &sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return QStringLiteral("<sqlite3 failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A version-1 file as sqlite3 writes it, with `rows` things.
const QString kVersion1 = QStringLiteral("CREATE TABLE things (id INTEGER PRIMARY KEY, name TEXT NOT NULL);"
                                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                         " INSERT INTO things (name) SELECT 'thing ' || i FROM n;"
                                         "PRAGMA user_version = 1;");

// Makes the file a row of opens() starts from; returns the path to open.
QString prepare(const QString &kind, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("things.db"));
    const auto run = [&](const QString &sql) { QCOMPARE(sqlite3(path, sql), QString()); };
    if (kind == QLatin1String("empty")) {
        writeFile(path, {});
    } else if (kind == QLatin1String("version 1")) {
        run(kVersion1.arg(3));
    } else if (kind == QLatin1String("newer")) {
        run(kVersion1.arg(3) + QStringLiteral("CREATE TABLE notes (thing_id, text, extra); PRAGMA user_version = 7;"));
    } else if (kind == QLatin1String("newer without ours")) {
        run(QStringLiteral("CREATE TABLE items (id); PRAGMA user_version = 7;"));
    } else if (kind == QLatin1String("our id")) {
        run(kVersion1.arg(3) + QStringLiteral("PRAGMA application_id = %1;").arg(kAppId));
    } else if (kind == QLatin1String("other id")) {
        run(kVersion1.arg(3) + QStringLiteral("PRAGMA application_id = 1234;"));
    } else if (kind == QLatin1String("foreign")) {
        run(QStringLiteral("CREATE TABLE songs (title TEXT); INSERT INTO songs VALUES ('x');"));
    } else if (kind == QLatin1String("foreign versioned")) {
        run(QStringLiteral("CREATE TABLE songs (title TEXT); PRAGMA user_version = 3;"));
    } else if (kind == QLatin1String("column missing")) {
        run(QStringLiteral("CREATE TABLE things (id INTEGER PRIMARY KEY); PRAGMA user_version = 1;"));
    } else if (kind == QLatin1String("v2 table missing")) {
        run(kVersion1.arg(3) + QStringLiteral("PRAGMA user_version = 2;"));
    } else if (kind == QLatin1String("garbage")) {
        writeFile(path, QByteArray(5000, 'z'));
    } else if (kind == QLatin1String("header only")) {
        writeFile(path, QByteArray("SQLite format 3\0", 16) + QByteArray(5000, '\x07'));
    } else if (kind == QLatin1String("truncated") || kind == QLatin1String("scribbled")) {
        run(kVersion1.arg(20000));
        QFile f(path);
        [&] { QVERIFY(f.open(QIODevice::ReadWrite)); }();
        if (kind == QLatin1String("truncated")) {
            f.resize(f.size() / 3);
        } else {
            f.seek(4096 + 100);
            f.write(QByteArray(3 * 4096, '\xA5'));
        }
    } else if (kind == QLatin1String("no folder")) {
        writeFile(dir.filePath(QStringLiteral("blocker")), "x");
        return dir.filePath(QStringLiteral("blocker/things.db"));
    } else if (kind == QLatin1String("a folder")) {
        QDir(dir.path()).mkdir(QStringLiteral("things.db"));
    }
    return path;
}

} // namespace

class TestSqliteStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(),
                 "sqlite3 is not installed (scripts/ensure-deps.sh installs it)");
    }

    void opens_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("withAppId");
        QTest::addColumn<QString>("outcome"); // "open", "aside" or "closed"
        QTest::addColumn<QString>("said");    // logged; the error too when closed
        QTest::addColumn<int>("version");     // of the file after, as sqlite3 reads it
        QTest::addColumn<int>("things");      // rows it then holds

        QTest::newRow("no file") << "none" << false << "open"
                                 << "" << 2 << 0;
        QTest::newRow("empty file") << "empty" << false << "open"
                                    << "" << 2 << 0;
        QTest::newRow("older: brought up, rows kept") << "version 1" << false << "open"
                                                      << "" << 2 << 3;
        QTest::newRow("newer: used as it is") << "newer" << false << "open"
                                              << "" << 7 << 3;
        QTest::newRow("newer without our tables") << "newer without ours" << false << "aside"
                                                  << "The things are damaged: no such table: things" << 2 << 0;
        QTest::newRow("id written on the way up") << "version 1" << true << "open"
                                                  << "" << 2 << 3;
        QTest::newRow("our application id") << "our id" << true << "open"
                                            << "" << 2 << 3;
        QTest::newRow("another application id") << "other id" << true << "aside"
                                                << "The things are damaged: not our things" << 2 << 0;
        QTest::newRow("another program's database") << "foreign" << false << "aside"
                                                    << "The things are damaged: not our things" << 2 << 0;
        QTest::newRow("another program's, versioned") << "foreign versioned" << false << "aside"
                                                      << "The things are damaged: no such table: things" << 2 << 0;
        QTest::newRow("a column missing") << "column missing" << false << "aside"
                                          << "The things are damaged: no such column: name" << 2 << 0;
        QTest::newRow("a version-2 table missing") << "v2 table missing" << false << "aside"
                                                   << "The things are damaged: no such table: notes" << 2 << 0;
        QTest::newRow("not SQLite") << "garbage" << false << "aside"
                                    << "The things are damaged: not a database" << 2 << 0;
        QTest::newRow("an SQLite header, then garbage") << "header only" << false << "aside"
                                                        << "The things are damaged: file is not a database" << 2 << 0;
        QTest::newRow("cut short") << "truncated" << false << "aside"
                                   << "The things are damaged: " << 2 << 0;
        QTest::newRow("pages overwritten") << "scribbled" << false << "aside"
                                           << "The things are damaged: " << 2 << 0;
        QTest::newRow("folder cannot be made") << "no folder" << false << "closed"
                                               << "Could not make the things folder: " << -1 << -1;
        QTest::newRow("a folder in its place") << "a folder" << false << "closed"
                                               << "Could not read the things: " << -1 << -1;
    }

    void opens()
    {
        QFETCH(QString, kind);
        QFETCH(bool, withAppId);
        QFETCH(QString, outcome);
        QFETCH(QString, said);
        QFETCH(int, version);
        QFETCH(int, things);
        QTemporaryDir dir;
        const QString path = prepare(kind, dir);
        const QByteArray before = fileBytes(path);
        if (!said.isEmpty())
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QStringLiteral("^ThingStore: ") + QRegularExpression::escape(said)));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        const SqliteSchema s = schema({kStep1, kStep2}, withAppId ? kAppId : 0);
        {
            SqliteStore store(path, s);
            QCOMPARE(store.isOpen(), outcome != QLatin1String("closed"));
            QCOMPARE(store.setAsidePath().isEmpty(), outcome != QLatin1String("aside"));
            if (outcome == QLatin1String("closed")) {
                QVERIFY2(store.errorText().startsWith(said), qPrintable(store.errorText()));
                QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}), QStringList());
                return;
            }
            // Once the file is set aside, nothing is wrong any more.
            QCOMPARE(store.errorText(), QString());
            QSqlQuery q(store.database());
            QVERIFY(q.exec(QStringLiteral("INSERT INTO notes (thing_id, text) VALUES (1, 'n')")));
        }
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QString::number(version));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM things")), QString::number(things));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA application_id")), QString::number(withAppId ? kAppId : 0));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

        // Set aside whole, under its own name, and only once: the next start says nothing.
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("things.db.damaged-*")});
        QCOMPARE(aside.size(), outcome == QLatin1String("aside") ? 1 : 0);
        if (!aside.isEmpty()) {
            QVERIFY(
                QRegularExpression(QStringLiteral("^things\\.db\\.damaged-\\d{8}-\\d{6}$")).match(aside[0]).hasMatch());
            QCOMPARE(fileBytes(dir.filePath(aside[0])), before);
        }
        SqliteStore again(path, s);
        QVERIFY(again.isOpen());
        QVERIFY(again.setAsidePath().isEmpty());
    }

    void anEarlierDamagedFileIsNeverOverwritten()
    {
        QTemporaryDir dir;
        const QString path = prepare(QStringLiteral("garbage"), dir);
        // Whatever second the store sets it aside in, a file of that name is already there.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QStringList earlier;
        for (int s = 0; s < 3; ++s) {
            earlier << path + QStringLiteral(".damaged-") + now.addSecs(s).toString(QStringLiteral("yyyyMMdd-HHmmss"));
            writeFile(earlier.last(), "earlier");
        }
        QTest::ignoreMessage(QtWarningMsg, "ThingStore: The things are damaged: not a database");
        SqliteStore store(path, schema());
        QVERIFY(store.isOpen());
        QVERIFY(!earlier.contains(store.setAsidePath()));
        QCOMPARE(fileBytes(store.setAsidePath()), QByteArray(5000, 'z'));
        for (const QString &e : earlier)
            QCOMPARE(fileBytes(e), QByteArray("earlier"));
    }

    void aStepThatFailsIsRolledBack_data()
    {
        QTest::addColumn<QList<SqliteSchema::Step>>("steps");
        QTest::addColumn<QString>("error");
        const QString half = QStringLiteral("CREATE TABLE half (x)");
        QTest::newRow("fails after its first statement")
            << QList<SqliteSchema::Step>{kStep1, kStep2, {3, {half, QStringLiteral("INSERT INTO missing VALUES (1)")}}}
            << "Could not update the things: no such table: missing";
        QTest::newRow("fails on its last")
            << QList<SqliteSchema::Step>{kStep1, kStep2, {3, {half, QStringLiteral("UPDATE things SET name = NULL")}}}
            << "Could not update the things: NOT NULL constraint failed: things.name";
        QTest::newRow("numbered wrongly") << QList<SqliteSchema::Step>{kStep1, kStep2, {4, {half}}}
                                          << "Could not update the things: step 3 is numbered 4";
    }

    void aStepThatFailsIsRolledBack()
    {
        QFETCH(QList<SqliteSchema::Step>, steps);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = prepare(QStringLiteral("version 1"), dir);
        const QString tables = QStringLiteral(
            "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master ORDER BY name)");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^ThingStore: ") + QRegularExpression::escape(error)));
        {
            SqliteStore store(path, schema(steps));
            QVERIFY(!store.isOpen());
            QVERIFY2(store.errorText().startsWith(error), qPrintable(store.errorText()));
            QVERIFY(store.setAsidePath().isEmpty());
        }
        // The steps before it stay; nothing of it does.
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QStringLiteral("2"));
        QCOMPARE(sqlite3(path, tables), QStringLiteral("notes,things"));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM things WHERE name IS NOT NULL")),
                 QStringLiteral("3"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}), QStringList());
        // Fixed, it goes through.
        SqliteStore fixed(path, schema({kStep1, kStep2, {3, {QStringLiteral("CREATE TABLE done (x)")}}}));
        QVERIFY2(fixed.isOpen(), qPrintable(fixed.errorText()));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QStringLiteral("3"));
    }

    void aKillMidStepLosesOnlyThatStep()
    {
        QTemporaryDir dir;
        const QString path = prepare(QStringLiteral("version 1"), dir);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kKillEnv), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        // The step's first rows overflow the page cache into the WAL before its long count starts.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path + QStringLiteral("-wal")).size() > 2 * 1024 * 1024, 20000);
        QCOMPARE(child.state(), QProcess::Running);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        SqliteStore store(path, schema());
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(store.setAsidePath().isEmpty());
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA user_version")), QStringLiteral("2"));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'filler'")),
                 QStringLiteral("0"));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM things")), QStringLiteral("3"));
        QCOMPARE(sqlite3(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }

    void eachStoreHasItsOwnConnectionRemovedWithIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("things.db"));
        const QStringList before = QSqlDatabase::connectionNames();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        {
            SqliteStore a(path, schema());
            SqliteStore b(path, schema());
            QVERIFY(a.isOpen() && b.isOpen());
            QVERIFY(a.connectionName() != b.connectionName());
            QVERIFY(a.connectionName().startsWith(QLatin1String("thingstore-")));
            QSqlQuery write(a.database()), read(b.database());
            QVERIFY(write.exec(QStringLiteral("INSERT INTO things (name) VALUES ('shared')")));
            QVERIFY(read.exec(QStringLiteral("SELECT name FROM things")) && read.next());
            QCOMPARE(read.value(0).toString(), QStringLiteral("shared"));
            // Queries end before their store does.
        }
        {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ThingStore: Could not make")));
            SqliteStore closed(prepare(QStringLiteral("no folder"), dir), schema());
            QVERIFY(!closed.isOpen());
        }
        QCOMPARE(QSqlDatabase::connectionNames(), before);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The kill test's child: a step that writes past the page cache, then counts until killed.
    if (const QString path = qEnvironmentVariable(kKillEnv); !path.isEmpty()) {
        const QString rows = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ");
        SqliteStore store(
            path,
            schema({kStep1,
                    {2,
                     {QStringLiteral("CREATE TABLE filler (b BLOB)"),
                      rows.arg(8000) + QStringLiteral("INSERT INTO filler SELECT randomblob(1024) FROM n"),
                      rows.arg(4'000'000'000LL) + QStringLiteral("SELECT count(*) FROM n")}}}));
        return 3;
    }
    TestSqliteStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sqlitestore.moc"
