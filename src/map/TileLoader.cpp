#include "TileLoader.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
constexpr qint64 kRetryAfterMs = 30'000;
constexpr int kTransferTimeoutMs = 15'000;

qint64 nowMs() { return QDeadlineTimer::current().deadline(); }
} // namespace

TileLoader::TileLoader(QObject *parent) : QObject(parent), m_nam(new QNetworkAccessManager(this))
{
    m_nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

TileLoader::~TileLoader()
{
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
    m_images.clear();
    m_failedAt.clear();
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

QString TileLoader::expand(const QString &urlTemplate, const TileKey &k)
{
    QString url = urlTemplate;
    url.replace(QLatin1String("{z}"), QString::number(k.z));
    url.replace(QLatin1String("{x}"), QString::number(k.x));
    url.replace(QLatin1String("{y}"), QString::number(k.y));
    return url;
}

void TileLoader::request(const QList<TileKey> &wanted)
{
    QSet<TileKey> want(wanted.begin(), wanted.end());
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
    const qint64 now = nowMs();
    QSet<TileKey> queued(m_queue.begin(), m_queue.end());
    for (const TileKey &k : wanted) {
        if (m_templates[k.layer].isEmpty() || m_images.contains(k) || m_replies.contains(k) || queued.contains(k))
            continue;
        const auto failed = m_failedAt.constFind(k);
        if (failed != m_failedAt.cend() && now - failed.value() < kRetryAfterMs)
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
        reply->setProperty("tileLayer", k.layer);
        reply->setProperty("tileZ", k.z);
        reply->setProperty("tileX", k.x);
        reply->setProperty("tileY", k.y);
        m_replies.insert(k, reply);
        m_peakInFlight = std::max(m_peakInFlight, int(m_replies.size()));
        connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    }
}

void TileLoader::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    const TileKey k{reply->property("tileLayer").toInt(), reply->property("tileZ").toInt(),
                    reply->property("tileX").toInt(), reply->property("tileY").toInt()};
    const auto it = m_replies.find(k);
    if (it == m_replies.end() || it.value() != reply)
        return;
    m_replies.erase(it);
    QImage img;
    if (reply->error() == QNetworkReply::NoError)
        img.loadFromData(reply->readAll());
    if (img.isNull()) {
        m_failedAt.insert(k, nowMs());
    } else {
        m_failedAt.remove(k);
        m_images.insert(k, new QImage(img.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
        ++m_loaded;
        Q_EMIT tileLoaded();
    }
    pump();
}
