#include "KeychainHelper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace {

// Waits for a started QtKeychain job, at most `timeout`; `finished` says whether it has already
// ended. A job that outlives the wait deletes itself when it finally ends; nothing of ours is
// referenced by then.
bool waitForJob(QKeychain::Job *job, std::chrono::milliseconds timeout, bool finished)
{
    if (finished)
        return true;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&]() {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return finished;
}

// Runs one QtKeychain job and waits for it, at most `timeout`.
bool runJob(QKeychain::Job *job, std::chrono::milliseconds timeout)
{
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, job, [&finished] { finished = true; });
    job->start();
    const bool done = waitForJob(job, timeout, finished);
    if (!done)
        QObject::disconnect(job, &QKeychain::Job::finished, job, nullptr); // `finished` goes with us
    return done;
}

QKeychain::ReadPasswordJob *makeReadJob(const QString &service, const QString &account)
{
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    return job;
}

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

// Whether a Secret Service can be reached at all: a session bus with the service running or
// startable on demand. Without one, QtKeychain only reports a generic error.
bool secretServiceReachable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString name = QStringLiteral("org.freedesktop.secrets");
    if (bus.interface()->isServiceRegistered(name).value())
        return true;
    return bus.interface()->activatableServiceNames().value().contains(name);
}

} // namespace

bool SecretServiceBackend::reachable()
{
    if (!m_reachable)
        m_reachable = secretServiceReachable();
    return *m_reachable;
}

SecretServiceBackend::SecretServiceBackend(QString service, std::chrono::milliseconds timeout)
    : m_service(std::move(service)), m_timeout(timeout)
{
}

SecretServiceBackend::~SecretServiceBackend()
{
    dropPending();
}

// A prefetch nobody will take: it deletes itself once it ends, unheard.
void SecretServiceBackend::dropPending()
{
    if (!m_pending)
        return;
    QObject::disconnect(m_pending, &QKeychain::Job::finished, m_pending, nullptr);
    if (m_pendingDone)
        m_pending->deleteLater();
    else
        m_pending->setAutoDelete(true);
    m_pending = nullptr;
}

void SecretServiceBackend::prefetch(const QString &account)
{
    if (m_pending || !reachable())
        return;
    m_pending = makeReadJob(m_service, account);
    m_pendingAccount = account;
    m_pendingDone = false;
    // Kept alive past its end until read() takes its result.
    m_pending->setAutoDelete(false);
    QObject::connect(m_pending, &QKeychain::Job::finished, m_pending, [this] { m_pendingDone = true; });
    m_pending->start();
}

KeychainBackend::ReadResult SecretServiceBackend::read(const QString &account)
{
    if (!reachable())
        return {Status::unavailable, {}};
    QPointer<QKeychain::ReadPasswordJob> guard;
    if (m_pending && m_pendingAccount == account) {
        guard = m_pending;
        m_pending = nullptr;
        QObject::disconnect(guard, &QKeychain::Job::finished, guard, nullptr);
        const bool done = waitForJob(guard, m_timeout, m_pendingDone) && guard;
        if (!done) {
            if (guard)
                guard->setAutoDelete(true); // goes when it finally ends
            return {Status::failed, {}};
        }
        guard->deleteLater();
    } else {
        auto *job = makeReadJob(m_service, account);
        guard = job;
        if (!runJob(job, m_timeout) || !guard)
            return {Status::failed, {}};
    }
    QKeychain::ReadPasswordJob *job = guard;
    if (!job)
        return {Status::failed, {}};
    const Status s = statusOf(job->error());
    return {s, s == Status::ok ? job->binaryData() : QByteArray()};
}

KeychainBackend::Status SecretServiceBackend::write(const QString &account, const QByteArray &data)
{
    dropPending(); // its value is about to be out of date
    if (!reachable())
        return Status::unavailable;
    // The Secret Service replaces an item with the same attributes in one step.
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    job->setBinaryData(data);
    QPointer<QKeychain::WritePasswordJob> guard(job);
    if (!runJob(job, m_timeout) || !guard)
        return Status::failed;
    return statusOf(job->error());
}

KeychainBackend::Status SecretServiceBackend::remove(const QString &account)
{
    dropPending();
    if (!reachable())
        return Status::unavailable;
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    QPointer<QKeychain::DeletePasswordJob> guard(job);
    if (!runJob(job, m_timeout) || !guard)
        return Status::failed;
    return statusOf(job->error());
}
