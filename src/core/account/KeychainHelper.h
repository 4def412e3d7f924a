#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
    virtual bool keepsInWeakerStore(const QString &account) const { Q_UNUSED(account); return false; }
};

// A store that answers at once (memory, local files): its asynchronous calls report before they
// return, and the same operations can be called directly.
class ImmediateKeychainBackend : public KeychainBackend
{
public:
    virtual ReadResult read(const QString &account) = 0;
    virtual Status write(const QString &account, const QByteArray &data) = 0;
    virtual Status remove(const QString &account) = 0;

    void startRead(const QString &account, QObject *context, ReadDone done) override;
    void startWrite(const QString &account, const QByteArray &data, QObject *context, Done done) override;
    void startRemove(const QString &account, QObject *context, Done done) override;
};

// Keeps items in memory only; for tests and the screenshot tour.
class InMemoryKeychainBackend : public ImmediateKeychainBackend
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

// Asks the session bus, without blocking the calling thread, whether a keyring QtKeychain can use
// is running or can be started: the Secret Service or KWallet, each under its own bus name. An
// empty `busAddress` means the session bus. The answer is false when the bus does not answer
// within `deadline`.
namespace keyringprobe {
const QStringList &busNames();
void start(QObject *context, std::function<void(bool reachable)> done,
           std::chrono::milliseconds deadline = std::chrono::milliseconds(1500), const QString &busAddress = {});
// Whether the running Secret Service holds any item with all of `attributes` (unlocked or locked),
// asked the same way; no answer when it is not running, does not reply within `deadline`, or the
// bus has none.
void lookUp(QObject *context, const QMap<QString, QString> &attributes, std::function<void(std::optional<bool> holds)> done,
            std::chrono::milliseconds deadline = std::chrono::milliseconds(1500), const QString &busAddress = {});
// The attributes QtKeychain gives the item it keeps for `account` of `service`.
QMap<QString, QString> qtKeychainAttributes(const QString &service, const QString &account);
// Whether QtKeychain keeps its items in the Secret Service here (and not in KWallet).
bool qtKeychainUsesSecretService();
// Probes and look-ups whose worker has not ended yet (each ends shortly after its deadline).
int runningProbes();
} // namespace keyringprobe

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

// Per-user file store encrypted with AES-256-GCM: one 0600 file per item under `directory`, the
// key in a separate 0600 file. Used where no keyring answers (see docs/SECURITY.md for what this
// does and does not protect against).
class EncryptedFileBackend : public ImmediateKeychainBackend
{
public:
    EncryptedFileBackend(QString directory, QString keyFile);
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;
    bool keepsInWeakerStore(const QString &) const override { return true; }

    QString itemPath(const QString &account) const;
    static QString defaultDirectory();
    static QString defaultKeyFile();

private:
    std::optional<QByteArray> key(bool create);
    void setAsideDamagedKey();
    QString m_directory;
    QString m_keyFile;
};

// The keyring where one answers, otherwise the encrypted file store. A token is never left behind
// in the file store once the keyring holds one: reads move a file-only token into the keyring,
// writes and deletes clear the file item too.
class SecretServiceWithFallbackBackend : public KeychainBackend
{
public:
    SecretServiceWithFallbackBackend(std::unique_ptr<KeychainBackend> primary, std::unique_ptr<ImmediateKeychainBackend> fallback);
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

// Keeps the session token across launches. No operation reports failure to the pilot: a failed
// load reads as "nothing stored". Operations run one after another in the order asked, so a later
// delete is never undone by an earlier save that ends after it.
class KeychainHelper
{
public:
    enum class Key { authToken };

    // The reverse-DNS prefix of every account name; it never changes, or stored tokens are orphaned.
    static constexpr char kAccountPrefix[] = "app.zeltrin.pilot";
    static QString rawValue(Key key);
    static std::optional<Key> keyFromRaw(const QString &raw);

    explicit KeychainHelper(std::unique_ptr<KeychainBackend> backend);
    ~KeychainHelper();

    // The process-wide instance: the keyring, falling back to the encrypted file store.
    static KeychainHelper &shared();
    static std::unique_ptr<KeychainBackend> makeDefaultBackend();

    // `done` runs later or at once, unless `context` is gone; it may be empty.
    void save(const QString &value, Key key, QObject *context = nullptr, std::function<void(bool saved)> done = {});
    void load(Key key, QObject *context, std::function<void(std::optional<QString>)> done);
    void deleteItem(Key key, QObject *context = nullptr, std::function<void()> done = {});
    // The item is kept in the weaker file store because no keyring answered.
    bool isInWeakerStore(Key key) const { return m_backend->keepsInWeakerStore(rawValue(key)); }

    KeychainBackend *backend() const { return m_backend.get(); }

private:
    using Step = std::function<void(std::function<void()> next)>;
    void enqueue(Step step);
    void runNext();

    std::unique_ptr<KeychainBackend> m_backend;
    std::deque<Step> m_queue;
    bool m_running = false;
    QObject m_guard;
};
