#include "KeychainHelper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

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

std::atomic<int> g_runningProbes{0};
std::atomic<int> g_probeSerial{0};

// The session bus's address as D-Bus itself finds it, short of autolaunching one.
QString sessionBusAddress()
{
    const QString fromEnv = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists())
        return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    return {};
}

// The blocking part of the probe, on a thread of its own. The connection is opened as a peer
// and registered with our own "Hello": QDBusConnection::connectToBus sends that call with D-Bus's
// default time-out of about 25 s on Qt's shared D-Bus thread, so a bus that accepts and never
// answers would hold that thread, and the process's exit behind it, for as long. This way every
// call has `callTimeoutMs` and the worker ends soon after the deadline.
bool probeBlocking(const QString &address, const QStringList &names, int callTimeoutMs)
{
    if (address.isEmpty())
        return false;
    const QString connName = QStringLiteral("zeltrin-keyring-probe-%1").arg(g_probeSerial.fetch_add(1));
    bool found = false;
    {
        QDBusConnection bus = QDBusConnection::connectToPeer(address, connName);
        auto busCall = [&](const char *method, const QVariantList &args) {
            QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                            QStringLiteral("org.freedesktop.DBus"), QLatin1String(method));
            m.setArguments(args);
            return bus.call(m, QDBus::Block, callTimeoutMs);
        };
        const bool registered = bus.isConnected() && busCall("Hello", {}).type() == QDBusMessage::ReplyMessage;
        if (registered) {
            for (const QString &n : names) {
                const QDBusMessage r = busCall("NameHasOwner", {n});
                if (r.type() == QDBusMessage::ReplyMessage && r.arguments().value(0).toBool()) {
                    found = true;
                    break;
                }
                if (r.type() == QDBusMessage::ErrorMessage && r.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
                    break; // a bus that stalls once stalls again
            }
            if (!found) {
                const QDBusMessage r = busCall("ListActivatableNames", {});
                const QStringList activatable = r.type() == QDBusMessage::ReplyMessage ? r.arguments().value(0).toStringList() : QStringList();
                for (const QString &n : names)
                    found = found || activatable.contains(n);
            }
        }
    }
    QDBusConnection::disconnectFromPeer(connName);
    return found;
}

// Hands the worker's answer to the asking thread; the worker stops posting once it is gone.
struct ProbeShared {
    std::mutex mutex;
    QObject *receiver = nullptr;
};

class ProbeReceiver : public QObject
{
public:
    ProbeReceiver(std::shared_ptr<ProbeShared> shared, std::function<void(bool)> done, QObject *parent)
        : QObject(parent), m_shared(std::move(shared)), m_done(std::move(done))
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = this;
    }
    ~ProbeReceiver() override
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = nullptr;
    }
    void finish(bool reachable)
    {
        if (m_settled)
            return;
        m_settled = true;
        auto done = std::move(m_done);
        deleteLater();
        done(reachable);
    }

private:
    std::shared_ptr<ProbeShared> m_shared;
    std::function<void(bool)> m_done;
    bool m_settled = false;
};

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

} // namespace

namespace keyringprobe {

const QStringList &busNames()
{
    // QtKeychain speaks to either: the Secret Service (GNOME Keyring, KeePassXC) or KWallet.
    static const QStringList names{QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd6"),
                                   QStringLiteral("org.kde.kwalletd5")};
    return names;
}

int runningProbes()
{
    return g_runningProbes.load();
}

void start(QObject *context, std::function<void(bool)> done, std::chrono::milliseconds deadline, const QString &busAddress)
{
    auto shared = std::make_shared<ProbeShared>();
    auto *receiver = new ProbeReceiver(shared, std::move(done), context);
    QTimer::singleShot(deadline, receiver, [receiver] { receiver->finish(false); });
    // Each call gets a share of the deadline, so the worker is done shortly after it.
    const int callTimeout = std::max(50, int(deadline.count() / 3));
    const QString address = busAddress.isEmpty() ? sessionBusAddress() : busAddress;
    ++g_runningProbes;
    // Detached, and it touches nothing but what it owns: quitting never waits for it.
    std::thread([shared, address, names = busNames(), callTimeout] {
        const bool reachable = probeBlocking(address, names, callTimeout);
        {
            const std::lock_guard lock(shared->mutex);
            if (auto *r = static_cast<ProbeReceiver *>(shared->receiver))
                QMetaObject::invokeMethod(r, [r, reachable] { r->finish(reachable); }, Qt::QueuedConnection);
        }
        --g_runningProbes;
    }).detach();
}

} // namespace keyringprobe

namespace {

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
