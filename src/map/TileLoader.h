#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <deque>

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

// Fetches tiles over HTTP(S) with a bounded number of requests in flight. Requests for tiles
// that are no longer wanted are dropped from the queue or aborted. Responses go through a
// size-capped disk cache, so areas already seen still draw without a network.
class TileLoader : public QObject
{
    Q_OBJECT
public:
    explicit TileLoader(QObject *parent = nullptr);
    ~TileLoader() override;

    void setUrlTemplate(int layer, const QString &urlTemplate);
    void setMaxConcurrent(int n) { m_maxConcurrent = std::max(1, n); pump(); }
    int maxConcurrent() const { return m_maxConcurrent; }
    // Empty disables the disk cache.
    void setCacheDirectory(const QString &dir, qint64 maxBytes);

    // The tiles the view wants now, most important first. Everything else pending is cancelled.
    void request(const QList<TileKey> &wanted);
    const QImage *image(const TileKey &k) const { return m_images.object(k); }

    int inFlight() const { return int(m_replies.size()); }
    int queued() const { return int(m_queue.size()); }
    int loadedCount() const { return m_loaded; }
    int cancelledCount() const { return m_cancelled; }
    int peakInFlight() const { return m_peakInFlight; }

    static QString expand(const QString &urlTemplate, const TileKey &k);

Q_SIGNALS:
    void tileLoaded();

private:
    void pump();
    void finished(QNetworkReply *reply);

    QNetworkAccessManager *m_nam;
    QString m_templates[2];
    int m_maxConcurrent = 6;
    std::deque<TileKey> m_queue;
    QHash<TileKey, QPointer<QNetworkReply>> m_replies;
    QCache<TileKey, QImage> m_images{400};
    QHash<TileKey, qint64> m_failedAt; // monotonic ms; failed tiles are retried later, not in a loop
    int m_loaded = 0;
    int m_cancelled = 0;
    int m_peakInFlight = 0;
};
