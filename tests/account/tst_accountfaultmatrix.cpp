// Every way the account service can misbehave, through the client and the auth manager: each
// gives the right kind of failure and message, never a crash or a hang, and the stored token
// survives unless the service refused it.
#include "AccountTestSupport.h"
#include "MRVAuthManager.h"

using namespace accounttest;

namespace {

enum class Fault { scripted, untrustedCA, offline };

// Short, so a stalled server is caught quickly; the product uses 60 s.
constexpr std::chrono::milliseconds kTimeout(2000); // room for a TLS handshake under the sanitizers

QByteArray nested(int depth)
{
    return QByteArray(depth, '[') + QByteArray(depth, ']');
}

} // namespace

Q_DECLARE_METATYPE(ScriptedReply)
Q_DECLARE_METATYPE(Fault)

class TestAccountFaultMatrix : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void faults_data();
    void faults();

private:
    QTemporaryDir m_dir;
    std::optional<TestCertificates> m_certs;
};

void TestAccountFaultMatrix::initTestCase()
{
    m_certs = TestCertificates::generate(m_dir.path());
    QVERIFY(m_certs);
}

void TestAccountFaultMatrix::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QString>("kind");      // api, transport or decoding
    QTest::addColumn<QString>("authError"); // what a failed sign-in shows
    QTest::addColumn<bool>("tokenKept");    // after a start-up check that met the same fault

    const QString connection = QStringLiteral("Login failed. Check your connection.");
    auto row = [](const char *name, ScriptedReply r, const char *kind, const QString &msg, bool kept,
                  Fault f = Fault::scripted) {
        QTest::newRow(name) << f << r << QString::fromLatin1(kind) << msg << kept;
    };
    auto json = [](int status, const QByteArray &body) { return ScriptedReply::json(status, body); };

    row("200 garbage", json(200, QByteArrayLiteral("\x00\xff<html>not json</html>")), "decoding", connection, true);
    row("200 truncated body", json(200, kLoginJson.left(kLoginJson.size() / 2)), "decoding", connection, true);
    row("200 wrong types", json(200, R"({"token":123,"user":{"id":7,"email":true,"displayName":[]}})"), "decoding", connection, true);
    row("200 missing token", json(200, R"({"user":{"id":"u","email":"e","displayName":"d"},"email":1})"), "decoding", connection, true);
    row("200 10 MB body", json(200, "{\"token\":\"" + QByteArray(10 * 1024 * 1024, 'a') + "\"}"), "transport", connection, true);
    row("200 nested 10000 deep", json(200, nested(10000)), "decoding", connection, true);
    {
        ScriptedReply r = json(204, {});
        row("204", r, "decoding", connection, true);
    }
    row("299", json(299, "<ok/>"), "decoding", connection, true);
    {
        ScriptedReply r;
        r.status = 301;
        r.headers.append({QByteArrayLiteral("Location"), QByteArrayLiteral("http://127.0.0.1:9/v1/auth/login")});
        row("301 to http", r, "transport", connection, true);
    }
    row("401", json(401, R"({"error":"nope"})"), "api", QStringLiteral("Invalid email or password."), false);
    row("403", json(403, "{}"), "api", QStringLiteral("Session expired. Please log in again."), false);
    row("404", json(404, "{}"), "api", QStringLiteral("Server error 404"), true);
    row("500", json(500, "{}"), "api", QStringLiteral("Server error 500"), true);
    row("503", json(503, "{}"), "api", QStringLiteral("Server error 503"), true);
    {
        ScriptedReply r;
        r.stall = true;
        row("stall past the time-out", r, "transport", connection, true);
    }
    {
        ScriptedReply r;
        r.reset = true;
        row("connection reset", r, "transport", connection, true);
    }
    {
        ScriptedReply r = json(200, kLoginJson);
        r.closeAfterBodyBytes = 10;
        row("closed mid-reply", r, "transport", connection, true);
    }
    row("untrusted CA", json(200, kLoginJson), "transport", connection, true, Fault::untrustedCA);
    row("nothing listening", json(200, kLoginJson), "transport", connection, true, Fault::offline);
}

void TestAccountFaultMatrix::faults()
{
    QFETCH(Fault, fault);
    QFETCH(ScriptedReply, reply);
    QFETCH(QString, kind);
    QFETCH(QString, authError);
    QFETCH(bool, tokenKept);

    TlsTestServer server(*m_certs);
    QVERIFY(server.listen());
    // The same fault answers every request (the HTTP stack retries a reset connection itself).
    server.setHandler([reply](const RecordedRequest &) { return reply; });

    MRVNetworkClient::Options o;
    o.baseURL = server.baseURL();
    o.transferTimeout = kTimeout;
    if (fault != Fault::untrustedCA)
        o.extraCaCertificates = {m_certs->ca};
    else
        o.extraCaCertificates = {};
    if (fault == Fault::offline) {
        TlsTestServer closed(*m_certs);
        QVERIFY(closed.listen());
        o.baseURL = closed.baseURL(); // the port is free again once `closed` is gone
    }
    MRVNetworkClient client(o);

    // The client's own verdict.
    const auto direct = await<MRVLoginResponse>(
        [&](QObject *ctx, auto cb) { client.login(QStringLiteral("p@x.y"), QStringLiteral("pw"), ctx, cb); });
    QVERIFY2(direct, "no answer: the client hung");
    QVERIFY(!direct->ok());
    QCOMPARE(errorKind(direct->error()), kind);

    // A sign-in through the auth manager.
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    auto *store = backend.get();
    KeychainHelper keychain(std::move(backend));
    {
        MRVAuthManager manager(&client, &keychain);
        QTRY_COMPARE(manager.isCheckingSession(), false);
        manager.login(QStringLiteral("p@x.y"), QStringLiteral("pw"));
        QTRY_COMPARE_WITH_TIMEOUT(manager.isLoading(), false, 15000);
        QCOMPARE(manager.authErrorText(), authError);
        QCOMPARE(manager.isAuthenticated(), false);
        QVERIFY(store->items.isEmpty());
    }

    // A start-up check with a stored token that meets the same fault.
    keychain.save(QStringLiteral("stored-token"), KeychainHelper::Key::authToken);
    MRVAuthManager restarted(&client, &keychain);
    QTRY_COMPARE_WITH_TIMEOUT(restarted.isCheckingSession(), false, 15000);
    QCOMPARE(restarted.isAuthenticated(), false);
    QVERIFY(!restarted.authError());
    QCOMPARE(loadNow(keychain).has_value(), tokenKept);
    QCOMPARE(restarted.hasStoredSession(), tokenKept);
}

QTEST_GUILESS_MAIN(TestAccountFaultMatrix)
#include "tst_accountfaultmatrix.moc"
