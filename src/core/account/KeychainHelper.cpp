#include "KeychainHelper.h"

#include "EncryptedFileBackend.h"
#include "SecretServiceBackend.h"
#include "SecretServiceWithFallbackBackend.h"

#include <QPointer>
#include <QStringDecoder>

using keychain::reportTo;

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
