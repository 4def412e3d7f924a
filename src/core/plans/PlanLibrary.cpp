#include "PlanLibrary.h"

#include "AtomicFile.h"
#include "PlanFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zeltrin::planio {

namespace {
// A name becomes "<name>.plan": short enough for every file system's 255-byte names, with room
// for " 2" when an import makes it free.
constexpr qsizetype kMaxNameChars = 100;
constexpr qsizetype kMaxNameBytes = 200;
// Refused in file names by one system or another; the plans travel between them.
constexpr QStringView kRefusedCharacters = u"/\\:*?\"<>|";

bool isControl(QChar c)
{
    const auto cat = c.category();
    return cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph;
}

QString nameOf(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

QList<QPointF> planOutline(const QList<Coordinate> &waypoints, int maxPoints)
{
    QList<Coordinate> points;
    for (const Coordinate &c : waypoints)
        if (std::isfinite(c.latitude) && std::isfinite(c.longitude))
            points.append(c);
    if (points.isEmpty() || maxPoints < 1)
        return {};
    double south = 90, north = -90, west = 180, east = -180;
    for (const Coordinate &c : points) {
        south = std::min(south, c.latitude);
        north = std::max(north, c.latitude);
        west = std::min(west, c.longitude);
        east = std::max(east, c.longitude);
    }
    // Degrees of longitude shrink towards the poles: scaled at the middle latitude, the shape
    // is the one the map shows.
    const double k = std::cos((south + north) / 2 * std::numbers::pi / 180);
    const double width = (east - west) * k, height = north - south;
    const double span = std::max(width, height);
    const double left = span > 0 ? (1 - width / span) / 2 : 0.5;
    const double top = span > 0 ? (1 - height / span) / 2 : 0.5;
    const auto place = [&](const Coordinate &c) {
        if (span <= 0)
            return QPointF(0.5, 0.5);
        return QPointF(left + (c.longitude - west) * k / span, top + (north - c.latitude) / span);
    };
    const qsizetype n = points.size();
    QList<QPointF> out;
    if (n <= maxPoints || maxPoints == 1) {
        for (qsizetype i = 0; i < std::min<qsizetype>(n, maxPoints); ++i)
            out.append(place(points[i]));
        return out;
    }
    // Evenly spaced through the flight order, first and last included.
    out.reserve(maxPoints);
    for (int i = 0; i < maxPoints; ++i)
        out.append(place(points[qsizetype(std::llround(double(i) * double(n - 1) / double(maxPoints - 1)))]));
    return out;
}

PlanLibrary::PlanLibrary(QString folder) : m_folder(std::move(folder)) {}

QString PlanLibrary::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/plans");
}

QString PlanLibrary::pathOf(const QString &fileName) const
{
    return QDir(m_folder).filePath(fileName);
}

QString PlanLibrary::nameProblem(const QString &name)
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return QStringLiteral("Give the plan a name.");
    if (n.startsWith(QLatin1Char('.')))
        return QStringLiteral("A name cannot start with a dot.");
    for (const QChar c : n) {
        if (isControl(c))
            return QStringLiteral("A name cannot contain line breaks or control characters.");
        if (kRefusedCharacters.contains(c))
            return QStringLiteral("A name cannot contain \u201C%1\u201D.").arg(c);
    }
    if (n.size() > kMaxNameChars || n.toUtf8().size() > kMaxNameBytes)
        return QStringLiteral("The name is too long (at most %1 characters).").arg(kMaxNameChars);
    return {};
}

QString PlanLibrary::cleanName(const QString &text)
{
    QString n;
    for (const QChar c : text)
        n += isControl(c) || kRefusedCharacters.contains(c) ? QLatin1Char('-') : c;
    n = n.trimmed();
    while (n.startsWith(QLatin1Char('.')))
        n.remove(0, 1);
    // Room for " 99" when the name is taken.
    while (n.size() > kMaxNameChars - 3 || n.toUtf8().size() > kMaxNameBytes - 3)
        n.chop(n.size() >= 2 && n.at(n.size() - 1).isLowSurrogate() ? 2 : 1);
    n = n.trimmed();
    return n.isEmpty() ? QStringLiteral("Imported Plan") : n;
}

bool PlanLibrary::isPlanFile(const QString &fileName)
{
    return !fileName.startsWith(QLatin1Char('.')) && !nameOf(fileName).isEmpty()
        && fileKindForPath(fileName).has_value();
}

QStringList PlanLibrary::planFiles() const
{
    QStringList out;
    for (const QString &f : QDir(m_folder).entryList(QDir::Files, QDir::NoSort))
        if (isPlanFile(f))
            out.append(f);
    return out;
}

LibraryEntry PlanLibrary::describe(const QString &fileName) const
{
    const QFileInfo info(pathOf(fileName));
    LibraryEntry e;
    e.fileName = fileName;
    e.name = nameOf(fileName);
    // Taken before the read: a file that changes meanwhile is read again next time.
    e.modified = info.lastModified();
    e.size = info.size();
    const PlanReadResult r = readPlanFile(info.filePath());
    if (!r.ok()) {
        e.error = r.error;
        return e;
    }
    e.waypointCount = int(std::min<qsizetype>(r.plan->waypoints.size(), std::numeric_limits<int>::max()));
    e.outline = planOutline(r.plan->waypoints);
    return e;
}

void PlanLibrary::sort(QList<LibraryEntry> &entries)
{
    std::sort(entries.begin(), entries.end(), [](const LibraryEntry &a, const LibraryEntry &b) {
        if (a.modified != b.modified)
            return a.modified > b.modified;
        if (const int c = a.name.compare(b.name, Qt::CaseInsensitive); c != 0)
            return c < 0;
        return a.fileName < b.fileName;
    });
}

QList<LibraryEntry> PlanLibrary::list(const QHash<QString, LibraryEntry> &known) const
{
    QList<LibraryEntry> out;
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files, QDir::NoSort);
    out.reserve(files.size());
    for (const QFileInfo &info : files) {
        const QString fileName = info.fileName();
        if (!isPlanFile(fileName))
            continue;
        LibraryEntry stamp;
        stamp.fileName = fileName;
        stamp.modified = info.lastModified();
        stamp.size = info.size();
        if (const auto it = known.constFind(fileName); it != known.cend() && it->sameFileAs(stamp))
            out.append(*it);
        else
            out.append(describe(fileName));
    }
    sort(out);
    return out;
}

QString PlanLibrary::fileNamed(const QString &name) const
{
    const QString n = name.trimmed();
    for (const QString &f : planFiles())
        if (sameName(nameOf(f), n))
            return f;
    return {};
}

QString PlanLibrary::freeName(const QString &name) const
{
    const QStringList files = planFiles();
    const auto taken = [&files](const QString &n) {
        return std::any_of(files.cbegin(), files.cend(), [&n](const QString &f) { return sameName(nameOf(f), n); });
    };
    if (!taken(name))
        return name;
    for (int i = 2; i < 100000; ++i)
        if (const QString n = QStringLiteral("%1 %2").arg(name).arg(i); !taken(n))
            return n;
    return name;
}

QString PlanLibrary::save(const MissionPlan &plan, const QString &name) const
{
    const QString n = name.trimmed();
    if (QString problem = nameProblem(n); !problem.isEmpty())
        return problem;
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("the folder for saved plans cannot be made");
    const QString fileName = n + QStringLiteral(".plan");
    if (QString e = savePlanFile(plan, pathOf(fileName), Format::QgcPlan); !e.isEmpty())
        return e;
    // The plan it replaces may be in another format or spelt in other letter case: it goes
    // once the new file is whole. Where the folder ignores letter case, the listing shows one
    // spelling for both, and the new file is that one: nothing goes then.
    const QStringList files = planFiles();
    if (files.contains(fileName))
        for (const QString &f : files)
            if (f != fileName && sameName(nameOf(f), n))
                QFile::remove(pathOf(f));
    return {};
}

QString PlanLibrary::rename(const QString &fileName, const QString &newName) const
{
    const QString n = newName.trimmed();
    if (QString problem = nameProblem(n); !problem.isEmpty())
        return problem;
    if (!QFile::exists(pathOf(fileName)))
        return QStringLiteral("the plan is no longer in the library");
    const QString target = n + QLatin1Char('.') + QFileInfo(fileName).suffix();
    if (target == fileName)
        return {};
    for (const QString &f : planFiles())
        if (f != fileName && sameName(nameOf(f), n))
            return QStringLiteral("a plan named \u201C%1\u201D is already there").arg(nameOf(f));
    QFile file(pathOf(fileName));
    // A rename never replaces a file: one appearing meanwhile is refused.
    if (!file.rename(pathOf(target)))
        return QStringLiteral("the file cannot be renamed (%1)").arg(file.errorString());
    return {};
}

QString PlanLibrary::remove(const QString &fileName) const
{
    QFile file(pathOf(fileName));
    if (!file.exists())
        return {};
    if (!file.remove())
        return QStringLiteral("the file cannot be deleted (%1)").arg(file.errorString());
    return {};
}

PlanLibrary::Imported PlanLibrary::import(const QString &path) const
{
    QByteArray bytes;
    if (QString e = readPlanBytes(path, bytes); !e.isEmpty())
        return {{}, e};
    const std::optional<FileKind> kind = fileKindForPath(path);
    const PlanReadResult r = readPlan(bytes, kind);
    if (!r.ok())
        return {{}, r.error};
    const QFileInfo source(path);
    const QString name = freeName(cleanName(source.completeBaseName()));
    // The file as it came, so it opens as it would have from where it was; bytes that no
    // extension of ours names are kept as the plan that was read from them.
    const QString fileName = name + QLatin1Char('.') + (kind ? source.suffix().toLower() : QStringLiteral("plan"));
    const QByteArray out = kind ? bytes : writeQgcPlan(*r.plan);
    if (!QDir().mkpath(m_folder))
        return {{}, QStringLiteral("the folder for saved plans cannot be made")};
    if (const auto reason = writeFileAtomically(pathOf(fileName), out))
        return {{}, QStringLiteral("the file cannot be written (%1)").arg(*reason)};
    return {fileName, {}};
}

} // namespace zeltrin::planio
