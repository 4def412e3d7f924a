#include "KeychainHelper.h"

#include <QStringDecoder>

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
                                                                   std::unique_ptr<KeychainBackend> fallback)
    : m_primary(std::move(primary)), m_fallback(std::move(fallback))
{
}

KeychainBackend::ReadResult SecretServiceWithFallbackBackend::read(const QString &account)
{
    ReadResult r = m_primary->read(account);
    return r.status == Status::unavailable ? m_fallback->read(account) : r;
}

KeychainBackend::Status SecretServiceWithFallbackBackend::write(const QString &account, const QByteArray &data)
{
    const Status s = m_primary->write(account, data);
    return s == Status::unavailable ? m_fallback->write(account, data) : s;
}

KeychainBackend::Status SecretServiceWithFallbackBackend::remove(const QString &account)
{
    const Status s = m_primary->remove(account);
    return s == Status::unavailable ? m_fallback->remove(account) : s;
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

void KeychainHelper::save(const QString &value, Key key)
{
    // One replacing write rather than delete-then-add: if the write fails, the earlier token
    // stays and the pilot is not signed out by a storage hiccup.
    m_backend->write(rawValue(key), value.toUtf8());
}

std::optional<QString> KeychainHelper::load(Key key)
{
    const KeychainBackend::ReadResult r = m_backend->read(rawValue(key));
    if (r.status != KeychainBackend::Status::ok)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(r.data);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void KeychainHelper::deleteItem(Key key)
{
    m_backend->remove(rawValue(key));
}
