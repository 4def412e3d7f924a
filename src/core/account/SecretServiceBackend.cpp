#include "SecretServiceBackend.h"

#include "KeyringProbe.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace {

KeychainBackend::Status statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError: return KeychainBackend::Status::ok;
    case QKeychain::EntryNotFound: return KeychainBackend::Status::notFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented: return KeychainBackend::Status::unavailable;
    default: return KeychainBackend::Status::failed;
    }
}

// Starts `job` and reports its end, or that `timeout` passed first (then with a null job). A job
// that outlives its deadline deletes itself when it finally ends, unheard.
template<typename Job>
void runJob(Job *job, QObject *guard, std::chrono::milliseconds timeout, std::function<void(Job *)> end)
{
    auto settled = std::make_shared<bool>(false);
    auto *deadline = new QTimer(guard);
    deadline->setSingleShot(true);
    QObject::connect(job, &QKeychain::Job::finished, guard, [job, settled, deadline, end]() {
        if (*settled)
            return;
        *settled = true;
        deadline->deleteLater();
        end(job);
    });
    QObject::connect(deadline, &QTimer::timeout, guard, [settled, deadline, end]() {
        if (*settled)
            return;
        *settled = true;
        deadline->deleteLater();
        end(nullptr);
    });
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    deadline->start(timeout);
    job->start();
}

// `done`, dropped once `context` (when one was given) is gone.
template<typename Fn>
Fn guardedBy(QObject *context, Fn done)
{
    if (!context)
        return done;
    return [ctx = QPointer<QObject>(context), done](const auto &...args) {
        if (ctx)
            done(args...);
    };
}

QThread *g_keychainThread = nullptr;

void stopKeychainThread()
{
    // A keyring call still in flight is dropped; a bus that never answers costs at most this.
    g_keychainThread->quit();
    g_keychainThread->wait(QDeadlineTimer(1000));
}

// The one thread every QtKeychain job runs on. Never deleted: a call to a keyring that never
// answers may keep it from ending.
QThread *keychainThread()
{
    if (!g_keychainThread) {
        g_keychainThread = new QThread;
        g_keychainThread->setObjectName(QStringLiteral("zeltrin-keychain"));
        g_keychainThread->start();
        qAddPostRoutine(stopKeychainThread);
    }
    return g_keychainThread;
}

} // namespace

// Hands an answer to the backend's own thread, unless the backend has gone.
struct SecretServiceBackend::Mailbox {
    std::mutex mutex;
    QObject *home = nullptr;
    void post(std::function<void()> fn)
    {
        const std::lock_guard lock(mutex);
        if (home)
            QMetaObject::invokeMethod(home, std::move(fn), Qt::QueuedConnection);
    }
};

// The keychain thread's side: the probe, then the jobs; everything here runs on that thread.
class SecretServiceBackend::Worker : public QObject
{
public:
    Worker(QString service, std::chrono::milliseconds timeout) : m_service(std::move(service)), m_timeout(timeout) {}

    void read(const QString &account, std::function<void(ReadResult)> done)
    {
        whenProbed([this, account, done](bool reachable) {
            if (!reachable) {
                done({Status::unavailable, {}});
                return;
            }
            if (!keyringprobe::qtKeychainUsesSecretService()) {
                readThroughQtKeychain(account, done);
                return;
            }
            // Nothing stored (every first launch) is known from one search on the bus, before
            // QtKeychain's first job loads libsecret and opens its session: the gate comes sooner.
            keyringprobe::lookUp(this, keyringprobe::qtKeychainAttributes(m_service, account), [this, account, done](std::optional<bool> holds) {
                if (holds == false)
                    done({Status::notFound, {}});
                else
                    readThroughQtKeychain(account, done);
            }, std::min<std::chrono::milliseconds>(m_timeout, std::chrono::milliseconds(1500)));
        });
    }
    void readThroughQtKeychain(const QString &account, std::function<void(ReadResult)> done)
    {
        auto *job = new QKeychain::ReadPasswordJob(m_service);
        job->setKey(account);
        runJob<QKeychain::ReadPasswordJob>(job, this, m_timeout, [done](QKeychain::ReadPasswordJob *j) {
            if (!j) {
                done({Status::failed, {}});
                return;
            }
            const Status s = statusOf(j->error());
            done({s, s == Status::ok ? j->binaryData() : QByteArray()});
        });
    }
    void write(const QString &account, const QByteArray &data, std::function<void(Status)> done)
    {
        whenProbed([this, account, data, done](bool reachable) {
            if (!reachable) {
                done(Status::unavailable);
                return;
            }
            // The keyring replaces an item with the same attributes in one step.
            auto *job = new QKeychain::WritePasswordJob(m_service);
            job->setKey(account);
            job->setBinaryData(data);
            runJob<QKeychain::WritePasswordJob>(job, this, m_timeout, [done](QKeychain::WritePasswordJob *j) {
                done(j ? statusOf(j->error()) : Status::failed);
            });
        });
    }
    void remove(const QString &account, std::function<void(Status)> done)
    {
        whenProbed([this, account, done](bool reachable) {
            if (!reachable) {
                done(Status::unavailable);
                return;
            }
            auto *job = new QKeychain::DeletePasswordJob(m_service);
            job->setKey(account);
            runJob<QKeychain::DeletePasswordJob>(job, this, m_timeout, [done](QKeychain::DeletePasswordJob *j) {
                done(j ? statusOf(j->error()) : Status::failed);
            });
        });
    }

private:
    // Runs `then` once it is known whether a keyring answers (asked once, on first use).
    void whenProbed(std::function<void(bool)> then)
    {
        if (m_reachable) {
            then(*m_reachable);
            return;
        }
        m_waiting.push_back(std::move(then));
        if (m_probing)
            return;
        m_probing = true;
        keyringprobe::start(this, [this](bool reachable) {
            m_reachable = reachable;
            m_probing = false;
            auto waiting = std::move(m_waiting);
            m_waiting.clear();
            for (auto &waiter : waiting)
                waiter(reachable);
        });
    }

    QString m_service;
    std::chrono::milliseconds m_timeout;
    std::optional<bool> m_reachable;
    bool m_probing = false;
    std::vector<std::function<void(bool)>> m_waiting;
};

SecretServiceBackend::SecretServiceBackend(QString service, std::chrono::milliseconds timeout)
    : m_worker(new Worker(std::move(service), timeout)), m_home(std::make_unique<QObject>()),
      m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->home = m_home.get();
    m_worker->moveToThread(keychainThread());
}

SecretServiceBackend::~SecretServiceBackend()
{
    {
        const std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->home = nullptr;
    }
    // Calls already queued for the worker run first; the jobs they started are then unheard.
    if (g_keychainThread && g_keychainThread->isRunning())
        m_worker->deleteLater();
    else
        delete m_worker;
}

void SecretServiceBackend::startRead(const QString &account, QObject *context, ReadDone done)
{
    auto reply = [mailbox = m_mailbox, done = guardedBy(context, std::move(done))](ReadResult r) {
        mailbox->post([done, r] { done(r); });
    };
    QMetaObject::invokeMethod(m_worker, [w = m_worker, account, reply] { w->read(account, reply); }, Qt::QueuedConnection);
}

void SecretServiceBackend::startWrite(const QString &account, const QByteArray &data, QObject *context, Done done)
{
    auto reply = [mailbox = m_mailbox, done = guardedBy(context, std::move(done))](Status s) {
        mailbox->post([done, s] { done(s); });
    };
    QMetaObject::invokeMethod(m_worker, [w = m_worker, account, data, reply] { w->write(account, data, reply); },
                              Qt::QueuedConnection);
}

void SecretServiceBackend::startRemove(const QString &account, QObject *context, Done done)
{
    auto reply = [mailbox = m_mailbox, done = guardedBy(context, std::move(done))](Status s) {
        mailbox->post([done, s] { done(s); });
    };
    QMetaObject::invokeMethod(m_worker, [w = m_worker, account, reply] { w->remove(account, reply); }, Qt::QueuedConnection);
}
