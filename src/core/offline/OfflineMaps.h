#pragma once

#include "AreaDownload.h"
#include "OfflineAreaListModel.h"
#include "OfflineStore.h"
#include "OfflineTileSource.h"

#include <QObject>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include <functional>
#include <memory>

// The app's offline maps: the store (on a thread of its own, so no query ever waits on the
// UI thread), the one area download at a time, the tile lookups for the map, and the browsing
// cache's size. A download left running when the app ended goes on at the next start.
class OfflineMaps : public OfflineTileSource
{
    Q_OBJECT
    Q_PROPERTY(bool ready READ ready NOTIFY areasChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY areasChanged)
    Q_PROPERTY(OfflineAreaListModel *areas READ areas CONSTANT)
    Q_PROPERTY(double meanTileBytes READ meanTileBytes NOTIFY areasChanged)
    Q_PROPERTY(bool downloadActive READ downloadActive NOTIFY downloadChanged)
    Q_PROPERTY(bool downloadPaused READ downloadPaused NOTIFY downloadChanged)
    Q_PROPERTY(bool downloadWaiting READ downloadWaiting NOTIFY downloadChanged)
    Q_PROPERTY(QString downloadName READ downloadName NOTIFY downloadChanged)
    Q_PROPERTY(double downloadDone READ downloadDoneReal NOTIFY downloadChanged)
    Q_PROPERTY(double downloadTotal READ downloadTotalReal NOTIFY downloadChanged)
    Q_PROPERTY(double downloadProgress READ downloadProgress NOTIFY downloadChanged)
    Q_PROPERTY(int downloadFailures READ downloadFailures NOTIFY downloadChanged)
    Q_PROPERTY(QString downloadText READ downloadText NOTIFY downloadChanged)
    // How the last download ended, or why it stopped ("" while none has).
    Q_PROPERTY(QString downloadMessage READ downloadMessage NOTIFY downloadChanged)
    Q_PROPERTY(bool downloadMessageIsError READ downloadMessageIsError NOTIFY downloadChanged)
    Q_PROPERTY(QString browsingCacheText READ browsingCacheText NOTIFY browsingCacheChanged)
    // What opening a pack or deleting an area last said ("" when there is nothing to say).
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(bool noticeIsError READ noticeIsError NOTIFY noticeChanged)
    // Whether an area comes with its elevation.
    Q_PROPERTY(bool fetchesElevation READ fetchesElevation CONSTANT)
public:
    static constexpr qint64 kMaxTiles = 50'000;
    static constexpr double kDefaultTileBytes = 25 * 1024;

    struct Options {
        QString storePath;      // the default place when empty
        QString cacheDirectory; // the map's browsing cache; none when empty
        qint64 maxStoreBytes = 0;
        bool resumeOnStart = true;
        zeltrin::offline::AreaDownload::Options download;
        // Elevation fetched with each area (Terrarium tiles), into this elevation store; none
        // when either is empty.
        QString elevationUrlTemplate;
        QString elevationStorePath;
    };
    // Elevation comes at the area's finest zoom up to this one (about 10 m a sample).
    static constexpr int kElevationMaxZoom = 14;
    explicit OfflineMaps(Options options, QObject *parent = nullptr);
    ~OfflineMaps() override;

    static QString defaultCacheDirectory();
    bool fetchesElevation() const;
    static int elevationZoom(int maxZoom) { return std::min(maxZoom, kElevationMaxZoom); }
    // The elevation tiles an area whose imagery goes to `maxZoom` comes with.
    static qint64 elevationTiles(const zeltrin::offline::GeoBounds &bounds, int maxZoom)
    {
        return zeltrin::offline::tileSpan(bounds, elevationZoom(std::clamp(maxZoom, 0, zeltrin::offline::kMaxZoom)))
            .count();
    }

    bool ready() const { return m_ready; }
    QString errorText() const { return m_error; }
    OfflineAreaListModel *areas() { return &m_areas; }
    double meanTileBytes() const { return m_meanTileBytes; }
    bool downloadActive() const { return m_areaId != 0; }
    // Paused by the pilot, or stopped by the store (full) until resumed.
    bool downloadPaused() const
    {
        return m_areaId != 0
            && (m_pauseWanted
                || (m_download
                    && (m_download->isPaused() || m_download->outcome() != zeltrin::offline::AreaDownload::Outcome::none)));
    }
    bool downloadWaiting() const { return m_download && m_download->waitingForNetwork() && !m_download->isPaused(); }
    QString downloadName() const { return m_areaName; }
    qint64 downloadDone() const;
    qint64 downloadTotal() const { return m_total; }
    double downloadDoneReal() const { return double(downloadDone()); }
    double downloadTotalReal() const { return double(m_total); }
    double downloadProgress() const;
    int downloadFailures() const { return m_download ? m_download->failureCount() : 0; }
    QString downloadText() const;
    QString downloadMessage() const { return m_message; }
    bool downloadMessageIsError() const { return m_messageIsError; }
    qint64 activeAreaId() const { return m_areaId; }
    const zeltrin::offline::AreaDownload *download() const { return m_download.get(); }
    QString browsingCacheText() const;
    qint64 browsingCacheBytes() const { return m_cacheBytes; }
    QString notice() const { return m_notice; }
    bool noticeIsError() const { return m_noticeIsError; }

    // Tiles, an estimate of their bytes, and whether they may be downloaded.
    Q_INVOKABLE qint64 tileCount(double south, double west, double north, double east, int minZoom, int maxZoom) const;
    Q_INVOKABLE bool startDownload(double south, double west, double north, double east, int minZoom, int maxZoom,
                                   const QString &urlTemplate);
    Q_INVOKABLE void pauseDownload();
    Q_INVOKABLE void resumeDownload();
    // Stops and deletes the area, with the tiles it alone used.
    Q_INVOKABLE void cancelDownload();
    Q_INVOKABLE void clearDownloadMessage();
    Q_INVOKABLE void deleteArea(qint64 id);
    Q_INVOKABLE void importPack(const QUrl &file);
    Q_INVOKABLE void clearNotice();
    Q_INVOKABLE void clearBrowsingCache();
    Q_INVOKABLE void refreshBrowsingCache();

    void findTile(int z, int x, int y, QObject *context, std::function<void(const QByteArray &)> done) override;

    // Runs `work` on the store's thread; `done` (if any) runs back here afterwards.
    void onStore(std::function<void(zeltrin::offline::OfflineStore &)> work, std::function<void()> done = {});
    // Waits until the store's thread has done what was asked before (tests and tools).
    void waitForStore();

    // "31 MB", "840 KB"; "50,000".
    static QString bytesText(qint64 bytes);
    static QString countText(qint64 n);

Q_SIGNALS:
    void areasChanged();
    void downloadChanged();
    void browsingCacheChanged();
    void noticeChanged();
    void importFinished(bool ok);
    // Elevation tiles were stored (or an area's removed): the ground is read again.
    void elevationChanged();

private:
    struct Worker;
    void opened(const QString &error, const QString &setAside);
    void refreshAreas();
    void resumeArea(const zeltrin::offline::OfflineArea &area);
    void downloadEnded();
    void setMessage(const QString &text, bool error);
    void setNotice(const QString &text, bool error, bool untilDismissed = false);
    void storeBatch(const QList<zeltrin::offline::TileBlob> &tiles, std::function<void(bool, bool)> done);
    // On the store's thread: the area's elevation tiles not stored yet, registering its elevation
    // area first when it has none (a kill may have come between the two).
    static QList<zeltrin::offline::TileAddress> missingElevation(Worker &w, const zeltrin::offline::OfflineArea &area,
                                                                 const QString &source, qint64 *elevationArea,
                                                                 qint64 *total);
    void removeElevationOf(qint64 mapAreaId);

    Options m_options;
    QThread m_thread;
    Worker *m_worker = nullptr;
    OfflineAreaListModel m_areas;
    bool m_ready = false;
    QString m_error;
    double m_meanTileBytes = 0;
    std::unique_ptr<zeltrin::offline::AreaDownload> m_download;
    qint64 m_areaId = 0;
    QString m_areaName;
    qint64 m_total = 0;
    qint64 m_heldAtStart = 0;
    qint64 m_elevationAreaId = 0; // where the running download's elevation tiles go
    // Paused before the download was under way (while the store was still registering it).
    bool m_pauseWanted = false;
    QString m_message;
    bool m_messageIsError = false;
    QString m_notice;
    bool m_noticeIsError = false;
    QTimer m_noticeTimer; // a notice goes by itself, but for the damaged store's
    qint64 m_cacheBytes = 0;
};
