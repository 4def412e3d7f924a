#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace zeltrin {

// What a store tells SqliteStore about its file: how to recognise it, how its schema grows, and
// the words its messages use. Everything else (opening, checking, WAL, migrating, setting a
// damaged file aside) is SqliteStore's.
struct SqliteSchema {
    // The statements that bring a file from `version` - 1 to `version`.
    struct Step {
        int version = 0;
        QStringList sql;
    };
    // A table (or view) of ours and the columns the store reads from it, there in every file
    // of version `since` or above.
    struct Table {
        QString name;
        QString columns; // "a, b, c"
        int since = 1;
    };

    // Names the store in the log ("FlightStore: …") and its connections ("flightstore-<n>").
    QString name;
    // What the pilot reads: "Could not open the <noun>: …", "<damaged>: <detail>", and the
    // detail given for another program's database.
    QString noun;    // "logbook"
    QString damaged; // "The logbook is damaged"
    QString foreign; // "not a logbook"

    // Steps for versions 1, 2, …, N in that order; N is the schema's version. Each runs in a
    // transaction of its own that also sets user_version, and should tolerate finding its work
    // done (a version number that lags its own tables).
    QList<Step> steps;
    // What a file of ours has: one of version 1 or above without them is damaged.
    QList<Table> tables;
    // Written with every step and checked when set: a file carrying another non-zero id is
    // another program's. 0 neither writes nor checks one.
    quint32 applicationId = 0;
};

// One store's SQLite file, opened by the rules all stores share:
// - a missing or empty file starts a new one at the newest version;
// - an older file is brought up step by step; one of a newer version is used as it is, as long
//   as the tables and columns of ours are there;
// - a file that is not SQLite, fails PRAGMA quick_check, is another program's database (tables
//   but no user_version, or another application_id), or lacks our columns, is damaged: it is
//   renamed "<path>.damaged-<UTC time>" with its -wal and -shm, never deleted, and a new file
//   starts. setAsidePath() tells where it went, on that start only;
// - anything else (a folder that cannot be made, a file that cannot be read, a step that fails)
//   leaves the file as it was and the store closed, errorText() saying why.
// The file is kept in WAL mode with synchronous=NORMAL: each commit survives a kill.
// The connection is this instance's alone and is removed with it. A store holding QSqlQuery
// members declares them after its SqliteStore, so that they are gone first. One thread owns it.
class SqliteStore
{
public:
    SqliteStore(const QString &path, SqliteSchema schema);
    ~SqliteStore();
    SqliteStore(const SqliteStore &) = delete;
    SqliteStore &operator=(const SqliteStore &) = delete;

    QString path() const { return m_path; }
    bool isOpen() const { return m_open; }
    // The last failure, for the pilot; empty when there was none.
    QString errorText() const { return m_error; }
    // Set when this start found the file damaged and put it aside: where it went.
    QString setAsidePath() const { return m_setAside; }
    int schemaVersion() const { return int(m_schema.steps.size()); }
    QString connectionName() const { return m_connection; }
    // The store's connection, for use while isOpen(). Keep copies local: the connection is
    // removed when the store goes.
    QSqlDatabase database() const;

    // Records "<what>: <detail>" as errorText() and in the log. Returns false.
    bool fail(const QString &what, const QString &detail);

private:
    bool openFile();
    bool usable();
    bool hasOurTables(int version);
    bool migrate();
    bool damaged(const QString &detail);
    void close();

    SqliteSchema m_schema;
    QString m_path;
    QString m_connection;
    QString m_error;
    QString m_setAside;
    bool m_open = false;
    bool m_damaged = false;
};

} // namespace zeltrin
