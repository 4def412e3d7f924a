#pragma once

#include <QString>

// SQLite files on disk, before any connection: what SqliteStore and the pack import share.
namespace zeltrin::sqlitefile {

enum class Header { missing, sqlite, other, unreadable };
// Whether the file starts as an SQLite database does (an empty or missing file is `missing`).
Header readHeader(const QString &path, QString *error = nullptr);

// Renames a damaged file (and its -wal and -shm) to "<path>.damaged-<UTC time>", never over an
// earlier one. Returns the new name, or empty when the rename failed.
QString setAside(const QString &path);

} // namespace zeltrin::sqlitefile
