#include "SqliteFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace zeltrin::sqlitefile {

Header readHeader(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.size() == 0)
        return Header::missing;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return Header::unreadable;
    }
    return f.read(16) == QByteArray("SQLite format 3\0", 16) ? Header::sqlite : Header::other;
}

QString setAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, target))
        return {};
    // The journal files belong to the damaged file; they go with it.
    for (const char *suffix : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            QFile::rename(path + QLatin1String(suffix), target + QLatin1String(suffix));
    return target;
}

QString open(const QString &connection, const QString &path)
{
    QSqlDatabase db = QSqlDatabase::contains(connection) ? QSqlDatabase::database(connection, false)
                                                        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    return db.open() ? QString() : db.lastError().text();
}

Steps migrate(const QSqlDatabase &db, const QList<QStringList> &steps, QString *error)
{
    QSqlDatabase conn = db;
    QSqlQuery q(conn);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return Steps::unreadable;
    }
    const int version = q.value(0).toInt();
    q.finish();
    for (int v = version; v < steps.size(); ++v) {
        if (!conn.transaction()) {
            *error = conn.lastError().text();
            return Steps::failed;
        }
        QSqlQuery step(conn);
        bool ok = true;
        for (const QString &sql : steps[v])
            if (!(ok = step.exec(sql)))
                break;
        if (ok)
            ok = step.exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1));
        if (!ok || !conn.commit()) {
            *error = ok ? conn.lastError().text() : step.lastError().text();
            conn.rollback();
            return Steps::failed;
        }
    }
    return Steps::done;
}

} // namespace zeltrin::sqlitefile
