#include "SqliteStore.h"

#include "SqliteFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace zeltrin {

namespace {

QString newConnectionName(const QString &storeName)
{
    static std::atomic<int> n{0};
    return QStringLiteral("%1-%2").arg(storeName.toLower()).arg(n.fetch_add(1));
}

} // namespace

SqliteStore::SqliteStore(const QString &path, SqliteSchema schema)
    : m_schema(std::move(schema)), m_path(path), m_connection(newConnectionName(m_schema.name))
{
    if (!openFile() || !usable() || !migrate()) {
        // Unreadable, or not ours at all: keep it for whoever wants to look, start anew.
        // Anything else (a folder that cannot be made, a full disk) leaves the file alone.
        if (!m_damaged)
            return;
        close();
        m_setAside = sqlitefile::setAside(m_path);
        if (m_setAside.isEmpty()) {
            fail(QStringLiteral("Could not set the damaged %1 aside").arg(m_schema.noun), m_path);
            return;
        }
        m_error.clear();
        m_damaged = false;
        if (!openFile() || !usable() || !migrate())
            return;
    }
    m_open = true;
}

SqliteStore::~SqliteStore()
{
    close();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase SqliteStore::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void SqliteStore::close()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
}

bool SqliteStore::fail(const QString &what, const QString &detail)
{
    m_error = what + QStringLiteral(": ") + detail;
    qWarning("%s: %s", qPrintable(m_schema.name), qPrintable(m_error));
    return false;
}

bool SqliteStore::damaged(const QString &detail)
{
    m_damaged = true;
    return fail(m_schema.damaged, detail);
}

bool SqliteStore::openFile()
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("Could not make the %1 folder").arg(m_schema.noun), info.absolutePath());
    // A file that is not SQLite at all is refused here; the driver would open it and fail later.
    QString why;
    switch (sqlitefile::readHeader(m_path, &why)) {
    case sqlitefile::Header::unreadable: return fail(QStringLiteral("Could not read the %1").arg(m_schema.noun), why);
    case sqlitefile::Header::other: return damaged(QStringLiteral("not a database"));
    case sqlitefile::Header::missing:
    case sqlitefile::Header::sqlite: break;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
        ? database()
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open())
        return fail(QStringLiteral("Could not open the %1").arg(m_schema.noun), db.lastError().text());
    return true;
}

bool SqliteStore::usable()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
        return damaged(q.lastError().text());
    if (q.value(0).toString() != QLatin1String("ok"))
        return damaged(q.value(0).toString());
    q.finish();
    // Another program's file is left exactly as it was: nothing is written before this.
    if (!q.exec(QStringLiteral("SELECT (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master)"))
        || !q.next())
        return damaged(q.lastError().text());
    const int version = q.value(0).toInt();
    bool foreign = version == 0 && q.value(1).toInt() != 0;
    q.finish();
    if (m_schema.applicationId != 0) {
        if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
            return damaged(q.lastError().text());
        const quint32 id = quint32(q.value(0).toLongLong());
        foreign = foreign || (id != 0 && id != m_schema.applicationId);
        q.finish();
    }
    if (foreign)
        return damaged(m_schema.foreign);
    if (version > 0 && !hasOurTables(version))
        return false;
    // WAL keeps every committed transaction through a kill; NORMAL syncs only at checkpoints.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"})
        if (!q.exec(QString::fromLatin1(pragma)))
            return damaged(q.lastError().text());
    return true;
}

bool SqliteStore::hasOurTables(int version)
{
    // A sound file whose tables lack what we read (an edited or mangled schema) cannot be used.
    QSqlQuery q(database());
    q.setForwardOnly(true);
    for (const SqliteSchema::Table &t : std::as_const(m_schema.tables))
        if (version >= t.since && !q.exec(QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(t.columns, t.name)))
            return damaged(q.lastError().text());
    q.finish();
    return true;
}

bool SqliteStore::migrate()
{
    const QString cannot = QStringLiteral("Could not update the %1").arg(m_schema.noun);
    QSqlDatabase db = database();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return damaged(q.lastError().text());
    const int version = q.value(0).toInt();
    q.finish();
    // A file of a newer schema is left as it is.
    for (qsizetype i = version; i < m_schema.steps.size(); ++i) {
        const SqliteSchema::Step &step = m_schema.steps[i];
        if (step.version != i + 1)
            return fail(cannot, QStringLiteral("step %1 is numbered %2").arg(i + 1).arg(step.version));
        QStringList sql = step.sql;
        sql << QStringLiteral("PRAGMA user_version = %1").arg(step.version);
        if (m_schema.applicationId != 0)
            sql << QStringLiteral("PRAGMA application_id = %1").arg(qint32(m_schema.applicationId));
        if (!db.transaction())
            return fail(cannot, db.lastError().text());
        QSqlQuery s(db);
        bool ok = true;
        for (const QString &statement : std::as_const(sql))
            if (!(ok = s.exec(statement)))
                break;
        if (!ok || !db.commit()) {
            const QString why = ok ? db.lastError().text() : s.lastError().text();
            s.finish();
            db.rollback();
            return fail(cannot, why);
        }
    }
    return true;
}

} // namespace zeltrin
