#include "KeychainHelper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace {

// Runs one QtKeychain job and waits for it, at most `timeout`. A job that outlives the wait
// deletes itself when it finally ends; nothing of ours is referenced by then.
bool runJob(QKeychain::Job *job, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&]() {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return finished;
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

KeychainBackend::ReadResult SecretServiceBackend::read(const QString &account)
{
    if (!reachable())
        return {Status::unavailable, {}};
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    QPointer<QKeychain::ReadPasswordJob> guard(job);
    if (!runJob(job, m_timeout) || !guard)
        return {Status::failed, {}};
    const Status s = statusOf(job->error());
    return {s, s == Status::ok ? job->binaryData() : QByteArray()};
}

KeychainBackend::Status SecretServiceBackend::write(const QString &account, const QByteArray &data)
{
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
