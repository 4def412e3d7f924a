#include "TileLoader.h"

#include <QAbstractNetworkCache>
#include <QDeadlineTimer>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThreadPool>

#include <algorithm>

namespace {
constexpr int kTransferTimeoutMs = 15'000;
constexpr int kMaxZoom = 30; // keeps 1 << z and 2 * x within int

qint64 nowMs() { return QDeadlineTimer::current().deadline(); }

TileKey ancestorOf(const TileKey &k, int levelsUp)
{
    return {k.layer, k.z - levelsUp, k.x >> levelsUp, k.y >> levelsUp};
}

// The renderer uploads tiles as textures: hand it a format it takes without converting.
QImage decodeTile(const QByteArray &bytes)
{
    QImage img;
    if (!img.loadFromData(bytes))
        return {};
    return img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                     : QImage::Format_RGB32);
}
} // namespace

// Decodes finishing after the loader is gone must not touch it: the destructor clears `loader`
// under the mutex, and a result is posted only while holding it. Qt discards events still
// posted to a destroyed object.
struct TileLoader::Delivery {
    QMutex mutex;
    TileLoader *loader = nullptr;
};

TileLoader::TileLoader(QObject *parent)
    : QObject(parent), m_nam(new QNetworkAccessManager(this)), m_delivery(std::make_shared<Delivery>())
{
    m_delivery->loader = this;
    m_nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

TileLoader::~TileLoader()
{
    {
        QMutexLocker lock(&m_delivery->mutex);
        m_delivery->loader = nullptr;
    }
    for (auto &r : m_replies) {
        if (r) {
            r->disconnect(this);
            r->abort();
        }
    }
}

void TileLoader::setUrlTemplate(int layer, const QString &urlTemplate)
{
    if (layer < 0 || layer > 1 || m_templates[layer] == urlTemplate)
        return;
    m_templates[layer] = urlTemplate;
    ++m_generation[layer];
    const auto ofLayer = [layer](const TileKey &k) { return k.layer == layer; };
    for (const TileKey &k : m_images.keys())
        if (k.layer == layer)
            m_images.remove(k);
    m_failedAt.removeIf([layer](const auto &it) { return it.key().layer == layer; });
    m_decoding.removeIf(ofLayer);
    // Fetches from the old source are worthless; those still wanted start again from the new one.
    QList<TileKey> restart;
    for (auto it = m_replies.begin(); it != m_replies.end();) {
        if (it.key().layer != layer) {
            ++it;
            continue;
        }
        restart.append(it.key());
        if (QNetworkReply *r = it.value()) {
            r->disconnect(this);
            r->abort();
            r->deleteLater();
        }
        it = m_replies.erase(it);
    }
    if (urlTemplate.isEmpty()) {
        std::erase_if(m_queue, ofLayer);
        return;
    }
    for (auto it = restart.crbegin(); it != restart.crend(); ++it)
        m_queue.push_front(*it);
    pump();
}

void TileLoader::setCacheDirectory(const QString &dir, qint64 maxBytes)
{
    if (dir.isEmpty()) {
        m_nam->setCache(nullptr);
        return;
    }
    auto *cache = new QNetworkDiskCache(m_nam);
    cache->setCacheDirectory(dir);
    cache->setMaximumCacheSize(maxBytes);
    m_nam->setCache(cache); // takes ownership
}

void TileLoader::setOfflineSource(OfflineTileSource *source)
{
    if (m_offline == source)
        return;
    disconnect(m_offlineWatch);
    m_offline = source;
    if (source)
        m_offlineWatch = source->watchTiles(this, [this] {
            forgetOfflineMisses();
            Q_EMIT offlineTilesChanged();
        });
    forgetOfflineMisses();
}

void TileLoader::forgetOfflineMisses()
{
    m_offlineMissed.clear();
    m_failedAt.removeIf([](const auto &it) { return it.key().layer == 0; });
}

bool TileLoader::askOffline(const TileKey &k)
{
    if (k.layer != 0 || !m_offline || m_offlineMissed.contains(k))
        return false;
    if (m_asking.contains(k))
        return true;
    m_asking.insert(k);
    m_offline->findTile(k.z, k.x, k.y, this, [this, k, generation = m_generation[0]](const QByteArray &bytes) {
        offlineAnswered(k, generation, bytes);
    });
    return true;
}

void TileLoader::offlineAnswered(const TileKey &k, quint64 generation, const QByteArray &bytes)
{
    m_asking.remove(k);
    if (generation != m_generation[0])
        return;
    if (!bytes.isEmpty()) {
        ++m_offlineHits;
        if (!m_images.contains(k) && !m_decoding.contains(k))
            decode(k, bytes);
        return;
    }
    m_offlineMissed.insert(k);
    if (m_wanted.contains(k) && !m_images.contains(k) && !m_replies.contains(k)
        && std::find(m_queue.begin(), m_queue.end(), k) == m_queue.end()) {
        m_queue.push_back(k);
        pump();
    }
}

void TileLoader::setMemoryLimit(qsizetype bytes)
{
    m_images.setMaxCost(std::max<qsizetype>(0, bytes));
}

QString TileLoader::expand(const QString &urlTemplate, const TileKey &k)
{
    QString url = urlTemplate;
    url.replace(QLatin1String("{z}"), QString::number(k.z));
    url.replace(QLatin1String("{x}"), QString::number(k.x));
    url.replace(QLatin1String("{y}"), QString::number(k.y));
    return url;
}

std::optional<TileFallback> TileLoader::fallback(const TileKey &k, int maxLevelsUp) const
{
    const int levels = std::min({maxLevelsUp, k.z, kMaxZoom});
    for (int d = 1; d <= levels; ++d) {
        const TileKey a = ancestorOf(k, d);
        const QImage *img = m_images.object(a);
        if (!img)
            continue;
        const int span = 1 << d;
        const qreal w = qreal(img->width()) / span, h = qreal(img->height()) / span;
        // The low bits of x and y say which of the span × span parts of the ancestor k is.
        const QRectF source((k.x & (span - 1)) * w, (k.y & (span - 1)) * h, w, h);
        return TileFallback{a, img, source, d};
    }
    return std::nullopt;
}

QList<std::pair<TileKey, const QImage *>> TileLoader::loadedChildren(const TileKey &k) const
{
    QList<std::pair<TileKey, const QImage *>> out;
    if (k.z < 0 || k.z >= kMaxZoom)
        return out;
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
            const TileKey c{k.layer, k.z + 1, 2 * k.x + dx, 2 * k.y + dy};
            if (const QImage *img = m_images.object(c))
                out.append({c, img});
        }
    }
    return out;
}

void TileLoader::request(const QList<TileKey> &wanted)
{
    QSet<TileKey> want(wanted.begin(), wanted.end());
    m_wanted = want;
    // Drop what left the screen: queued first, then requests in flight.
    const auto before = m_queue.size();
    std::erase_if(m_queue, [&](const TileKey &k) { return !want.contains(k); });
    m_cancelled += int(before - m_queue.size());
    for (auto it = m_replies.begin(); it != m_replies.end();) {
        if (!want.contains(it.key())) {
            QPointer<QNetworkReply> r = it.value();
            it = m_replies.erase(it);
            ++m_cancelled;
            if (r) {
                r->disconnect(this);
                r->abort();
                r->deleteLater();
            }
        } else {
            ++it;
        }
    }
    // The cache evicts the least recently used tile first: touching the ancestors the view
    // falls back on keeps them in. A touched ancestor's own ancestors were touched with it.
    QSet<TileKey> touched;
    for (const TileKey &k : wanted) {
        for (int d = 1; d <= std::min(kFallbackLevels, k.z); ++d) {
            const TileKey a = ancestorOf(k, d);
            if (touched.contains(a))
                break;
            touched.insert(a);
            m_images.object(a);
        }
    }
    const qint64 now = nowMs();
    QSet<TileKey> queued(m_queue.begin(), m_queue.end());
    for (const TileKey &k : wanted) {
        if (k.layer < 0 || k.layer > 1 || m_templates[k.layer].isEmpty() || m_images.contains(k)
            || m_replies.contains(k) || m_decoding.contains(k) || queued.contains(k))
            continue;
        const auto failed = m_failedAt.constFind(k);
        if (failed != m_failedAt.cend() && now - failed.value() < m_retryAfterMs)
            continue;
        if (askOffline(k))
            continue;
        m_queue.push_back(k);
        queued.insert(k);
    }
    pump();
}

void TileLoader::pump()
{
    while (int(m_replies.size()) < m_maxConcurrent && !m_queue.empty()) {
        const TileKey k = m_queue.front();
        m_queue.pop_front();
        QNetworkRequest req{QUrl(expand(m_templates[k.layer], k))};
        req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
        req.setTransferTimeout(kTransferTimeoutMs);
        req.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("ZeltrinPilot/0.1"));
        QNetworkReply *reply = m_nam->get(req);
        m_replies.insert(k, reply);
        m_peakInFlight = std::max(m_peakInFlight, int(m_replies.size()));
        connect(reply, &QNetworkReply::finished, this, [this, reply, k] {
            reply->deleteLater();
            const auto it = m_replies.find(k);
            if (it != m_replies.end() && it.value() == reply) {
                m_replies.erase(it);
                finished(k, reply);
            }
        });
    }
}

void TileLoader::finished(const TileKey &k, QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        failed(k, reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
        pump();
        return;
    }
    const QByteArray bytes = reply->readAll();
    ++m_bodies;
    m_bodyBytes += bytes.size();
    decode(k, bytes);
    pump();
}

void TileLoader::decode(const TileKey &k, const QByteArray &bytes)
{
    m_decoding.insert(k);
    QThreadPool::globalInstance()->start(
        [delivery = m_delivery, hook = m_decodeHook, k, generation = m_generation[k.layer], bytes] {
            if (hook)
                hook(k);
            const QImage img = decodeTile(bytes);
            QMutexLocker lock(&delivery->mutex);
            if (TileLoader *loader = delivery->loader)
                QMetaObject::invokeMethod(
                    loader, [loader, k, generation, img] { loader->decoded(k, generation, img); },
                    Qt::QueuedConnection);
        });
}

void TileLoader::decoded(const TileKey &k, quint64 generation, const QImage &img)
{
    // A tile of a source since replaced is worthless; one no longer wanted may be wanted again.
    if (generation != m_generation[k.layer])
        return;
    m_decoding.remove(k);
    if (img.isNull()) {
        // The disk cache would hand the same broken body back on the retry.
        if (QAbstractNetworkCache *cache = m_nam->cache())
            cache->remove(QUrl(expand(m_templates[k.layer], k)));
        failed(k, true);
        return;
    }
    m_failedAt.remove(k);
    m_images.insert(k, new QImage(img), img.sizeInBytes());
    ++m_loaded;
    Q_EMIT tileLoaded();
}

void TileLoader::failed(const TileKey &k, bool answered)
{
    m_failedAt.insert(k, nowMs());
    ++m_failed;
    Q_EMIT tileFailed(k.layer, answered);
}
