#include "SecretServiceWithFallbackBackend.h"

using keychain::reportTo;

SecretServiceWithFallbackBackend::SecretServiceWithFallbackBackend(std::unique_ptr<KeychainBackend> primary,
                                                                   std::unique_ptr<ImmediateKeychainBackend> fallback)
    : m_primary(std::move(primary)), m_fallback(std::move(fallback))
{
}

void SecretServiceWithFallbackBackend::startRead(const QString &account, QObject *context, ReadDone done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    auto finish = [ctx, hadContext, done](const ReadResult &r) {
        if (done)
            reportTo(ctx, hadContext, [&] { done(r); });
    };
    m_primary->startRead(account, &m_guard, [this, account, finish](const ReadResult &r) {
        if (r.status == Status::ok) {
            // A copy left in the file store from a time without keyring goes now.
            m_fallback->remove(account);
            m_inFallback.remove(account);
            finish(r);
            return;
        }
        const ReadResult file = m_fallback->read(account);
        if (file.status != Status::ok) {
            m_inFallback.remove(account);
            // The keyring's answer counts; the file store's only where no keyring answered.
            finish(r.status == Status::unavailable ? file : r);
            return;
        }
        if (r.status != Status::notFound) {
            // No keyring, or it did not answer in time: the file item is the token for now.
            m_inFallback.insert(account);
            finish(file);
            return;
        }
        // The keyring answers and lacks it: move the token there, then drop the file item.
        m_primary->startWrite(account, file.data, &m_guard, [this, account, file, finish](Status s) {
            if (s == Status::ok) {
                m_fallback->remove(account);
                m_inFallback.remove(account);
            } else {
                m_inFallback.insert(account);
            }
            finish(file);
        });
    });
}

void SecretServiceWithFallbackBackend::startWrite(const QString &account, const QByteArray &data, QObject *context,
                                                  Done done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    m_primary->startWrite(account, data, &m_guard, [this, account, data, ctx, hadContext, done](Status s) {
        if (s == Status::unavailable) {
            s = m_fallback->write(account, data);
            if (s == Status::ok)
                m_inFallback.insert(account);
        } else if (s == Status::ok) {
            m_fallback->remove(account);
            m_inFallback.remove(account);
        }
        // A keyring that refuses or does not answer is not bypassed: the token would land in the
        // weaker store behind the pilot's back.
        if (done)
            reportTo(ctx, hadContext, [&] { done(s); });
    });
}

void SecretServiceWithFallbackBackend::startRemove(const QString &account, QObject *context, Done done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    m_primary->startRemove(account, &m_guard, [this, account, ctx, hadContext, done](Status s) {
        // Whatever the keyring says, no copy may stay in the file store.
        const Status file = m_fallback->remove(account);
        m_inFallback.remove(account);
        const Status overall = (s == Status::ok || file == Status::ok) ? Status::ok
            : (s == Status::failed || file == Status::failed)          ? Status::failed
                                                                       : Status::notFound;
        if (done)
            reportTo(ctx, hadContext, [&] { done(overall); });
    });
}
