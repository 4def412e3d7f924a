#include "KeyringProbe.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::atomic<int> g_runningProbes{0};
std::atomic<int> g_probeSerial{0};

// The session bus's address as D-Bus itself finds it, short of autolaunching one.
QString sessionBusAddress()
{
    const QString fromEnv = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists())
        return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    return {};
}

// Runs `fn(call)` on a private connection to the bus at `address`, if it registers. The
// connection is opened as a peer and registered with our own "Hello": QDBusConnection::connectToBus
// sends that call with D-Bus's default time-out of about 25 s on Qt's shared D-Bus thread, so a
// bus that accepts and never answers would hold that thread, and the process's exit behind it,
// for as long. This way every call has `callTimeoutMs` and the worker ends soon after a deadline.
template<typename R, typename Fn>
R onOwnConnection(const QString &address, int callTimeoutMs, R otherwise, Fn fn)
{
    if (address.isEmpty())
        return otherwise;
    const QString connName = QStringLiteral("zeltrin-keyring-probe-%1").arg(g_probeSerial.fetch_add(1));
    R result = otherwise;
    {
        QDBusConnection bus = QDBusConnection::connectToPeer(address, connName);
        auto call = [&](const QString &service, const QString &path, const QString &interface, const char *method,
                        const QVariantList &args, bool autoStart = true) {
            QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, QLatin1String(method));
            m.setArguments(args);
            m.setAutoStartService(autoStart);
            return bus.call(m, QDBus::Block, callTimeoutMs);
        };
        auto busCall = [&](const char *method, const QVariantList &args) {
            const QString dbus = QStringLiteral("org.freedesktop.DBus");
            return call(dbus, QStringLiteral("/org/freedesktop/DBus"), dbus, method, args);
        };
        if (bus.isConnected() && busCall("Hello", {}).type() == QDBusMessage::ReplyMessage)
            result = fn(busCall, call);
    }
    QDBusConnection::disconnectFromPeer(connName);
    return result;
}

// The blocking part of the probe, on a thread of its own.
bool probeBlocking(const QString &address, const QStringList &names, int callTimeoutMs)
{
    return onOwnConnection(address, callTimeoutMs, false, [&](auto busCall, auto) {
        for (const QString &n : names) {
            const QDBusMessage r = busCall("NameHasOwner", {n});
            if (r.type() == QDBusMessage::ReplyMessage && r.arguments().value(0).toBool())
                return true;
            if (r.type() == QDBusMessage::ErrorMessage
                && r.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
                return false; // a bus that stalls once stalls again
        }
        const QDBusMessage r = busCall("ListActivatableNames", {});
        const QStringList activatable = r.type() == QDBusMessage::ReplyMessage ? r.arguments().value(0).toStringList()
                                                                               : QStringList();
        return std::any_of(names.begin(), names.end(), [&](const QString &n) { return activatable.contains(n); });
    });
}

// Whether the running Secret Service holds any item with `attributes`, unlocked or locked; no
// answer when it is not running or does not reply. Item search needs no session and no secret.
std::optional<bool> holdsBlocking(const QString &address, const QMap<QString, QString> &attributes, int callTimeoutMs)
{
    return onOwnConnection(address, callTimeoutMs, std::optional<bool>(), [&](auto, auto call) -> std::optional<bool> {
        const QString secrets = QStringLiteral("org.freedesktop.secrets");
        const QDBusMessage r = call(secrets, QStringLiteral("/org/freedesktop/secrets"),
                                    QStringLiteral("org.freedesktop.Secret.Service"), "SearchItems",
                                    {QVariant::fromValue(attributes)}, false);
        const QVariantList found = r.arguments();
        if (r.type() != QDBusMessage::ReplyMessage || found.size() != 2)
            return std::nullopt;
        const auto paths = [](const QVariant &v) { return qdbus_cast<QList<QDBusObjectPath>>(v); };
        return !paths(found[0]).isEmpty() || !paths(found[1]).isEmpty();
    });
}

// Hands the worker's answer to the asking thread; the worker stops posting once it is gone.
struct ProbeShared {
    std::mutex mutex;
    QObject *receiver = nullptr;
};

class ProbeReceiver : public QObject
{
public:
    using Answer = std::optional<bool>;
    ProbeReceiver(std::shared_ptr<ProbeShared> shared, std::function<void(Answer)> done, QObject *parent)
        : QObject(parent), m_shared(std::move(shared)), m_done(std::move(done))
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = this;
    }
    ~ProbeReceiver() override
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = nullptr;
    }
    void finish(Answer answer)
    {
        if (m_settled)
            return;
        m_settled = true;
        auto done = std::move(m_done);
        deleteLater();
        done(answer);
    }

private:
    std::shared_ptr<ProbeShared> m_shared;
    std::function<void(Answer)> m_done;
    bool m_settled = false;
};

} // namespace

namespace keyringprobe {

const QStringList &busNames()
{
    // QtKeychain speaks to either: the Secret Service (GNOME Keyring, KeePassXC) or KWallet.
    static const QStringList names{QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd6"),
                                   QStringLiteral("org.kde.kwalletd5")};
    return names;
}

int runningProbes()
{
    return g_runningProbes.load();
}

// Runs `work` (blocking, given each call's time-out) on a detached thread and hands its answer to
// `context`'s thread; no answer once `deadline` has passed.
void askOnOwnThread(QObject *context, std::function<void(std::optional<bool>)> done, std::chrono::milliseconds deadline,
                    std::function<std::optional<bool>(int callTimeoutMs)> work)
{
    auto shared = std::make_shared<ProbeShared>();
    auto *receiver = new ProbeReceiver(shared, std::move(done), context);
    QTimer::singleShot(deadline, receiver, [receiver] { receiver->finish(std::nullopt); });
    // Each call gets a share of the deadline, so the worker is done shortly after it.
    const int callTimeout = std::max(50, int(deadline.count() / 3));
    ++g_runningProbes;
    // Detached, and it touches nothing but what it owns: quitting never waits for it.
    std::thread([shared, work = std::move(work), callTimeout] {
        const std::optional<bool> answer = work(callTimeout);
        {
            const std::lock_guard lock(shared->mutex);
            if (auto *r = static_cast<ProbeReceiver *>(shared->receiver))
                QMetaObject::invokeMethod(
                    r, [r, answer] { r->finish(answer); }, Qt::QueuedConnection);
        }
        --g_runningProbes;
    }).detach();
}

void start(QObject *context, std::function<void(bool)> done, std::chrono::milliseconds deadline,
           const QString &busAddress)
{
    const QString address = busAddress.isEmpty() ? sessionBusAddress() : busAddress;
    askOnOwnThread(
        context, [done = std::move(done)](std::optional<bool> a) { done(a.value_or(false)); }, deadline,
        [address, names = busNames()](int callTimeout) {
            return std::optional<bool>(probeBlocking(address, names, callTimeout));
        });
}

void lookUp(QObject *context, const QMap<QString, QString> &attributes, std::function<void(std::optional<bool>)> done,
            std::chrono::milliseconds deadline, const QString &busAddress)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<QMap<QString, QString>>();
        return true;
    }();
    Q_UNUSED(registered);
    const QString address = busAddress.isEmpty() ? sessionBusAddress() : busAddress;
    askOnOwnThread(context, std::move(done), deadline,
                   [address, attributes](int callTimeout) { return holdsBlocking(address, attributes, callTimeout); });
}

QMap<QString, QString> qtKeychainAttributes(const QString &service, const QString &account)
{
    // What QtKeychain's own look-up matches on; it also stores a "type" attribute.
    return {{QStringLiteral("user"), account}, {QStringLiteral("server"), service}};
}

bool qtKeychainUsesSecretService()
{
    // QtKeychain picks KWallet on a KDE desktop, the Secret Service elsewhere.
    const auto has = [](const char *var, const char *what) {
        return qEnvironmentVariable(var).contains(QLatin1String(what), Qt::CaseInsensitive);
    };
    return !has("XDG_CURRENT_DESKTOP", "KDE") && !has("DESKTOP_SESSION", "kde") && !has("DESKTOP_SESSION", "plasma")
        && qEnvironmentVariableIsEmpty("KDE_FULL_SESSION");
}

} // namespace keyringprobe
