#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// What the app's SQLite stores share about their files on disk.
namespace zeltrin::sqlitefile {

enum class Header { missing, sqlite, other, unreadable };
// Whether the file starts as an SQLite database does (an empty or missing file is `missing`).
Header readHeader(const QString &path, QString *error = nullptr);

// Renames a damaged file (and its -wal and -shm) to "<path>.damaged-<UTC time>", never over an
// earlier one. Returns the new name, or empty when the rename failed.
QString setAside(const QString &path);

// Opens (adding it first if need be) the named connection on the file, waiting up to 2 s for
// a lock. Returns the driver's complaint, or empty.
QString open(const QString &connection, const QString &path);

enum class Steps { done, unreadable, failed };
// Brings the schema up from the file's user_version, step by step, each step in its own
// transaction; a file of a newer schema is left as it is. `error` gets the reason otherwise.
Steps migrate(const QSqlDatabase &db, const QList<QStringList> &steps, QString *error);

} // namespace zeltrin::sqlitefile
