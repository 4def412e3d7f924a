#pragma once

#include "ImmediateKeychainBackend.h"
#include "KeychainBackend.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

// The keyring where one answers, otherwise the encrypted file store. A token is never left behind
// in the file store once the keyring holds one: reads move a file-only token into the keyring,
// writes and deletes clear the file item too.
class SecretServiceWithFallbackBackend : public KeychainBackend
{
public:
    SecretServiceWithFallbackBackend(std::unique_ptr<KeychainBackend> primary,
                                     std::unique_ptr<ImmediateKeychainBackend> fallback);
    void startRead(const QString &account, QObject *context, ReadDone done) override;
    void startWrite(const QString &account, const QByteArray &data, QObject *context, Done done) override;
    void startRemove(const QString &account, QObject *context, Done done) override;
    bool keepsInWeakerStore(const QString &account) const override { return m_inFallback.contains(account); }

private:
    std::unique_ptr<KeychainBackend> m_primary;
    std::unique_ptr<ImmediateKeychainBackend> m_fallback;
    QSet<QString> m_inFallback;
    QObject m_guard;
};
