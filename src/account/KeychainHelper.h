#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

// Where stored items physically go. Each call is synchronous and bounded in time.
namespace QKeychain { class ReadPasswordJob; }

class KeychainBackend
{
public:
    enum class Status { ok, notFound, unavailable, failed };
    struct ReadResult {
        Status status = Status::failed;
        QByteArray data;
    };

    virtual ~KeychainBackend() = default;
    virtual ReadResult read(const QString &account) = 0;
    // Replaces any earlier item in one step: on failure the earlier item is still there.
    virtual Status write(const QString &account, const QByteArray &data) = 0;
    virtual Status remove(const QString &account) = 0;
    // Starts reading `account` without waiting, so a slow store overlaps the caller's own work;
    // the next read of it takes that result. Stores that answer at once ignore it.
    virtual void prefetch(const QString &account) { Q_UNUSED(account); }
};

// Keeps items in memory only; for tests and the screenshot tour.
class InMemoryKeychainBackend : public KeychainBackend
{
public:
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;

    QHash<QString, QByteArray> items;
    bool failWrites = false;
    int writeCount = 0;
    int removeCount = 0;
};

// The Secret Service (through QtKeychain) with a time-out of our own: a locked keyring can wait
// for an unlock prompt forever, and the app must never hang on it.
class SecretServiceBackend : public KeychainBackend
{
public:
    explicit SecretServiceBackend(QString service, std::chrono::milliseconds timeout = std::chrono::seconds(3));
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;
    void prefetch(const QString &account) override;
    ~SecretServiceBackend() override;

private:
    bool reachable();
    void dropPending();
    QPointer<QKeychain::ReadPasswordJob> m_pending; // a prefetch, until read() takes it
    QString m_pendingAccount;
    bool m_pendingDone = false;
    QString m_service;
    std::chrono::milliseconds m_timeout;
    std::optional<bool> m_reachable; // checked once, on first use
};

// Per-user file store encrypted with AES-256-GCM: one 0600 file per item under `directory`, the
// key in a separate 0600 file. Used where no Secret Service can be reached (see docs/SECURITY.md
// for what this does and does not protect against).
class EncryptedFileBackend : public KeychainBackend
{
public:
    EncryptedFileBackend(QString directory, QString keyFile);
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;

    QString itemPath(const QString &account) const;
    static QString defaultDirectory();
    static QString defaultKeyFile();

private:
    std::optional<QByteArray> key(bool create);
    QString m_directory;
    QString m_keyFile;
};

// The Secret Service where one answers, otherwise the encrypted file store.
class SecretServiceWithFallbackBackend : public KeychainBackend
{
public:
    SecretServiceWithFallbackBackend(std::unique_ptr<KeychainBackend> primary, std::unique_ptr<KeychainBackend> fallback);
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;
    void prefetch(const QString &account) override { m_primary->prefetch(account); }

private:
    std::unique_ptr<KeychainBackend> m_primary;
    std::unique_ptr<KeychainBackend> m_fallback;
};

// Keeps the session token across launches. No operation reports failure: a failed load reads as
// "nothing stored", a failed save or delete is silent.
class KeychainHelper
{
public:
    enum class Key { authToken };

    // The reverse-DNS prefix of every account name; it never changes, or stored tokens are orphaned.
    static constexpr char kAccountPrefix[] = "app.zeltrin.pilot";
    static QString rawValue(Key key);
    static std::optional<Key> keyFromRaw(const QString &raw);

    explicit KeychainHelper(std::unique_ptr<KeychainBackend> backend);

    // The process-wide instance: the Secret Service, falling back to the encrypted file store.
    static KeychainHelper &shared();
    static std::unique_ptr<KeychainBackend> makeDefaultBackend();

    // Replaces the stored value in one step; a failed save keeps the earlier value.
    void save(const QString &value, Key key);
    std::optional<QString> load(Key key);
    void deleteItem(Key key);
    // Starts reading `key` so that the next load(key) finds it ready or under way.
    void prefetch(Key key) { m_backend->prefetch(rawValue(key)); }

    KeychainBackend *backend() const { return m_backend.get(); }

private:
    std::unique_ptr<KeychainBackend> m_backend;
};
