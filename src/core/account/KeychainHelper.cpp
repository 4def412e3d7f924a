#include "KeychainHelper.h"

#include <QStringDecoder>

namespace {

// Runs `fn` unless `context` was given and is gone by now.
template<typename Fn>
void reportTo(const QPointer<QObject> &context, bool hadContext, Fn &&fn)
{
    if (!hadContext || context)
        fn();
}

} // namespace

void ImmediateKeychainBackend::startRead(const QString &account, QObject *context, ReadDone done)
{
    const ReadResult r = read(account);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(r); });
}

void ImmediateKeychainBackend::startWrite(const QString &account, const QByteArray &data, QObject *context, Done done)
{
    const Status s = write(account, data);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(s); });
}

void ImmediateKeychainBackend::startRemove(const QString &account, QObject *context, Done done)
{
    const Status s = remove(account);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(s); });
}

KeychainBackend::ReadResult InMemoryKeychainBackend::read(const QString &account)
{
    const auto it = items.constFind(account);
    if (it == items.constEnd())
        return {Status::notFound, {}};
    return {Status::ok, *it};
}

KeychainBackend::Status InMemoryKeychainBackend::write(const QString &account, const QByteArray &data)
{
    ++writeCount;
    if (failWrites)
        return Status::failed;
    items.insert(account, data);
    return Status::ok;
}

KeychainBackend::Status InMemoryKeychainBackend::remove(const QString &account)
{
    ++removeCount;
    return items.remove(account) ? Status::ok : Status::notFound;
}

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

void SecretServiceWithFallbackBackend::startWrite(const QString &account, const QByteArray &data, QObject *context, Done done)
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
            : (s == Status::failed || file == Status::failed)           ? Status::failed
                                                                         : Status::notFound;
        if (done)
            reportTo(ctx, hadContext, [&] { done(overall); });
    });
}

QString KeychainHelper::rawValue(Key key)
{
    switch (key) {
    case Key::authToken: return QLatin1String(kAccountPrefix) + QStringLiteral(".authToken");
    }
    return {};
}

std::optional<KeychainHelper::Key> KeychainHelper::keyFromRaw(const QString &raw)
{
    if (raw == rawValue(Key::authToken))
        return Key::authToken;
    return std::nullopt;
}

KeychainHelper::KeychainHelper(std::unique_ptr<KeychainBackend> backend) : m_backend(std::move(backend))
{
    if (!m_backend)
        m_backend = makeDefaultBackend();
}

KeychainHelper::~KeychainHelper() = default;

KeychainHelper &KeychainHelper::shared()
{
    static KeychainHelper instance(makeDefaultBackend());
    return instance;
}

std::unique_ptr<KeychainBackend> KeychainHelper::makeDefaultBackend()
{
    return std::make_unique<SecretServiceWithFallbackBackend>(
        std::make_unique<SecretServiceBackend>(QLatin1String(kAccountPrefix)),
        std::make_unique<EncryptedFileBackend>(EncryptedFileBackend::defaultDirectory(),
                                               EncryptedFileBackend::defaultKeyFile()));
}

void KeychainHelper::enqueue(Step step)
{
    m_queue.push_back(std::move(step));
    if (!m_running)
        runNext();
}

void KeychainHelper::runNext()
{
    if (m_queue.empty()) {
        m_running = false;
        return;
    }
    m_running = true;
    Step step = std::move(m_queue.front());
    m_queue.pop_front();
    // `next` may run before step() returns (stores that answer at once), or much later.
    step([this] { runNext(); });
}

void KeychainHelper::save(const QString &value, Key key, QObject *context, std::function<void(bool)> done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    const QByteArray bytes = value.toUtf8();
    enqueue([this, key, bytes, ctx, hadContext, done](std::function<void()> next) {
        // One replacing write rather than delete-then-add: the store keeps the earlier token if the
        // write fails, and the caller decides what then.
        m_backend->startWrite(rawValue(key), bytes, &m_guard, [ctx, hadContext, done, next](KeychainBackend::Status s) {
            if (done)
                reportTo(ctx, hadContext, [&] { done(s == KeychainBackend::Status::ok); });
            next();
        });
    });
}

void KeychainHelper::load(Key key, QObject *context, std::function<void(std::optional<QString>)> done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    enqueue([this, key, ctx, hadContext, done](std::function<void()> next) {
        m_backend->startRead(rawValue(key), &m_guard, [ctx, hadContext, done, next](const KeychainBackend::ReadResult &r) {
            std::optional<QString> text;
            if (r.status == KeychainBackend::Status::ok) {
                QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
                QString decoded = decoder.decode(r.data);
                if (!decoder.hasError())
                    text = std::move(decoded);
            }
            if (done)
                reportTo(ctx, hadContext, [&] { done(text); });
            next();
        });
    });
}

void KeychainHelper::deleteItem(Key key, QObject *context, std::function<void()> done)
{
    const QPointer<QObject> ctx(context);
    const bool hadContext = context != nullptr;
    enqueue([this, key, ctx, hadContext, done](std::function<void()> next) {
        m_backend->startRemove(rawValue(key), &m_guard, [ctx, hadContext, done, next](KeychainBackend::Status) {
            if (done)
                reportTo(ctx, hadContext, [&] { done(); });
            next();
        });
    });
}
