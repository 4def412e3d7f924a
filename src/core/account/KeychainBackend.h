#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// Where stored items physically go. Every operation is asynchronous and bounded in time: it
// reports once, on the calling thread, later or before it returns; never while the caller's
// `context` is gone. Nothing waits in a nested event loop.
class KeychainBackend
{
public:
    enum class Status { ok, notFound, unavailable, failed };
    struct ReadResult {
        Status status = Status::failed;
        QByteArray data;
    };
    using ReadDone = std::function<void(const ReadResult &)>;
    using Done = std::function<void(Status)>;

    virtual ~KeychainBackend() = default;
    virtual void startRead(const QString &account, QObject *context, ReadDone done) = 0;
    // Replaces any earlier item in one step: on failure the earlier item is still there.
    virtual void startWrite(const QString &account, const QByteArray &data, QObject *context, Done done) = 0;
    virtual void startRemove(const QString &account, QObject *context, Done done) = 0;
    // Whether the item of `account`, as last seen, lies in a weaker store than the keyring.
    virtual bool keepsInWeakerStore(const QString &account) const
    {
        Q_UNUSED(account);
        return false;
    }
};

namespace keychain {

// Runs `fn` unless `context` was given and is gone by now.
template<typename Fn>
void reportTo(const QPointer<QObject> &context, bool hadContext, Fn &&fn)
{
    if (!hadContext || context)
        fn();
}

} // namespace keychain
