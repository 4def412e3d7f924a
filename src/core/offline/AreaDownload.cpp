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

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

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

// The download's threads yield to the map's drawing, yet are never starved outright the way
// idle scheduling starves them on a busy machine: nice 10 weighs about a tenth of the UI's
// threads. Threads made from one (the network manager's own) inherit it.
void yieldToTheScreen()
{
#ifdef Q_OS_LINUX
    thread_local bool done = false;
    if (!done) {
        done = true;
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
    }
#endif
}

// No answer at all, as opposed to an answer that says no: the network or the server is gone.
bool unreachable(QNetworkReply *reply)
{
    return !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}
} // namespace

// Answers arriving after the download is gone must not touch it (see TileLoader's).
struct AreaDownload::Delivery {
    QMutex mutex;
    AreaDownload *owner = nullptr;
};

struct AreaDownload::Result {
    quint64 id = 0;
    bool ok = false;          // an answer with a body that is an image
    bool unreachable = false; // no answer at all
    int retryAfterS = 0;
    QByteArray bytes;
};

// On the download's thread: makes the requests, reads the replies, hands bodies to the check
// pool and every outcome back to the download.
class AreaDownload::Fetcher : public QObject
{
public:
    Fetcher(std::shared_ptr<Delivery> delivery, QByteArray userAgent, QThreadPool *checks)
        : m_delivery(std::move(delivery)), m_userAgent(std::move(userAgent)), m_checks(checks)
    {
    }

    void get(quint64 id, const QUrl &url, const CheckBody &check)
    {
        if (!m_nam) {
            m_nam = new QNetworkAccessManager(this);
            m_nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        }
        QNetworkRequest req{url};
        req.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
        req.setTransferTimeout(kTransferTimeoutMs);
        QNetworkReply *reply = m_nam->get(req);
        m_replies.insert(id, reply);
        connect(reply, &QNetworkReply::finished, this, [this, id, reply, check] {
            reply->deleteLater();
            if (m_replies.value(id) != reply)
                return;
            m_replies.remove(id);
            finished(id, reply, check);
        });
    }

    void abort(const QList<quint64> &ids)
    {
        for (quint64 id : ids) {
            if (QNetworkReply *reply = m_replies.take(id)) {
                reply->disconnect(this);
                reply->abort();
                reply->deleteLater();
            }
        }
    }

private:
    static void deliver(const std::shared_ptr<Delivery> &delivery, Result r)
    {
        QMutexLocker lock(&delivery->mutex);
        if (AreaDownload *owner = delivery->owner)
            QMetaObject::invokeMethod(owner, [owner, r = std::move(r)] { owner->answered(r); }, Qt::QueuedConnection);
    }

    void finished(quint64 id, QNetworkReply *reply, const CheckBody &check)
    {
        Result r;
        r.id = id;
        if (reply->error() != QNetworkReply::NoError) {
            r.unreachable = unreachable(reply);
            bool ok = false;
            const int retryAfter = reply->rawHeader("Retry-After").trimmed().toInt(&ok);
            r.retryAfterS = ok && retryAfter > 0 ? retryAfter : 0;
            deliver(m_delivery, std::move(r));
            return;
        }
        r.bytes = reply->readAll();
        // Frees the request's place first; the check answers later (and in this order).
        QMutexLocker lock(&m_delivery->mutex);
        if (AreaDownload *owner = m_delivery->owner)
            QMetaObject::invokeMethod(owner, [owner, id] { owner->fetched(id); }, Qt::QueuedConnection);
        lock.unlock();
        m_checks->start([delivery = m_delivery, r = std::move(r), check]() mutable {
            yieldToTheScreen();
            if (r.bytes.isEmpty()) {
                r.ok = false;
            } else if (check) {
                r.ok = check(r.bytes);
            } else {
                QImage img;
                r.ok = img.loadFromData(r.bytes) && !img.isNull();
            }
            deliver(delivery, std::move(r));
        });
    }

    std::shared_ptr<Delivery> m_delivery;
    QByteArray m_userAgent;
    QThreadPool *m_checks;
    QNetworkAccessManager *m_nam = nullptr;
    QHash<quint64, QNetworkReply *> m_replies;
};

AreaDownload::AreaDownload(QString urlTemplate, QList<TileAddress> missing, StoreTiles store, Options options,
                           QObject *parent)
    : QObject(parent), m_layers{{std::move(urlTemplate), {}}}, m_store(std::move(store)), m_options(options),
      m_delivery(std::make_shared<Delivery>())
{
    m_delivery->owner = this;
    for (const TileAddress &t : missing)
        m_queue.push_back({t, 0});
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(m_options.batchMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &AreaDownload::flush);
    m_probe.setSingleShot(true);
    connect(&m_probe, &QTimer::timeout, this, [this] {
        if (m_waiting && !m_paused && m_inFlight.isEmpty())
            pump();
    });
    // Checking the bodies is the download's main CPU cost.
    m_checks.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    m_fetcher = new Fetcher(m_delivery, userAgent(), &m_checks);
    m_fetcher->moveToThread(&m_thread);
    // The fetcher, its replies and its network manager all go with the thread's last events.
    connect(&m_thread, &QThread::finished, m_fetcher, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("zeltrin-area-download"));
    m_thread.start();
    // First in the thread's queue, before the first request makes the network manager.
    QMetaObject::invokeMethod(m_fetcher, &yieldToTheScreen, Qt::QueuedConnection);
}

AreaDownload::~AreaDownload()
{
    {
        QMutexLocker lock(&m_delivery->mutex);
        m_delivery->owner = nullptr;
    }
    // The fetcher first (it hands work to the checks), then the checks: none may run on
    // once the download, or the whole process, is gone.
    m_thread.quit();
    m_thread.wait();
    m_checks.clear();
    m_checks.waitForDone();
}

QByteArray AreaDownload::userAgent()
{
    return QByteArrayLiteral("ZeltrinPilot/") + QCoreApplication::applicationVersion().toLatin1()
        + QByteArrayLiteral(" (offline map area)");
}

bool AreaDownload::isIdle() const
{
    return m_inFlight.isEmpty() && m_checking.isEmpty() && m_writing == 0;
}

void AreaDownload::addTiles(int layer, const QString &urlTemplate, const QList<TileAddress> &missing, CheckBody check)
{
    if (layer <= 0 || layer > 15)
        return;
    if (m_layers.size() <= layer)
        m_layers.resize(layer + 1);
    m_layers[layer] = {urlTemplate, std::move(check)};
    for (auto it = missing.crbegin(); it != missing.crend(); ++it)
        m_queue.push_front({*it, 0, layer});
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

void AreaDownload::abortInFlight()
{
    if (m_inFlight.isEmpty())
        return;
    QMetaObject::invokeMethod(m_fetcher, [f = m_fetcher, ids = m_inFlight.keys()] { f->abort(ids); },
                              Qt::QueuedConnection);
    m_inFlight.clear();
}

void AreaDownload::pause()
{
    if (m_paused || m_stopped)
        return;
    m_paused = true;
    m_probe.stop();
    // What is in flight is asked again on resume, first.
    for (const Pending &p : std::as_const(m_inFlight))
        m_queue.push_front(p);
    abortInFlight();
    flush();
    Q_EMIT progressed();
}

void AreaDownload::pump()
{
    if (m_paused || m_stopped)
        return;
    // While the network is gone one request at a time finds out whether it is back. Bodies
    // waiting for their check (which yields to the map) hold back new requests too, so a busy
    // screen never piles them up.
    const int limit = m_waiting ? 1 : m_options.maxConcurrent;
    const int checkLimit = 4 * m_options.maxConcurrent;
    while (int(m_inFlight.size()) < limit && int(m_checking.size()) < checkLimit && !m_queue.empty()) {
        if (m_waiting && m_probe.isActive())
            return;
        const Pending p = m_queue.front();
        m_queue.pop_front();
        const quint64 id = m_nextId++;
        m_inFlight.insert(id, p);
        m_peakInFlight = std::max(m_peakInFlight, int(m_inFlight.size()));
        const Layer &layer = m_layers[p.layer];
        QMetaObject::invokeMethod(
            m_fetcher,
            [f = m_fetcher, id, url = QUrl(expand(layer.urlTemplate, p.at)), check = layer.check] {
                f->get(id, url, check);
            },
            Qt::QueuedConnection);
    }
}

void AreaDownload::fetched(quint64 id)
{
    if (const auto it = m_inFlight.find(id); it != m_inFlight.end()) {
        m_checking.insert(id, it.value());
        m_inFlight.erase(it);
        pump();
    }
}

void AreaDownload::answered(const Result &r)
{
    if (m_stopped)
        return;
    // A reply whose request was taken back (a pause) is not the tile's any more: it went back
    // to the queue. A body already fetched is still kept, as before the pause.
    auto it = m_checking.find(r.id);
    QHash<quint64, Pending> *from = &m_checking;
    if (it == m_checking.end()) {
        it = m_inFlight.find(r.id);
        from = &m_inFlight;
        if (it == m_inFlight.end())
            return;
    }
    const Pending p = it.value();
    from->erase(it);
    if (r.unreachable) {
        // Not the tile's fault: it keeps its retries and waits at the front.
        m_queue.push_front(p);
        m_waiting = true;
        if (!m_probe.isActive())
            m_probe.start(m_options.probeMs);
        Q_EMIT progressed();
        return;
    }
    if (m_waiting) {
        m_waiting = false;
        m_probe.stop();
    }
    if (!r.ok) {
        // An error, or a body that is no image (never kept: the server may send a good one
        // next time).
        int delay = m_options.backoffMs * (1 << std::min(p.attempts, 10));
        if (r.retryAfterS > 0)
            delay = std::max(delay, std::min(r.retryAfterS * 1000, kMaxRetryAfterMs));
        retry(p, delay);
        pump();
        checkEnd();
        return;
    }
    m_batch.append({p.at, r.bytes, p.layer});
    m_batchBytes += r.bytes.size();
    if (m_batch.size() >= m_options.batchTiles)
        flush();
    else if (!m_batchTimer.isActive())
        m_batchTimer.start();
    pump();
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
    if (m_queue.empty() && m_inFlight.isEmpty() && m_checking.isEmpty() && m_retrying == 0 && m_batch.isEmpty()
        && m_writing == 0) {
        m_stopped = true;
        m_outcome = Outcome::finished;
        Q_EMIT ended();
    } else if (m_queue.empty() && m_inFlight.isEmpty() && m_checking.isEmpty() && !m_batch.isEmpty()) {
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
    abortInFlight();
    m_checking.clear();
    m_queue.clear();
    m_batch.clear();
    Q_EMIT ended();
}

} // namespace zeltrin::offline
