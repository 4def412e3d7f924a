#include "OfflineMaps.h"

#include "ElevationTile.h"
#include "Gazetteer.h"
#include "MessageTime.h"
#include "OfflineMapsWorker.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QStandardPaths>

using namespace zeltrin::offline;

OfflineMaps::OfflineMaps(Options options, QObject *parent) : OfflineTileSource(parent), m_options(std::move(options))
{
    if (m_options.storePath.isEmpty())
        m_options.storePath = OfflineStore::defaultPath();
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, &OfflineMaps::clearNotice);
    m_worker = new Worker;
    if (fetchesElevation())
        m_worker->elevationPath = m_options.elevationStorePath;
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("offline-maps"));
    m_thread.start();
    // Opening checks the whole file, which may take a while: never on this thread.
    QMetaObject::invokeMethod(m_worker, [this, w = m_worker, path = m_options.storePath, max = m_options.maxStoreBytes] {
        w->store = std::make_unique<OfflineStore>(path);
        if (max > 0)
            w->store->setMaxBytes(max);
        const QString error = w->store->isOpen() ? QString() : w->store->errorText();
        const QString aside = w->store->setAsidePath();
        QMetaObject::invokeMethod(this, [this, error, aside] { opened(error, aside); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    refreshBrowsingCache();
}

OfflineMaps::~OfflineMaps()
{
    m_download.reset();
    // Everything asked of the store before is done when this returns; nothing posts back after.
    QMetaObject::invokeMethod(
        m_worker,
        [w = m_worker] {
            w->store.reset();
            w->elevationStore.reset();
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

QString OfflineMaps::defaultCacheDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/tiles");
}

void OfflineMaps::onStore(std::function<void(OfflineStore &)> work, std::function<void()> done)
{
    QMetaObject::invokeMethod(m_worker, [this, w = m_worker, work = std::move(work), done = std::move(done)] {
        if (w->store)
            work(*w->store);
        if (done)
            QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void OfflineMaps::waitForStore()
{
    QMetaObject::invokeMethod(m_worker, [] {}, Qt::BlockingQueuedConnection);
}

void OfflineMaps::findTile(int z, int x, int y, QObject *context, std::function<void(const QByteArray &)> done)
{
    // The answer comes back through this object, which outlives the store's thread; the asker
    // may be gone by then.
    QPointer<QObject> asker(context);
    QMetaObject::invokeMethod(m_worker, [this, w = m_worker, z, x, y, asker, done = std::move(done)] {
        QByteArray bytes;
        if (w->store)
            bytes = w->store->tile(z, x, y).value_or(QByteArray());
        QMetaObject::invokeMethod(this, [asker, done, bytes] {
            if (asker)
                done(bytes);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void OfflineMaps::opened(const QString &error, const QString &setAside)
{
    m_ready = error.isEmpty();
    m_error = error;
    if (!setAside.isEmpty())
        // Said at start-up, maybe long before the pilot opens Settings: it stays until read.
        setNotice(QStringLiteral("The offline maps were damaged and have been set aside. Areas you need must be "
                                 "downloaded again."),
                  true, true);
    Q_EMIT areasChanged();
    if (!m_ready)
        return;
    auto list = std::make_shared<QList<OfflineArea>>();
    onStore([list](OfflineStore &s) { *list = s.areas(); }, [this, list] {
        refreshAreas();
        if (!m_options.resumeOnStart || m_areaId != 0)
            return;
        // A download that was running when the app ended goes on; one paused stays paused.
        for (const OfflineArea &a : *list) {
            if (a.state == AreaState::downloading) {
                resumeArea(a);
                return;
            }
        }
    });
}

void OfflineMaps::refreshAreas()
{
    auto list = std::make_shared<QList<OfflineArea>>();
    auto mean = std::make_shared<double>(0);
    onStore([list, mean](OfflineStore &s) {
        *list = s.areas();
        *mean = s.meanTileBytes();
    }, [this, list, mean] {
        m_areas.setAreas(*list);
        m_meanTileBytes = *mean;
        Q_EMIT areasChanged();
    });
}

qint64 OfflineMaps::tileCount(double south, double west, double north, double east, int minZoom, int maxZoom) const
{
    const GeoBounds bounds{south, west, north, east};
    const qint64 imagery = zeltrin::offline::tileCount(bounds, minZoom, maxZoom);
    return imagery + (fetchesElevation() && imagery > 0 ? elevationTiles(bounds, maxZoom) : 0);
}

bool OfflineMaps::startDownload(double south, double west, double north, double east, int minZoom, int maxZoom,
                                const QString &urlTemplate)
{
    const GeoBounds bounds{south, west, north, east};
    const qint64 count = tileCount(south, west, north, east, minZoom, maxZoom);
    if (!m_ready) {
        setMessage(QStringLiteral("The offline maps cannot be used: %1").arg(m_error), true);
        return false;
    }
    if (m_areaId != 0) {
        setMessage(QStringLiteral("Another area is downloading. Wait for it, or cancel it first."), true);
        return false;
    }
    if (urlTemplate.isEmpty()) {
        setMessage(QStringLiteral("There is no imagery source to download from."), true);
        return false;
    }
    if (!bounds.isValid() || count == 0 || minZoom > maxZoom) {
        setMessage(QStringLiteral("That area cannot be downloaded."), true);
        return false;
    }
    if (count > kMaxTiles) {
        setMessage(QStringLiteral("That area needs %1 tiles; at most %2 can be downloaded at once.")
                       .arg(countText(count), countText(kMaxTiles)), true);
        return false;
    }
    OfflineArea area;
    area.name = Gazetteer::bundled().placeName((south + north) / 2, (west + east) / 2);
    area.bounds = bounds;
    area.minZoom = std::clamp(minZoom, kMinZoom, kMaxZoom);
    area.maxZoom = std::clamp(maxZoom, kMinZoom, kMaxZoom);
    area.created = QDateTime::currentDateTimeUtc();
    area.state = AreaState::downloading;
    area.urlTemplate = urlTemplate;
    m_areaId = -1; // taken while the store registers it
    m_areaName = area.name;
    m_total = count;
    m_heldAtStart = 0;
    m_message.clear();
    Q_EMIT downloadChanged();
    auto result = std::make_shared<OfflineArea>();
    auto error = std::make_shared<QString>();
    onStore(
        [area, result, error](OfflineStore &s) {
            if (const qint64 id = s.addArea(area); id == 0)
                *error = s.errorText();
            else if (const auto a = s.area(id))
                *result = *a;
        },
        [this, result, error] {
            if (m_areaId != -1) {
                // Cancelled while it was being registered.
                if (const qint64 id = result->id)
                    onStore([id](OfflineStore &s) { s.removeArea(id); }, [this] { refreshAreas(); });
                return;
            }
            m_areaId = 0;
            if (result->id == 0) {
                setMessage(QStringLiteral("The area could not be saved. %1").arg(*error), true);
                return;
            }
            resumeArea(*result);
        });
    return true;
}

void OfflineMaps::resumeArea(const OfflineArea &area)
{
    m_download.reset();
    const qint64 id = area.id;
    m_areaId = id;
    m_areaName = area.name;
    m_total = area.tileCount;
    m_heldAtStart = area.heldCount;
    m_elevationAreaId = 0;
    struct Found {
        QList<TileAddress> missing, elevation;
        qint64 elevationArea = 0, elevationTotal = 0;
    };
    auto found = std::make_shared<Found>();
    const bool elevation = fetchesElevation();
    onStore(
        [w = m_worker, id, found, area,
         source = elevation ? m_options.elevationUrlTemplate : QString()](OfflineStore &s) {
            found->missing = s.missingTiles(id);
            s.setAreaState(id, AreaState::downloading);
            if (!source.isEmpty())
                found->elevation = missingElevation(*w, area, source, &found->elevationArea, &found->elevationTotal);
        },
        [this, id, found, urlTemplate = area.urlTemplate] {
            if (m_areaId != id)
                return; // cancelled meanwhile
            m_total += found->elevationArea ? found->elevationTotal : 0;
            m_heldAtStart = m_total - found->missing.size() - found->elevation.size();
            m_elevationAreaId = found->elevationArea;
            m_download = std::make_unique<AreaDownload>(
                urlTemplate, found->missing,
                [this](const QList<TileBlob> &tiles, std::function<void(bool, bool)> done) {
                    storeBatch(tiles, std::move(done));
                },
                m_options.download);
            if (m_elevationAreaId != 0)
                m_download->addTiles(1, m_options.elevationUrlTemplate, found->elevation, [](const QByteArray &bytes) {
                    return zeltrin::terrain::decodeTerrarium(bytes).has_value();
                });
            connect(m_download.get(), &AreaDownload::progressed, this, &OfflineMaps::downloadChanged);
            connect(m_download.get(), &AreaDownload::ended, this, &OfflineMaps::downloadEnded, Qt::QueuedConnection);
            if (m_pauseWanted) {
                m_pauseWanted = false; // the download itself is paused until started
                onStore([id](OfflineStore &s) { s.setAreaState(id, AreaState::paused); });
            } else {
                m_download->start();
            }
            Q_EMIT downloadChanged();
            refreshAreas();
        });
    Q_EMIT downloadChanged();
}

void OfflineMaps::downloadEnded()
{
    if (!m_download || m_areaId <= 0)
        return;
    const qint64 id = m_areaId;
    const int failures = m_download->failureCount();
    AreaState state = AreaState::paused;
    switch (m_download->outcome()) {
    case AreaDownload::Outcome::finished:
        state = failures == 0 ? AreaState::complete : AreaState::partial;
        if (failures == 0)
            setMessage(QStringLiteral("%1 is ready for offline use.").arg(m_areaName), false);
        else
            setMessage(QStringLiteral("%1 is saved, but %2 of its tiles could not be downloaded.")
                           .arg(m_areaName, countText(failures)), true);
        m_areaId = 0; // the finished download stays, for its figures

        break;
    case AreaDownload::Outcome::full:
        setMessage(QStringLiteral("The device is full, so the download is paused. Free some space, then resume."), true);
        break;
    case AreaDownload::Outcome::storeFailed:
        setMessage(QStringLiteral("The tiles could not be saved, so the download is paused. %1").arg(m_error), true);
        break;
    case AreaDownload::Outcome::none:
        return;
    }
    onStore([id, state](OfflineStore &s) { s.setAreaState(id, state); }, [this] { refreshAreas(); });
    Q_EMIT downloadChanged();
}

qint64 OfflineMaps::downloadDone() const
{
    return std::min(m_total, m_heldAtStart + (m_download ? m_download->storedCount() : 0));
}

double OfflineMaps::downloadProgress() const
{
    return m_total > 0 ? double(downloadDone()) / double(m_total) : 0.0;
}

QString OfflineMaps::downloadText() const
{
    QString text = QStringLiteral("%1 of %2 tiles \u00b7 %3")
                       .arg(countText(downloadDone()), countText(m_total),
                            bytesText(m_download ? m_download->storedBytes() : 0));
    if (const int failed = downloadFailures())
        text += QStringLiteral(" \u00b7 %1 failed").arg(countText(failed));
    return text;
}

void OfflineMaps::pauseDownload()
{
    if (m_areaId != 0 && !m_download) {
        m_pauseWanted = true; // taken up once the store has registered the area
        Q_EMIT downloadChanged();
        return;
    }
    if (!m_download || m_download->isPaused())
        return;
    m_download->pause();
    onStore([id = m_areaId](OfflineStore &s) { s.setAreaState(id, AreaState::paused); }, [this] { refreshAreas(); });
    Q_EMIT downloadChanged();
}

void OfflineMaps::resumeDownload()
{
    if (m_pauseWanted) {
        m_pauseWanted = false;
        Q_EMIT downloadChanged();
        if (!m_download)
            return; // it starts when it is made
    }
    if (m_areaId <= 0)
        return;
    m_message.clear();
    if (m_download && m_download->outcome() == AreaDownload::Outcome::none) {
        m_download->start();
        onStore([id = m_areaId](OfflineStore &s) { s.setAreaState(id, AreaState::downloading); }, [this] { refreshAreas(); });
        Q_EMIT downloadChanged();
        return;
    }
    // Stopped by the store: start over from what it holds.
    const auto it = std::find_if(m_areas.list().cbegin(), m_areas.list().cend(),
                                 [id = m_areaId](const OfflineArea &a) { return a.id == id; });
    if (it != m_areas.list().cend())
        resumeArea(*it);
}

void OfflineMaps::cancelDownload()
{
    if (m_areaId == 0)
        return;
    const qint64 id = m_areaId;
    m_download.reset();
    m_areaId = 0;
    m_pauseWanted = false;
    m_message.clear();
    Q_EMIT downloadChanged();
    if (id > 0) {
        onStore([id](OfflineStore &s) { s.removeArea(id); }, [this] {
            refreshAreas();
            Q_EMIT offlineTilesChanged();
        });
        removeElevationOf(id);
    }
}

void OfflineMaps::clearDownloadMessage()
{
    if (m_message.isEmpty())
        return;
    m_message.clear();
    Q_EMIT downloadChanged();
}

void OfflineMaps::deleteArea(qint64 id)
{
    if (id == m_areaId) {
        cancelDownload();
        return;
    }
    auto ok = std::make_shared<bool>(false);
    onStore([id, ok](OfflineStore &s) { *ok = s.removeArea(id); }, [this, ok] {
        if (!*ok)
            setNotice(QStringLiteral("The area could not be deleted."), true);
        refreshAreas();
        Q_EMIT offlineTilesChanged();
    });
    removeElevationOf(id);
}

void OfflineMaps::importPack(const QUrl &file)
{
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    const QString name = QFileInfo(path).completeBaseName();
    auto id = std::make_shared<qint64>(0);
    auto tiles = std::make_shared<qint64>(0);
    auto error = std::make_shared<QString>();
    onStore([path, name, id, tiles, error](OfflineStore &s) {
        *id = s.importPack(path, name, error.get());
        if (*id)
            if (const auto a = s.area(*id))
                *tiles = a->tileCount;
    }, [this, name, id, tiles, error] {
        if (*id)
            setNotice(QStringLiteral("%1 opened: %2 tiles.").arg(name, countText(*tiles)), false);
        else
            setNotice(*error, true);
        refreshAreas();
        if (*id)
            Q_EMIT offlineTilesChanged();
        Q_EMIT importFinished(*id != 0);
    });
}

void OfflineMaps::setMessage(const QString &text, bool error)
{
    m_message = text;
    m_messageIsError = error;
    Q_EMIT downloadChanged();
}

void OfflineMaps::setNotice(const QString &text, bool error, bool untilDismissed)
{
    m_notice = text;
    m_noticeIsError = error;
    if (text.isEmpty() || untilDismissed)
        m_noticeTimer.stop();
    else
        m_noticeTimer.start(zeltrin::MessageTime::shownMs(text, error));
    Q_EMIT noticeChanged();
}

void OfflineMaps::clearNotice()
{
    setNotice({}, false);
}

QString OfflineMaps::browsingCacheText() const
{
    return bytesText(m_cacheBytes);
}

void OfflineMaps::refreshBrowsingCache()
{
    const QString dir = m_options.cacheDirectory;
    if (dir.isEmpty())
        return;
    auto bytes = std::make_shared<qint64>(0);
    onStore([dir, bytes](OfflineStore &) {
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            *bytes += it.fileInfo().size();
        }
    }, [this, bytes] {
        m_cacheBytes = *bytes;
        Q_EMIT browsingCacheChanged();
    });
}

void OfflineMaps::clearBrowsingCache()
{
    const QString dir = m_options.cacheDirectory;
    if (dir.isEmpty())
        return;
    // Files only: the map's cache keeps writing into its folders.
    onStore([dir](OfflineStore &) {
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::remove(it.next());
    }, [this] { refreshBrowsingCache(); });
}

QString OfflineMaps::countText(qint64 n)
{
    // The texts around the numbers are English; so is their grouping.
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(n);
}

QString OfflineMaps::bytesText(qint64 bytes)
{
    // Decimal units, as phones and tablets show storage.
    const double b = double(std::max<qint64>(0, bytes));
    if (b < 999.5e3)
        return QStringLiteral("%1 KB").arg(QString::number(std::round(b / 1e3), 'f', 0));
    if (b < 9.95e6)
        return QStringLiteral("%1 MB").arg(QString::number(b / 1e6, 'f', 1));
    if (b < 999.5e6)
        return QStringLiteral("%1 MB").arg(QString::number(std::round(b / 1e6), 'f', 0));
    return QStringLiteral("%1 GB").arg(QString::number(b / 1e9, 'f', 1));
}
