#pragma once

#include "KeychainBackend.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

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
