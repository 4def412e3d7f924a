#include "ElevationData.h"

#include "ElevationImport.h"
#include "ElevationModel.h"
#include "ElevationStore.h"

#include <QFileInfo>
#include <QPointer>

#ifndef ZELTRIN_ELEVATION_URL
#define ZELTRIN_ELEVATION_URL ""
#endif

using namespace zeltrin::terrain;

QVariant ElevationAreaListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const Row &r = m_rows[index.row()];
    switch (role) {
    case AreaIdRole: return r.id;
    case NameRole: return r.name;
    case DetailRole: return r.detail;
    default: return {};
    }
}

QHash<int, QByteArray> ElevationAreaListModel::roleNames() const
{
    return {{AreaIdRole, "areaId"}, {NameRole, "name"}, {DetailRole, "detail"}};
}

void ElevationAreaListModel::setRows(QList<Row> rows)
{
    if (rows == m_rows)
        return;
    const bool counted = rows.size() != m_rows.size();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    if (counted)
        Q_EMIT countChanged();
}

ElevationData::ElevationData(const QString &storePath, QObject *parent)
    : QObject(parent), m_path(storePath.isEmpty() ? defaultStorePath() : storePath)
{
    m_store = std::make_unique<ElevationStore>(m_path);
    m_model = std::make_unique<ElevationModel>(*m_store);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(500);
    connect(&m_refresh, &QTimer::timeout, this, &ElevationData::reload);
    reload();
}

QString ElevationData::defaultUrlTemplate()
{
    return qEnvironmentVariableIsSet("ZELTRIN_ELEVATION_URL") ? qEnvironmentVariable("ZELTRIN_ELEVATION_URL")
                                                              : QStringLiteral(ZELTRIN_ELEVATION_URL);
}

void ElevationData::refreshSoon()
{
    if (!m_refresh.isActive())
        m_refresh.start();
}

ElevationData::~ElevationData()
{
    m_cancel = true;
    joinWorker();
}

QString ElevationData::defaultStorePath()
{
    return ElevationStore::defaultPath();
}

const ElevationSource *ElevationData::source() const
{
    return m_ready && m_areas.count() > 0 ? m_model.get() : nullptr;
}

void ElevationData::reload()
{
    m_refresh.stop();
    m_ready = m_store->isOpen();
    m_error = m_ready ? QString() : m_store->errorText();
    m_model->reload();
    QList<ElevationAreaListModel::Row> rows;
    for (const ElevationArea &a : m_model->areas()) {
        // "Zoom 14 · 9.6 m · EGM96 (sea level) · hills.tif"
        QString detail =
            QStringLiteral("Zoom %1 \u00b7 %2 m \u00b7 %3").arg(a.zoom).arg(a.resolution, 0, 'f', 1).arg(a.datum);
        if (!a.source.isEmpty())
            detail += QStringLiteral(" \u00b7 ") + a.source;
        rows.append({a.id, a.name, detail});
    }
    m_areas.setRows(rows);
    Q_EMIT areasChanged();
    Q_EMIT groundChanged();
}

void ElevationData::setNotice(const QString &text, bool error)
{
    m_notice = text;
    m_noticeIsError = error;
    Q_EMIT noticeChanged();
}

void ElevationData::clearNotice()
{
    if (!m_notice.isEmpty())
        setNotice({}, false);
}

void ElevationData::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

QString ElevationData::importNow(const QString &path)
{
    if (m_importing)
        return QStringLiteral("An import is already running.");
    const QString name = QFileInfo(path).completeBaseName();
    const ElevationImportResult r = importElevationModel(*m_store, path, name);
    importFinished(name, r.error, r.cancelled);
    return r.error;
}

void ElevationData::importModel(const QUrl &file)
{
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    if (m_importing || path.isEmpty() || !m_ready)
        return;
    joinWorker();
    m_importing = true;
    m_cancel = false;
    m_progress = 0;
    Q_EMIT importChanged();
    const QString name = QFileInfo(path).completeBaseName();
    const QString storePath = m_path;
    QPointer<ElevationData> self(this);
    // Its own connection to the store: a connection belongs to the thread that opened it. The
    // destructor cancels and joins, so the thread never outlives this object.
    m_worker = std::thread([this, self, path, name, storePath] {
        ElevationStore store(storePath);
        ElevationImportResult r;
        if (!store.isOpen())
            r.error = store.errorText();
        else
            r = importElevationModel(
                store, path, name,
                [this, self](double p) {
                    m_progress = p;
                    QMetaObject::invokeMethod(
                        self, [this] { Q_EMIT importChanged(); }, Qt::QueuedConnection);
                },
                &m_cancel);
        QMetaObject::invokeMethod(
            self, [this, name, r] { importFinished(name, r.error, r.cancelled); }, Qt::QueuedConnection);
    });
}

void ElevationData::cancelImport()
{
    if (m_importing)
        m_cancel = true;
}

void ElevationData::importFinished(const QString &name, const QString &error, bool cancelled)
{
    joinWorker();
    m_importing = false;
    Q_EMIT importChanged();
    reload();
    if (cancelled)
        setNotice(QStringLiteral("The import of \u201c%1\u201d was cancelled: nothing was kept.").arg(name), false);
    else if (!error.isEmpty())
        setNotice(QStringLiteral("Could not import \u201c%1\u201d: %2").arg(name, error), true);
    else
        setNotice(QStringLiteral("Imported \u201c%1\u201d.").arg(name), false);
}

void ElevationData::deleteArea(qint64 id)
{
    if (m_importing)
        return;
    if (m_store->removeArea(id))
        reload();
    else
        setNotice(QStringLiteral("Could not delete the area: ") + m_store->errorText(), true);
}
