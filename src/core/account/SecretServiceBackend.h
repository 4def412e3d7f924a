#pragma once

#include "KeychainBackend.h"

#include <chrono>
#include <memory>

// The keyring (through QtKeychain) with a deadline of our own on every call: a locked keyring can
// wait for an unlock prompt forever, and the app must never hang on it. The probe and every
// QtKeychain job run on one keychain thread for the whole process (QtKeychain's job queue belongs
// to the first thread that uses it), so the first read goes ahead while the window is built;
// answers come back on the thread that made the backend.
class SecretServiceBackend : public KeychainBackend
{
public:
    explicit SecretServiceBackend(QString service, std::chrono::milliseconds timeout = std::chrono::seconds(3));
    ~SecretServiceBackend() override;
    void startRead(const QString &account, QObject *context, ReadDone done) override;
    void startWrite(const QString &account, const QByteArray &data, QObject *context, Done done) override;
    void startRemove(const QString &account, QObject *context, Done done) override;

    class Worker;
    struct Mailbox;

private:
    Worker *m_worker; // lives on the keychain thread
    std::unique_ptr<QObject> m_home;
    std::shared_ptr<Mailbox> m_mailbox;
};
