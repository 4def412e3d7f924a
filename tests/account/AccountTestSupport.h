#pragma once

// The keychain with its stores, the account service client and the TLS server the tests use.
#include "EncryptedFileBackend.h"
#include "InMemoryKeychainBackend.h"
#include "KeychainHelper.h"
#include "KeyringProbe.h"
#include "MRVNetworkClient.h"
#include "SecretServiceBackend.h"
#include "SecretServiceWithFallbackBackend.h"
#include "TlsTestServer.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace accounttest {

// A private bus with nothing on it but what the test puts there.
struct PrivateBus {
    QTemporaryDir dir;
    QProcess daemon;
    QString address;
    bool start()
    {
        QFile conf(dir.path() + QStringLiteral("/bus.conf"));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                   "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>session</type>"
                   "<listen>unix:dir=" + QFile::encodeName(dir.path()) + "</listen>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        conf.close();
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + conf.fileName(),
                                                       QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!daemon.waitForStarted(5000))
            return false;
        if (!QTest::qWaitFor([&] { return daemon.canReadLine(); }, 5000))
            return false;
        address = QString::fromUtf8(daemon.readLine().trimmed());
        return !address.isEmpty();
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished(3000);
    }
};

// A client that trusts only the system's CAs plus the test CA, for `server`.
inline std::unique_ptr<MRVNetworkClient> clientFor(const TlsTestServer &server, const TestCertificates &certs,
                                                   std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    MRVNetworkClient::Options o;
    o.baseURL = server.baseURL();
    o.extraCaCertificates = {certs.ca};
    o.transferTimeout = timeout;
    return std::make_unique<MRVNetworkClient>(o);
}

// Waits for a callback-style result, bounded so a hang fails the test instead of stalling it.
template <typename T>
std::optional<MRVResult<T>> await(const std::function<void(QObject *, std::function<void(const MRVResult<T> &)>)> &start,
                                  int timeoutMs = 15000)
{
    QObject context;
    std::optional<MRVResult<T>> result;
    start(&context, [&result](const MRVResult<T> &r) { result = r; });
    (void)QTest::qWaitFor([&]() { return result.has_value(); }, timeoutMs);
    return result;
}

// The token store's asynchronous calls, waited for (a test may spin the event loop; the app never does).
inline std::optional<QString> loadNow(KeychainHelper &helper, KeychainHelper::Key key = KeychainHelper::Key::authToken)
{
    QObject context;
    bool done = false;
    std::optional<QString> value;
    helper.load(key, &context, [&](const std::optional<QString> &v) { value = v; done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 15000))
        qFatal("token store load never ended");
    return value;
}

inline bool saveNow(KeychainHelper &helper, const QString &value, KeychainHelper::Key key = KeychainHelper::Key::authToken)
{
    QObject context;
    std::optional<bool> saved;
    helper.save(value, key, &context, [&](bool ok) { saved = ok; });
    if (!QTest::qWaitFor([&] { return saved.has_value(); }, 15000))
        qFatal("token store save never ended");
    return *saved;
}

inline void deleteNow(KeychainHelper &helper, KeychainHelper::Key key = KeychainHelper::Key::authToken)
{
    QObject context;
    bool done = false;
    helper.deleteItem(key, &context, [&] { done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 15000))
        qFatal("token store delete never ended");
}

// The two stores the token can live in: the encrypted file store in a folder of the test's own,
// and the real Secret Service.
struct Stores {
    QTemporaryDir dir;
    QString itemsDir() const { return dir.path() + QStringLiteral("/data/store"); }
    QString keyFile() const { return dir.path() + QStringLiteral("/config/store.key"); }
    std::unique_ptr<EncryptedFileBackend> file() const
    {
        return std::make_unique<EncryptedFileBackend>(itemsDir(), keyFile());
    }
    static std::unique_ptr<SecretServiceBackend> keyring()
    {
        return std::make_unique<SecretServiceBackend>(QString::fromLatin1(KeychainHelper::kAccountPrefix));
    }
    // What the real keyring holds for the token, asked directly.
    static KeychainBackend::ReadResult inKeyring()
    {
        auto k = keyring();
        std::optional<KeychainBackend::ReadResult> r;
        k->startRead(KeychainHelper::rawValue(KeychainHelper::Key::authToken), nullptr,
                     [&](const auto &res) { r = res; });
        (void)QTest::qWaitFor([&] { return r.has_value(); }, 10000);
        return r.value_or(KeychainBackend::ReadResult{});
    }
};

inline QString errorKind(const MRVError &e)
{
    if (std::holds_alternative<MRVAPIError>(e))
        return QStringLiteral("api");
    if (std::holds_alternative<MRVTransportError>(e))
        return QStringLiteral("transport");
    return QStringLiteral("decoding");
}

inline const QByteArray kUserJson = R"({"id":"u-1","email":"pilot@example.com","displayName":"Pat Pilot","avatarURL":null})";
inline const QByteArray kLoginJson = R"({"token":"tok-123","user":)" + kUserJson + "}";

} // namespace accounttest
