#pragma once

#include "ElevationSource.h"

#include <QAbstractListModel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>
#include <thread>

namespace zeltrin::terrain {
class ElevationModel;
class ElevationStore;
} // namespace zeltrin::terrain

// The elevation areas as Settings lists them, newest first: a name and what they hold
// ("Zoom 14 · 9.6 m · EGM96 (sea level) · hills.tif").
class ElevationAreaListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Role { AreaIdRole = Qt::UserRole + 1, NameRole, DetailRole };
    struct Row {
        qint64 id = 0;
        QString name, detail;
        bool operator==(const Row &) const = default;
    };
    using QAbstractListModel::QAbstractListModel;

    int count() const { return int(m_rows.size()); }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count(); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    void setRows(QList<Row> rows);

Q_SIGNALS:
    void countChanged();

private:
    QList<Row> m_rows;
};

// The ground kept on the device: its store (beside the offline maps'), the model the planner,
// the simulated aircraft and the exports read heights from, and the import of a pilot's own
// elevation model (GeoTIFF), which runs on a thread of its own so the screen never waits.
class ElevationData : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool ready READ ready NOTIFY areasChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY areasChanged)
    Q_PROPERTY(ElevationAreaListModel *areas READ areas CONSTANT)
    Q_PROPERTY(bool importing READ importing NOTIFY importChanged)
    Q_PROPERTY(double importProgress READ importProgress NOTIFY importChanged)
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(bool noticeIsError READ noticeIsError NOTIFY noticeChanged)
public:
    // `storePath` empty: the default place, beside the offline maps.
    explicit ElevationData(const QString &storePath = {}, QObject *parent = nullptr);
    ~ElevationData() override;
    static QString defaultStorePath();
    // Where an offline area's elevation comes from (Terrarium PNG tiles, {z}/{x}/{y}): the build's
    // setting, or the environment's ZELTRIN_ELEVATION_URL when set (empty: none).
    static QString defaultUrlTemplate();

    bool ready() const { return m_ready; }
    QString errorText() const { return m_error; }
    ElevationAreaListModel *areas() { return &m_areas; }
    bool importing() const { return m_importing; }
    double importProgress() const { return m_progress.load(); }
    QString notice() const { return m_notice; }
    bool noticeIsError() const { return m_noticeIsError; }
    // Heights above sea level where an area covers the ground; none elsewhere.
    const ElevationSource *source() const;
    QString storePath() const { return m_path; }

    Q_INVOKABLE void importModel(const QUrl &file);
    Q_INVOKABLE void cancelImport();
    Q_INVOKABLE void deleteArea(qint64 id);
    Q_INVOKABLE void clearNotice();
    // Tiles came in from an area download: read the ground again soon (once for a burst).
    void refreshSoon();
    // Synchronous import, for tests and the tour: the error, or empty.
    QString importNow(const QString &path);

Q_SIGNALS:
    void areasChanged();
    // The ground changed (an area came or went): whatever rests on it is worked again.
    void groundChanged();
    void importChanged();
    void noticeChanged();

private:
    void reload();
    void setNotice(const QString &text, bool error);
    void importFinished(const QString &name, const QString &error, bool cancelled);
    void joinWorker();

    QString m_path;
    std::unique_ptr<zeltrin::terrain::ElevationStore> m_store;
    std::unique_ptr<zeltrin::terrain::ElevationModel> m_model;
    bool m_ready = false;
    QString m_error;
    ElevationAreaListModel m_areas;
    bool m_importing = false;
    std::atomic<double> m_progress{0};
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
    QString m_notice;
    bool m_noticeIsError = false;
    QTimer m_refresh;
};
