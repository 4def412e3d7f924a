#pragma once

#include "PlanLibrary.h"
#include "PlanNameForm.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPointer>
#include <QQmlEngine>
#include <QUrl>

#include <memory>

class FlightPlanModel;

// The plans kept in the app, for the planner's "Plan" menu: the list of saved plans (newest
// first), and saving, opening, renaming, deleting, importing and exporting them. The folder is
// read on a worker thread, and only files changed since the last listing are read again; the
// rows change by insertions and removals, so a list on screen keeps its place. Rows are named
// by file name, which stays valid while the list changes under a finger.
class PlanLibraryModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("FlightPlanModel.h")
    Q_PROPERTY(QString folder READ folder WRITE setFolder NOTIFY folderChanged)
    // The planner whose plan is saved and exported, and which opens a chosen one.
    Q_PROPERTY(FlightPlanModel *plan READ plan WRITE setPlan NOTIFY planChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // A listing is under way; hasListed once the first one is in (an empty list means empty).
    Q_PROPERTY(bool isListing READ isListing NOTIFY isListingChanged)
    Q_PROPERTY(bool hasListed READ hasListed NOTIFY isListingChanged)
    // The library's sheet is up.
    Q_PROPERTY(bool showLibrary READ showLibrary WRITE setShowLibrary NOTIFY showLibraryChanged)
    // The naming sheet (save and rename).
    Q_PROPERTY(PlanNameForm *nameForm READ nameForm CONSTANT)
    // The last import, rename or delete that did not go as asked, or an import that did.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(bool messageIsError READ messageIsError NOTIFY messageChanged)
    // A delete waiting for the pilot's word.
    Q_PROPERTY(bool deletePending READ deletePending NOTIFY deletePendingChanged)
    Q_PROPERTY(QString deleteTitle READ deleteTitle NOTIFY deletePendingChanged)
    // The name the plan on the map was last saved or opened under ("" when none).
    Q_PROPERTY(QString currentName READ currentName NOTIFY currentNameChanged)
    // Where the import and export dialogs start, and the file an export suggests.
    Q_PROPERTY(QUrl documentsFolder READ documentsFolder CONSTANT)
    Q_PROPERTY(QUrl suggestedExportFile READ suggestedExportFile NOTIFY currentNameChanged)

public:
    enum Role {
        NameRole = Qt::UserRole + 1,
        FileNameRole,
        DetailTextRole, // "12 waypoints · 14/03/2026 09:30"
        ErrorTextRole,  // "Cannot be opened: …" for a damaged file, else empty
        IsDamagedRole,
        OutlineRole, // QList<QPointF> in the unit square
        WaypointCountRole,
    };

    explicit PlanLibraryModel(QObject *parent = nullptr);
    ~PlanLibraryModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString folder() const { return m_library.folder(); }
    void setFolder(const QString &folder);
    FlightPlanModel *plan() const;
    void setPlan(FlightPlanModel *plan);
    int count() const { return int(m_entries.size()); }
    bool isListing() const { return m_listing; }
    bool hasListed() const { return m_hasListed; }
    bool showLibrary() const { return m_showLibrary; }
    void setShowLibrary(bool v);
    PlanNameForm *nameForm() const { return m_form.get(); }
    QString message() const { return m_message; }
    bool messageIsError() const { return m_messageIsError; }
    bool deletePending() const { return !m_pendingDelete.isEmpty(); }
    QString deleteTitle() const;
    QString currentName() const { return m_currentName; }
    static QUrl documentsFolder();
    QUrl suggestedExportFile() const;
    const QList<zeltrin::planio::LibraryEntry> &entries() const { return m_entries; }
    const zeltrin::planio::PlanLibrary &library() const { return m_library; }
    // The row of a file, or -1.
    Q_INVOKABLE int rowOf(const QString &fileName) const;

    // Reads the folder again (on a worker thread); the rows follow when it is done.
    Q_INVOKABLE void refresh();
    // "Open…": the sheet, listed afresh.
    Q_INVOKABLE void openLibrary();
    // Hands a saved plan to the planner, which asks before it replaces waypoints; closes the
    // sheet. A damaged file is not opened (its row says why).
    Q_INVOKABLE void open(const QString &fileName);
    // "Save…" and a row's "Rename": the naming sheet.
    Q_INVOKABLE void beginSave();
    Q_INVOKABLE void beginRename(const QString &fileName);
    // A row's "Delete", then the pilot's answer.
    Q_INVOKABLE void requestDelete(const QString &fileName);
    Q_INVOKABLE void confirmDelete();
    Q_INVOKABLE void cancelDelete();
    // A file from elsewhere (local path or file URL) copied in; the sheet then shows the result.
    Q_INVOKABLE bool importFile(const QString &file);
    // The planner's plan written elsewhere, in the format the name's extension says, else in
    // `extension`'s (the chosen file type), else as .plan.
    Q_INVOKABLE bool exportPlan(const QString &file, const QString &extension = QString());
    Q_INVOKABLE void dismissMessage();

    // For the naming sheet: each returns empty on success, else the reason.
    QString savePlanAs(const QString &name);
    QString renamePlan(const QString &fileName, const QString &name);

Q_SIGNALS:
    void folderChanged();
    void planChanged();
    void countChanged();
    void isListingChanged();
    void showLibraryChanged();
    void messageChanged();
    void deletePendingChanged();
    void currentNameChanged();
    // A listing's rows are in (tests and benchmarks wait for it).
    void listed();

private:
    struct Delivery;
    void listingDone(quint64 generation, const QList<zeltrin::planio::LibraryEntry> &entries);
    void applyEntries(const QList<zeltrin::planio::LibraryEntry> &next);
    void setMessage(const QString &text, bool isError);
    void setCurrentName(const QString &name);
    QString nameOfFile(const QString &fileName) const;

    zeltrin::planio::PlanLibrary m_library{QString()};
    QPointer<FlightPlanModel> m_plan;
    QList<zeltrin::planio::LibraryEntry> m_entries;
    // Every file's last reading, rows or not: a listing reads only what changed since.
    QHash<QString, zeltrin::planio::LibraryEntry> m_known;
    std::shared_ptr<Delivery> m_delivery;
    quint64 m_generation = 0;
    bool m_listing = false;
    bool m_listAgain = false;
    bool m_hasListed = false;
    bool m_showLibrary = false;
    std::unique_ptr<PlanNameForm> m_form;
    QString m_message;
    bool m_messageIsError = false;
    QString m_pendingDelete;
    QString m_currentName;
    QString m_opening; // the name of a plan handed to the planner, until it is opened
};
