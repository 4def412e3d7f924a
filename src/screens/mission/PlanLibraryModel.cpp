#include "PlanLibraryModel.h"

#include "FlightPlanModel.h"
#include "NumberFormat.h"
#include "PlanFormats.h"
#include "PlanNameForm.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

namespace planio = zeltrin::planio;
using planio::LibraryEntry;

// Carries a listing back from the worker while the model lives; the model clears it as it goes.
struct PlanLibraryModel::Delivery {
    QMutex mutex;
    PlanLibraryModel *model = nullptr;
};

namespace {
QString localPath(const QString &file)
{
    return file.startsWith(u"file:") ? QUrl(file).toLocalFile() : file;
}

QString quoted(const QString &text)
{
    return QStringLiteral("\u201C%1\u201D").arg(text);
}

QString waypointsText(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 waypoint") : QStringLiteral("%1 waypoints").arg(n);
}

QString dateText(const QDateTime &t)
{
    return t.isValid() ? QLocale::system().toString(t.toLocalTime(), QLocale::ShortFormat) : QStringLiteral("\u2014");
}
} // namespace

PlanLibraryModel::PlanLibraryModel(QObject *parent)
    : QAbstractListModel(parent), m_delivery(std::make_shared<Delivery>()), m_form(std::make_unique<PlanNameForm>(this))
{
    m_delivery->model = this;
    // Owned here, not by the QML engine.
    QQmlEngine::setObjectOwnership(m_form.get(), QQmlEngine::CppOwnership);
}

PlanLibraryModel::~PlanLibraryModel()
{
    // A listing still running finds no one to hand its rows to.
    QMutexLocker lock(&m_delivery->mutex);
    m_delivery->model = nullptr;
}

int PlanLibraryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant PlanLibraryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_entries.size())
        return {};
    const LibraryEntry &e = m_entries[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return e.name;
    case FileNameRole: return e.fileName;
    case DetailTextRole:
        return e.ok() ? QStringLiteral("%1 \u00B7 %2").arg(waypointsText(e.waypointCount), dateText(e.modified))
                      : dateText(e.modified);
    case ErrorTextRole: return e.ok() ? QString() : QStringLiteral("Cannot be opened: %1.").arg(e.error);
    case IsDamagedRole: return !e.ok();
    case OutlineRole: return QVariant::fromValue(e.outline);
    case WaypointCountRole: return e.waypointCount;
    }
    return {};
}

QHash<int, QByteArray> PlanLibraryModel::roleNames() const
{
    return {{NameRole, "name"},
            {FileNameRole, "fileName"},
            {DetailTextRole, "detailText"},
            {ErrorTextRole, "errorText"},
            {IsDamagedRole, "isDamaged"},
            {OutlineRole, "outline"},
            {WaypointCountRole, "waypointCount"}};
}

void PlanLibraryModel::setFolder(const QString &folder)
{
    if (folder == m_library.folder())
        return;
    m_library = planio::PlanLibrary(folder);
    ++m_generation; // a listing of the old folder is not this one's
    m_known.clear();
    beginResetModel();
    m_entries.clear();
    endResetModel();
    m_hasListed = false;
    if (m_listing) {
        m_listing = false;
        m_listAgain = false;
        Q_EMIT isListingChanged();
    }
    Q_EMIT countChanged();
    Q_EMIT folderChanged();
    if (m_showLibrary)
        refresh();
}

FlightPlanModel *PlanLibraryModel::plan() const
{
    return m_plan;
}

void PlanLibraryModel::setPlan(FlightPlanModel *plan)
{
    if (m_plan == plan)
        return;
    if (m_plan)
        disconnect(m_plan, nullptr, this, nullptr);
    m_plan = plan;
    if (m_plan)
        connect(m_plan, &FlightPlanModel::planOpened, this, [this] {
            if (!m_opening.isEmpty())
                setCurrentName(std::exchange(m_opening, QString()));
        });
    Q_EMIT planChanged();
}

void PlanLibraryModel::setShowLibrary(bool v)
{
    if (m_showLibrary == v)
        return;
    m_showLibrary = v;
    if (!v)
        cancelDelete();
    Q_EMIT showLibraryChanged();
}

QString PlanLibraryModel::deleteTitle() const
{
    return m_pendingDelete.isEmpty() ? QString()
                                     : QStringLiteral("Delete %1?").arg(quoted(nameOfFile(m_pendingDelete)));
}

QUrl PlanLibraryModel::documentsFolder()
{
    // A dialog told to start in a folder that does not exist starts in the working folder: a
    // new account's documents folder is made the first time a dialog asks for it.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(folder);
    return QUrl::fromLocalFile(folder);
}

QUrl PlanLibraryModel::suggestedExportFile() const
{
    const QString name = m_currentName.isEmpty() ? QStringLiteral("Mission Plan") : m_currentName;
    return QUrl::fromLocalFile(QDir(documentsFolder().toLocalFile()).filePath(name + QStringLiteral(".plan")));
}

int PlanLibraryModel::rowOf(const QString &fileName) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].fileName == fileName)
            return int(i);
    return -1;
}

QString PlanLibraryModel::nameOfFile(const QString &fileName) const
{
    return QFileInfo(fileName).completeBaseName();
}

void PlanLibraryModel::setMessage(const QString &text, bool isError)
{
    m_message = text;
    m_messageIsError = isError;
    Q_EMIT messageChanged();
}

void PlanLibraryModel::dismissMessage()
{
    setMessage({}, false);
}

void PlanLibraryModel::setCurrentName(const QString &name)
{
    if (m_currentName == name)
        return;
    m_currentName = name;
    Q_EMIT currentNameChanged();
}

void PlanLibraryModel::refresh()
{
    if (m_library.folder().isEmpty())
        return;
    if (m_listing) {
        m_listAgain = true; // what is being read may already be out of date
        return;
    }
    m_listing = true;
    Q_EMIT isListingChanged();
    const quint64 generation = ++m_generation;
    QThreadPool::globalInstance()->start([delivery = m_delivery, library = m_library, known = m_known, generation] {
        const QList<LibraryEntry> entries = library.list(known);
        QMutexLocker lock(&delivery->mutex);
        if (PlanLibraryModel *model = delivery->model)
            QMetaObject::invokeMethod(
                model, [model, generation, entries] { model->listingDone(generation, entries); }, Qt::QueuedConnection);
    });
}

void PlanLibraryModel::listingDone(quint64 generation, const QList<LibraryEntry> &entries)
{
    if (generation != m_generation)
        return;
    m_known.clear();
    for (const LibraryEntry &e : entries)
        m_known.insert(e.fileName, e);
    m_listing = false;
    // Something changed while this was read: the next listing shows it, and reads only that.
    if (std::exchange(m_listAgain, false)) {
        refresh();
        return;
    }
    applyEntries(entries);
    m_hasListed = true;
    Q_EMIT isListingChanged();
    Q_EMIT listed();
}

void PlanLibraryModel::applyEntries(const QList<LibraryEntry> &next)
{
    const qsizetype before = m_entries.size();
    // A first listing, or one that changes most rows, is one reset.
    QSet<QString> kept;
    {
        QHash<QString, const LibraryEntry *> byFile;
        for (const LibraryEntry &e : next)
            byFile.insert(e.fileName, &e);
        for (const LibraryEntry &e : std::as_const(m_entries))
            if (const auto it = byFile.constFind(e.fileName); it != byFile.cend() && **it == e)
                kept.insert(e.fileName);
    }
    if (m_entries.isEmpty() || kept.size() * 2 < m_entries.size()) {
        beginResetModel();
        m_entries = next;
        endResetModel();
    } else {
        // Unchanged rows keep their order (the sort is the same), so the rest are removals and
        // insertions around them.
        for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
            if (kept.contains(m_entries[i].fileName))
                continue;
            beginRemoveRows({}, int(i), int(i));
            m_entries.removeAt(i);
            endRemoveRows();
        }
        for (qsizetype i = 0; i < next.size(); ++i) {
            if (i < m_entries.size() && m_entries[i] == next[i])
                continue;
            beginInsertRows({}, int(i), int(i));
            m_entries.insert(i, next[i]);
            endInsertRows();
        }
        if (m_entries != next) { // never expected; the rows are made right whatever happened
            beginResetModel();
            m_entries = next;
            endResetModel();
        }
    }
    if (m_entries.size() != before)
        Q_EMIT countChanged();
}

void PlanLibraryModel::openLibrary()
{
    setShowLibrary(true);
    refresh();
}

void PlanLibraryModel::open(const QString &fileName)
{
    const int row = rowOf(fileName);
    if (row < 0 || !m_entries[row].ok() || !m_plan)
        return;
    setShowLibrary(false);
    m_opening = m_entries[row].name;
    if (!m_plan->openPlan(m_library.pathOf(fileName))) {
        m_opening.clear();
        refresh(); // it changed under the list
    }
}

void PlanLibraryModel::beginSave()
{
    if (!m_plan)
        return;
    const auto plan = m_plan->toMissionPlan();
    const QString summary = zeltrin::format("%@ \u00B7 %.0f m \u00B7 %.0f m/s", waypointsText(plan.waypoints.size()),
                                            m_plan->missionAltitude(), m_plan->missionSpeed());
    m_form->beginSave(m_currentName, planio::planOutline(plan.waypoints), summary, !plan.waypoints.isEmpty());
}

void PlanLibraryModel::beginRename(const QString &fileName)
{
    const int row = rowOf(fileName);
    if (row < 0)
        return;
    const LibraryEntry &e = m_entries[row];
    m_form->beginRename(e.fileName, e.name, e.outline, data(index(row), DetailTextRole).toString());
}

QString PlanLibraryModel::savePlanAs(const QString &name)
{
    if (!m_plan)
        return {};
    const QString n = name.trimmed();
    if (const QString e = m_library.save(m_plan->toMissionPlan(), n); !e.isEmpty())
        return QStringLiteral("%1 could not be saved: %2.").arg(quoted(n), e);
    setCurrentName(n);
    m_plan->setFileMessage(QStringLiteral("Saved %1.").arg(quoted(n)), false);
    refresh();
    return {};
}

QString PlanLibraryModel::renamePlan(const QString &fileName, const QString &name)
{
    const QString old = nameOfFile(fileName);
    if (const QString e = m_library.rename(fileName, name); !e.isEmpty()) {
        refresh();
        return QStringLiteral("%1 could not be renamed: %2.").arg(quoted(old), e);
    }
    if (m_currentName == old)
        setCurrentName(name.trimmed());
    refresh();
    return {};
}

void PlanLibraryModel::requestDelete(const QString &fileName)
{
    if (rowOf(fileName) < 0)
        return;
    m_pendingDelete = fileName;
    Q_EMIT deletePendingChanged();
}

void PlanLibraryModel::confirmDelete()
{
    if (m_pendingDelete.isEmpty())
        return;
    const QString fileName = std::exchange(m_pendingDelete, QString());
    Q_EMIT deletePendingChanged();
    const QString name = nameOfFile(fileName);
    if (const QString e = m_library.remove(fileName); !e.isEmpty())
        setMessage(QStringLiteral("%1 could not be deleted: %2.").arg(quoted(name), e), true);
    else if (m_currentName == name)
        setCurrentName({});
    refresh();
}

void PlanLibraryModel::cancelDelete()
{
    if (m_pendingDelete.isEmpty())
        return;
    m_pendingDelete.clear();
    Q_EMIT deletePendingChanged();
}

bool PlanLibraryModel::importFile(const QString &file)
{
    const QString path = localPath(file);
    const planio::PlanLibrary::Imported r = m_library.import(path);
    if (!r.error.isEmpty())
        setMessage(QStringLiteral("%1 could not be imported: %2.").arg(quoted(QFileInfo(path).fileName()), r.error),
                   true);
    else
        setMessage(QStringLiteral("Imported %1.").arg(quoted(nameOfFile(r.fileName))), false);
    openLibrary();
    return r.error.isEmpty();
}

bool PlanLibraryModel::exportPlan(const QString &file, const QString &extension)
{
    if (!m_plan)
        return false;
    QString path = localPath(file);
    const QString ext = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    if (!planio::formatForPath(path) && planio::formatForPath(QStringLiteral("x.") + ext))
        path += QLatin1Char('.') + ext;
    return m_plan->savePlan(path);
}
