#pragma once

#include "MissionPlan.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

// The plans the pilot keeps in the app: one file per plan in one folder, named after the plan.
// Plans saved here are QGroundControl .plan files; an imported file keeps its own format, so
// what opens it later is the same reader that accepted it. Every change goes through an atomic
// write or a rename, so a kill at any moment leaves each plan whole; files that cannot be read
// are listed with the reader's words and left where they are.
namespace zeltrin::planio {

// One file of the library, as the list shows it.
struct LibraryEntry {
    QString fileName; // in the folder
    QString name;     // the plan's name: the file name without its extension
    QDateTime modified;
    qint64 size = 0;
    int waypointCount = 0;
    // The path in flight order, fitted into the unit square (x east, y south) with its aspect
    // kept and centred; at most kOutlinePoints points.
    QList<QPointF> outline;
    QString error; // why the file cannot be opened (set exactly when it cannot)

    bool ok() const { return error.isEmpty(); }
    // The same file as last read: the cache keeps an entry while this holds.
    bool sameFileAs(const LibraryEntry &o) const
    {
        return fileName == o.fileName && modified == o.modified && size == o.size;
    }
    friend bool operator==(const LibraryEntry &, const LibraryEntry &) = default;
};

constexpr int kOutlinePoints = 64;

// The path's outline for a thumbnail (see LibraryEntry::outline).
QList<QPointF> planOutline(const QList<Coordinate> &waypoints, int maxPoints = kOutlinePoints);

class PlanLibrary
{
public:
    explicit PlanLibrary(QString folder);

    // The app's own: "plans" in its data folder.
    static QString defaultFolder();
    const QString &folder() const { return m_folder; }
    QString pathOf(const QString &fileName) const;

    // Why `name` cannot name a plan, in the pilot's words; empty when it can. Names are
    // trimmed first; they become file names, so the characters other systems refuse are
    // refused here too.
    static QString nameProblem(const QString &name);
    // A name made from any text (an imported file's name): refused characters replaced, cut
    // to length; "Imported Plan" when nothing is left.
    static QString cleanName(const QString &text);
    // Whether a file name is one the library lists: a readable plan format, not hidden. A
    // save's temporary file ("Plan.plan.Xa9b2c") is not.
    static bool isPlanFile(const QString &fileName);

    // Every plan file, newest first (then by name). A file whose name, time and size match an
    // entry of `known` is not read again.
    QList<LibraryEntry> list(const QHash<QString, LibraryEntry> &known = {}) const;
    // Reads one file of the folder.
    LibraryEntry describe(const QString &fileName) const;
    static void sort(QList<LibraryEntry> &entries);

    // The file holding the plan named `name` (letter case aside), or empty.
    QString fileNamed(const QString &name) const;
    // A name not taken yet: `name`, else "name 2", "name 3", ...
    QString freeName(const QString &name) const;

    // Each returns empty on success, else the reason in the pilot's words.
    // Writes `plan` as "<name>.plan", replacing a plan of that name (in any format) once the
    // new file is whole.
    QString save(const MissionPlan &plan, const QString &name) const;
    // Gives a plan a new name; its file keeps its format. Refuses a name another plan holds.
    QString rename(const QString &fileName, const QString &newName) const;
    QString remove(const QString &fileName) const;

    // Copies a plan file from elsewhere into the library under its own name (made free), once a
    // reader has accepted it. A file whose extension names no format we read is stored as a
    // .plan.
    struct Imported {
        QString fileName; // in the library, on success
        QString error;
    };
    Imported import(const QString &path) const;

private:
    QStringList planFiles() const;
    QString m_folder;
};

} // namespace zeltrin::planio
