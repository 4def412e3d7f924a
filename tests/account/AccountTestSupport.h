#pragma once

#include "KeychainHelper.h"
#include "MRVNetworkClient.h"
#include "TlsTestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace accounttest {

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
