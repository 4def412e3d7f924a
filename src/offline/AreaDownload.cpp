#include "AreaDownload.h"

#include <QCoreApplication>
#include <QImage>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

namespace zeltrin::offline {

namespace {
constexpr int kTransferTimeoutMs = 20'000;
constexpr int kMaxRetryAfterMs = 60'000;

QString expand(const QString &urlTemplate, const TileAddress &t)
{
    QString url = urlTemplate;
    url.replace(QLatin1String("{z}"), QString::number(t.z));
    url.replace(QLatin1String("{x}"), QString::number(t.x));
    url.replace(QLatin1String("{y}"), QString::number(t.y));
    return url;
}

// Checking the bodies is the download's main CPU cost; at idle priority it runs only when the
// map's drawing leaves the cores free (SCHED_IDLE on Linux).
QThreadPool &verifyPool()
{
    static QThreadPool *const pool = [] {
        auto *p = new QThreadPool;
        p->setThreadPriority(QThread::IdlePriority);
        p->setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
        return p;
    }();
    return *pool;
}

// No answer at all, as opposed to an answer that says no: the network or the server is gone.
bool unreachable(QNetworkReply *reply)
{
    return !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}
} // namespace

// Checks finishing after the download is gone must not touch it (see TileLoader's).
struct AreaDownload::Delivery {
    QMutex mutex;
    AreaDownload *owner = nullptr;
};

AreaDownload::AreaDownload(QString urlTemplate, QList<TileAddress> missing, StoreTiles store, Options options,
                           QObject *parent)
    : QObject(parent), m_template(std::move(urlTemplate)), m_store(std::move(store)), m_options(options),
      m_nam(new QNetworkAccessManager(this)), m_delivery(std::make_shared<Delivery>())
{
    m_delivery->owner = this;
    m_nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    for (const TileAddress &t : missing)
        m_queue.push_back({t, 0});
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(m_options.batchMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &AreaDownload::flush);
    m_probe.setSingleShot(true);
    connect(&m_probe, &QTimer::timeout, this, [this] {
        if (m_waiting && !m_paused && m_replies.isEmpty())
            pump();
    });
}

AreaDownload::~AreaDownload()
{
    {
        QMutexLocker lock(&m_delivery->mutex);
        m_delivery->owner = nullptr;
    }
    for (auto it = m_replies.begin(); it != m_replies.end(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
    }
}

QByteArray AreaDownload::userAgent()
{
    return QByteArrayLiteral("ZeltrinPilot/") + QCoreApplication::applicationVersion().toLatin1()
        + QByteArrayLiteral(" (offline map area)");
}

bool AreaDownload::isIdle() const
{
    return m_replies.isEmpty() && m_verifying == 0 && m_writing == 0;
}

void AreaDownload::start()
{
    if (m_stopped)
        return;
    m_paused = false;
    m_waiting = false;
    pump();
    checkEnd();
}

void AreaDownload::pause()
{
    if (m_paused || m_stopped)
        return;
    m_paused = true;
    m_probe.stop();
    // What is in flight is asked again on resume, first.
    for (auto it = m_replies.begin(); it != m_replies.end(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
        it.key()->deleteLater();
        m_queue.push_front(it.value());
    }
    m_replies.clear();
    flush();
    Q_EMIT progressed();
}

void AreaDownload::pump()
{
    if (m_paused || m_stopped)
        return;
    // While the network is gone one request at a time finds out whether it is back.
    const int limit = m_waiting ? 1 : m_options.maxConcurrent;
    while (int(m_replies.size()) < limit && !m_queue.empty()) {
        if (m_waiting && m_probe.isActive())
            return;
        const Pending p = m_queue.front();
        m_queue.pop_front();
        QNetworkRequest req{QUrl(expand(m_template, p.at))};
        req.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
        req.setTransferTimeout(kTransferTimeoutMs);
        QNetworkReply *reply = m_nam->get(req);
        m_replies.insert(reply, p);
        m_peakInFlight = std::max(m_peakInFlight, int(m_replies.size()));
        connect(reply, &QNetworkReply::finished, this, [this, reply] {
            reply->deleteLater();
            const auto it = m_replies.find(reply);
            if (it == m_replies.end())
                return;
            const Pending p = it.value();
            m_replies.erase(it);
            fetched(p, reply);
        });
    }
}

void AreaDownload::fetched(const Pending &p, QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        if (unreachable(reply)) {
            // Not the tile's fault: it keeps its retries and waits at the front.
            m_queue.push_front(p);
            m_waiting = true;
            if (!m_probe.isActive())
                m_probe.start(m_options.probeMs);
            Q_EMIT progressed();
            return;
        }
        int delay = m_options.backoffMs * (1 << std::min(p.attempts, 10));
        bool ok = false;
        const int retryAfter = reply->rawHeader("Retry-After").trimmed().toInt(&ok);
        if (ok && retryAfter > 0)
            delay = std::max(delay, std::min(retryAfter * 1000, kMaxRetryAfterMs));
        retry(p, delay);
        pump();
        return;
    }
    if (m_waiting) {
        m_waiting = false;
        m_probe.stop();
    }
    const QByteArray bytes = reply->readAll();
    ++m_verifying;
    verifyPool().start([delivery = m_delivery, p, bytes] {
        QImage img;
        const bool image = !bytes.isEmpty() && img.loadFromData(bytes) && !img.isNull();
        QMutexLocker lock(&delivery->mutex);
        if (AreaDownload *owner = delivery->owner)
            QMetaObject::invokeMethod(owner, [owner, p, bytes, image] { owner->verified(p, bytes, image); },
                                      Qt::QueuedConnection);
    });
    pump();
}

void AreaDownload::verified(const Pending &p, const QByteArray &bytes, bool image)
{
    --m_verifying;
    if (m_stopped)
        return;
    if (!image) {
        // A body that is no image is never kept; the server may send a good one next time.
        retry(p, m_options.backoffMs * (1 << std::min(p.attempts, 10)));
        checkEnd();
        return;
    }
    m_batch.append({p.at, bytes});
    m_batchBytes += bytes.size();
    if (m_batch.size() >= m_options.batchTiles)
        flush();
    else if (!m_batchTimer.isActive())
        m_batchTimer.start();
    checkEnd();
}

void AreaDownload::retry(Pending p, int delayMs)
{
    if (++p.attempts > m_options.retries) {
        ++m_failures;
        Q_EMIT progressed();
        checkEnd();
        return;
    }
    ++m_retrying;
    QTimer::singleShot(delayMs, this, [this, p] {
        --m_retrying;
        if (m_stopped)
            return;
        m_queue.push_front(p);
        pump();
    });
}

void AreaDownload::flush()
{
    m_batchTimer.stop();
    if (m_batch.isEmpty() || m_stopped)
        return;
    const QList<TileBlob> batch = std::exchange(m_batch, {});
    const qint64 bytes = std::exchange(m_batchBytes, 0);
    ++m_writing;
    QPointer<AreaDownload> self(this);
    m_store(batch, [self, count = batch.size(), bytes](bool ok, bool full) {
        if (!self)
            return;
        --self->m_writing;
        if (!ok) {
            self->stop(full ? Outcome::full : Outcome::storeFailed);
            return;
        }
        self->m_stored += count;
        self->m_storedBytes += bytes;
        Q_EMIT self->progressed();
        self->checkEnd();
    });
}

void AreaDownload::checkEnd()
{
    if (m_stopped || m_paused)
        return;
    if (m_queue.empty() && m_replies.isEmpty() && m_verifying == 0 && m_retrying == 0 && m_batch.isEmpty()
        && m_writing == 0) {
        m_stopped = true;
        m_outcome = Outcome::finished;
        Q_EMIT ended();
    } else if (m_queue.empty() && m_replies.isEmpty() && m_verifying == 0 && !m_batch.isEmpty()) {
        flush(); // the last tiles need not wait for the batch timer
    }
}

void AreaDownload::stop(Outcome outcome)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_outcome = outcome;
    m_batchTimer.stop();
    m_probe.stop();
    for (auto it = m_replies.begin(); it != m_replies.end(); ++it) {
        it.key()->disconnect(this);
        it.key()->abort();
        it.key()->deleteLater();
    }
    m_replies.clear();
    m_queue.clear();
    m_batch.clear();
    Q_EMIT ended();
}

} // namespace zeltrin::offline
