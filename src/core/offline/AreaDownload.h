#pragma once

#include "OfflineStore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace zeltrin::offline {

// Fetches an area's missing tiles: at most `maxConcurrent` requests at a time, each failed
// tile retried with back-off, every body checked to be an image before it is kept. Tiles are
// handed on in batches (`store` writes them, on another thread, and answers). When the network
// itself is gone the download waits and probes, rather than spending the tiles' retries.
// The requests and their replies live on a thread of the download's own, so hundreds of
// replies a second cost the map's thread one small message each; the queue, the retries and
// the counts stay on the thread that owns the download.
class AreaDownload : public QObject
{
    Q_OBJECT
public:
    struct Options {
        int maxConcurrent = 6;
        int retries = 3;
        int backoffMs = 1000; // doubled on each retry
        int probeMs = 5000;   // between tries while the network is unreachable
        int batchTiles = 64;
        int batchMs = 500;
    };
    enum class Outcome { none, finished, full, storeFailed };
    // Writes a batch and calls `done(ok, full)` back on this object's thread.
    using StoreTiles = std::function<void(const QList<TileBlob> &, std::function<void(bool ok, bool full)> done)>;

    AreaDownload(QString urlTemplate, QList<TileAddress> missing, StoreTiles store, Options options,
                 QObject *parent = nullptr);
    ~AreaDownload() override;

    // Whether a fetched body is a tile worth keeping (run on a pool thread).
    using CheckBody = std::function<bool(const QByteArray &)>;
    // Another layer's tiles in the same job (asked first, they are few): their blobs carry
    // `layer`, and only bodies `check` accepts are kept. Before start().
    void addTiles(int layer, const QString &urlTemplate, const QList<TileAddress> &missing, CheckBody check);

    void start();
    // Stops asking; tiles in flight go back to the queue; what was fetched is still stored.
    void pause();
    bool isPaused() const { return m_paused; }
    bool waitingForNetwork() const { return m_waiting; }
    bool isIdle() const;

    qint64 storedCount() const { return m_stored; }
    qint64 storedBytes() const { return m_storedBytes; }
    int failureCount() const { return m_failures; }
    int peakInFlight() const { return m_peakInFlight; }
    Outcome outcome() const { return m_outcome; }

    static QByteArray userAgent();

Q_SIGNALS:
    void progressed();
    // All tiles tried and every batch written (or the store refused one: see outcome()).
    void ended();

private:
    struct Pending {
        TileAddress at;
        int attempts = 0;
        int layer = 0;
    };
    struct Layer {
        QString urlTemplate;
        CheckBody check; // empty: any image
    };
    struct Delivery;
    struct Result;
    class Fetcher;

    void pump();
    void fetched(quint64 id);
    void answered(const Result &r);
    void abortInFlight();
    void retry(Pending p, int delayMs);
    void flush();
    void checkEnd();
    void stop(Outcome outcome);

    QList<Layer> m_layers; // by layer number
    std::deque<Pending> m_queue;
    StoreTiles m_store;
    Options m_options;
    QThreadPool m_checks;
    QThread m_thread;
    Fetcher *m_fetcher = nullptr; // lives on m_thread
    quint64 m_nextId = 1;
    QHash<quint64, Pending> m_inFlight; // asked, no reply yet
    QHash<quint64, Pending> m_checking; // a body came, its check is not back yet
    QList<TileBlob> m_batch;
    qint64 m_batchBytes = 0;
    QTimer m_batchTimer;
    QTimer m_probe;
    std::shared_ptr<Delivery> m_delivery;
    int m_retrying = 0;
    int m_writing = 0;
    int m_failures = 0;
    int m_peakInFlight = 0;
    qint64 m_stored = 0;
    qint64 m_storedBytes = 0;
    bool m_paused = true;
    bool m_waiting = false;
    bool m_stopped = false;
    Outcome m_outcome = Outcome::none;
};

} // namespace zeltrin::offline
