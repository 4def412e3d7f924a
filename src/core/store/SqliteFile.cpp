#include "SqliteFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

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

} // namespace zeltrin::sqlitefile
