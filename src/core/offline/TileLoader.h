#pragma once

#include "OfflineTileSource.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QNetworkAccessManager;
class QNetworkReply;

// One tile of one layer: layer 0 is imagery, 1 the labels overlay.
struct TileKey {
    int layer = 0;
    int z = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const TileKey &, const TileKey &) = default;
};
inline size_t qHash(const TileKey &k, size_t seed = 0)
{
    return qHashMulti(seed, k.layer, k.z, k.x, k.y);
}

// A loaded ancestor that can stand in for a tile not loaded yet: draw `source` (image pixels)
// of `image` over the tile's square. The pointer is valid until the loader next caches a tile.
struct TileFallback {
    TileKey key;
    const QImage *image = nullptr;
    QRectF source;
    int levelsUp = 0;
};

// Fetches tiles over HTTP(S) with a bounded number of requests in flight. Requests for tiles
// that are no longer wanted are dropped from the queue or aborted. Responses go through a
// size-capped disk cache, so areas already seen still draw without a network. Bodies are decoded
// on worker threads; decoded tiles are kept in memory up to a byte bound.
class TileLoader : public QObject
{
    Q_OBJECT
public:
    // 96 MiB is 384 decoded 256×256 tiles at 4 bytes a pixel. A 1366×1024 tablet screen shows up
    // to 7×6 tiles per layer, two layers; with the parents kept for zoom fallback that is about
    // 110, so three screens stay in memory for panning back and zooming out. A view that picks
    // one zoom level finer for sharpness at device pixel ratio 3 needs four times the tiles, and
    // one such screen still fits.
    static constexpr qsizetype kDefaultMemoryBytes = 96ll * 1024 * 1024;
    // How far up the view looks for a stand-in; request() keeps that many ancestors cached.
    static constexpr int kFallbackLevels = 4;

    explicit TileLoader(QObject *parent = nullptr);
    ~TileLoader() override;

    void setUrlTemplate(int layer, const QString &urlTemplate);
    void setMaxConcurrent(int n) { m_maxConcurrent = std::max(1, n); pump(); }
    int maxConcurrent() const { return m_maxConcurrent; }
    // Empty disables the disk cache.
    void setCacheDirectory(const QString &dir, qint64 maxBytes);
    // Imagery is looked for here first (the source may go first). When its tiles change, those
    // found missing there are looked for again at the next request, and offlineTilesChanged says so.
    void setOfflineSource(OfflineTileSource *source);
    OfflineTileSource *offlineSource() const { return m_offline; }
    // Bound of the decoded tiles kept in memory, in bytes of image data.
    void setMemoryLimit(qsizetype bytes);
    qsizetype memoryLimit() const { return m_images.maxCost(); }
    qsizetype memoryUsed() const { return m_images.totalCost(); }
    // A tile that failed to fetch or decode is not asked for again before this many ms.
    void setRetryAfter(int ms) { m_retryAfterMs = std::max(0, ms); }

    // The tiles the view wants now, most important first. Everything else pending is cancelled.
    void request(const QList<TileKey> &wanted);
    const QImage *image(const TileKey &k) const { return m_images.object(k); }
    // The nearest loaded ancestor of k, at most maxLevelsUp zoom levels up.
    std::optional<TileFallback> fallback(const TileKey &k, int maxLevelsUp = kFallbackLevels) const;
    // Those of k's four children at z+1 that are loaded.
    QList<std::pair<TileKey, const QImage *>> loadedChildren(const TileKey &k) const;

    int inFlight() const { return int(m_replies.size()); }
    int queued() const { return int(m_queue.size()); }
    int decoding() const { return int(m_decoding.size()); }
    int loadedCount() const { return m_loaded; }
    int cancelledCount() const { return m_cancelled; }
    int failedCount() const { return m_failed; }
    int peakInFlight() const { return m_peakInFlight; }
    int offlineHits() const { return m_offlineHits; }
    int bodiesReceived() const { return m_bodies; }
    qint64 bodyBytesReceived() const { return m_bodyBytes; }

    static QString expand(const QString &urlTemplate, const TileKey &k);

    // Runs on the decoding thread before each body is decoded (tests observe or hold decodes).
    using DecodeHook = std::function<void(const TileKey &)>;
    void setDecodeHook(DecodeHook hook) { m_decodeHook = std::move(hook); }

Q_SIGNALS:
    void tileLoaded();
    // A tile could not be had: `answered` when a server answered (with an error, or a body that
    // is no image), false when none could be reached.
    void tileFailed(int layer, bool answered);
    // The offline source's tiles changed: the view asks for its tiles again.
    void offlineTilesChanged();

private:
    struct Delivery;

    void pump();
    void finished(const TileKey &k, QNetworkReply *reply);
    void decoded(const TileKey &k, quint64 generation, const QImage &img);
    void failed(const TileKey &k, bool answered);
    void decode(const TileKey &k, const QByteArray &bytes);
    void forgetOfflineMisses();
    bool askOffline(const TileKey &k);
    void offlineAnswered(const TileKey &k, quint64 generation, const QByteArray &bytes);

    QNetworkAccessManager *m_nam;
    QString m_templates[2];
    quint64 m_generation[2] = {0, 0}; // bumped when a layer's source changes
    int m_maxConcurrent = 6;
    int m_retryAfterMs = 30'000;
    std::deque<TileKey> m_queue;
    QHash<TileKey, QPointer<QNetworkReply>> m_replies;
    QSet<TileKey> m_decoding;
    QCache<TileKey, QImage> m_images{kDefaultMemoryBytes};
    QHash<TileKey, qint64> m_failedAt; // monotonic ms; failed tiles are retried later, not in a loop
    std::shared_ptr<Delivery> m_delivery;
    DecodeHook m_decodeHook;
    QPointer<OfflineTileSource> m_offline;
    QMetaObject::Connection m_offlineWatch;
    QSet<TileKey> m_asking;         // looked for offline, no answer yet
    QSet<TileKey> m_offlineMissed;  // not held offline: fetched from the network
    QSet<TileKey> m_wanted;
    int m_offlineHits = 0;
    int m_bodies = 0;
    qint64 m_bodyBytes = 0;
    int m_loaded = 0;
    int m_cancelled = 0;
    int m_failed = 0;
    int m_peakInFlight = 0;
};
