#include "AccountTestSupport.h"
#include "MRVAuthManager.h"

#include <QElapsedTimer>
#include "DevAccountService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

using namespace accounttest;

class TestNetworkClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void defaultsFromTheBuild();
    void loginRequestIsExact();
    void loginSendsCredentialsUnchanged();
    void userRequestIsExact_data();
    void userRequestIsExact();
    void statusMapping_data();
    void statusMapping();
    void badURL_data();
    void badURL();
    void sameOriginRedirectFollowed();
    void transferTimeoutApplies();
    void totalDeadlineEndsATricklingReply();
    void abandonedWhenOwnerGoes();
    void devServiceEndToEnd();

private:
    QTemporaryDir m_dir;
    std::optional<TestCertificates> m_certs;
    std::unique_ptr<TlsTestServer> m_server;
    std::unique_ptr<MRVNetworkClient> m_client;

    std::optional<MRVResult<MRVLoginResponse>> login(const QString &email, const QString &password)
    {
        return await<MRVLoginResponse>([&](QObject *ctx, auto cb) { m_client->login(email, password, ctx, cb); });
    }
    std::optional<MRVResult<MRVUser>> me(const QString &token)
    {
        return await<MRVUser>([&](QObject *ctx, auto cb) { m_client->fetchCurrentUser(token, ctx, cb); });
    }
};

void TestNetworkClient::initTestCase()
{
    m_certs = TestCertificates::generate(m_dir.path());
    QVERIFY(m_certs);
}

void TestNetworkClient::init()
{
    m_server = std::make_unique<TlsTestServer>(*m_certs);
    QVERIFY(m_server->listen());
    m_client = clientFor(*m_server, *m_certs);
}

void TestNetworkClient::cleanup()
{
    m_client.reset();
    m_server.reset();
}

void TestNetworkClient::defaultsFromTheBuild()
{
    MRVNetworkClient::Options o;
    QVERIFY(o.baseURL.startsWith(QLatin1String("https://")));
    QVERIFY(o.baseURL.endsWith(QLatin1String("/v1")));
    QCOMPARE(o.transferTimeout, std::chrono::milliseconds(60000));
    QCOMPARE(o.maxReplyBytes, qint64(1024 * 1024));
}

void TestNetworkClient::loginRequestIsExact()
{
    m_server->enqueue(ScriptedReply::json(200, kLoginJson));
    const auto r = login(QStringLiteral("pilot@example.com"), QStringLiteral("pw"));
    QVERIFY(r && r->ok());
    QCOMPARE(r->value().token, QStringLiteral("tok-123"));
    QCOMPARE(r->value().user.displayName, QStringLiteral("Pat Pilot"));
    QVERIFY(!r->value().user.avatarURL);

    QCOMPARE(m_server->requests.size(), 1);
    const RecordedRequest &req = m_server->requests.first();
    QCOMPARE(req.method, QByteArray("POST"));
    QCOMPARE(req.path, QByteArray("/v1/auth/login"));
    QCOMPARE(req.header("Content-Type"), QByteArray("application/json"));
    QVERIFY(!req.hasHeader("Authorization"));
    QVERIFY(!req.hasHeader("Cookie"));
    const QJsonObject body = QJsonDocument::fromJson(req.body).object();
    QCOMPARE(body.size(), 2);
    QCOMPARE(body.value(QStringLiteral("email")).toString(), QStringLiteral("pilot@example.com"));
    QCOMPARE(body.value(QStringLiteral("password")).toString(), QStringLiteral("pw"));
}

void TestNetworkClient::loginSendsCredentialsUnchanged()
{
    m_server->enqueue(ScriptedReply::json(401, "{}"));
    const QString email = QStringLiteral("  Pilot@Example.COM ");
    const QString password = QStringLiteral(" p\"w\\ ✈\n");
    const auto r = login(email, password);
    QVERIFY(r && !r->ok());
    const QJsonObject body = QJsonDocument::fromJson(m_server->requests.first().body).object();
    QCOMPARE(body.value(QStringLiteral("email")).toString(), email);
    QCOMPARE(body.value(QStringLiteral("password")).toString(), password);
}

void TestNetworkClient::userRequestIsExact_data()
{
    QTest::addColumn<QString>("token");
    QTest::newRow("token") << "abc.def-123";
    QTest::newRow("empty token still sent") << "";
}

void TestNetworkClient::userRequestIsExact()
{
    QFETCH(QString, token);
    m_server->enqueue(ScriptedReply::json(200, kUserJson));
    const auto r = me(token);
    QVERIFY(r && r->ok());
    QCOMPARE(r->value().email, QStringLiteral("pilot@example.com"));
    const RecordedRequest &req = m_server->requests.first();
    QCOMPARE(req.method, QByteArray("GET"));
    QCOMPARE(req.path, QByteArray("/v1/auth/me"));
    // The server trims the header value; compare the raw form for the non-empty case.
    QCOMPARE(req.header("Authorization"), ("Bearer " + token.toUtf8()).trimmed());
    QVERIFY(!req.hasHeader("Content-Type"));
    QVERIFY(req.body.isEmpty());
}

void TestNetworkClient::statusMapping_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description");
    for (const char *ep : {"login", "me"}) {
        QTest::addRow("%s 401", ep) << ep << 401 << "api" << "Invalid email or password.";
        QTest::addRow("%s 403", ep) << ep << 403 << "api" << "Session expired. Please log in again.";
        QTest::addRow("%s 500", ep) << ep << 500 << "api" << "Server error 500";
        QTest::addRow("%s 400", ep) << ep << 400 << "api" << "Server error 400";
        QTest::addRow("%s 418", ep) << ep << 418 << "api" << "Server error 418";
        QTest::addRow("%s 204", ep) << ep << 204 << "decoding" << "";
    }
}

void TestNetworkClient::statusMapping()
{
    QFETCH(QString, endpoint);
    QFETCH(int, status);
    QFETCH(QString, kind);
    QFETCH(QString, description);
    m_server->enqueue(ScriptedReply::json(status, status == 204 ? QByteArray() : kLoginJson));
    std::optional<MRVError> error;
    if (endpoint == QLatin1String("login")) {
        const auto r = login(QStringLiteral("a"), QStringLiteral("b"));
        QVERIFY(r && !r->ok());
        error = r->error();
    } else {
        const auto r = me(QStringLiteral("t"));
        QVERIFY(r && !r->ok());
        error = r->error();
    }
    QCOMPARE(errorKind(*error), kind);
    if (kind == QLatin1String("api"))
        QCOMPARE(std::get<MRVAPIError>(*error).description(), description);
}

void TestNetworkClient::badURL_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("space in host") << "https://acc ounts.example/v1";
    QTest::newRow("not a url") << "::::";
    QTest::newRow("plain http refused") << "http://127.0.0.1:1/v1";
}

void TestNetworkClient::badURL()
{
    QFETCH(QString, base);
    MRVNetworkClient::Options o;
    o.baseURL = base;
    MRVNetworkClient client(o);
    const auto r = await<MRVLoginResponse>([&](QObject *ctx, auto cb) { client.login(QStringLiteral("a"), QStringLiteral("b"), ctx, cb); });
    QVERIFY(r && !r->ok());
    QCOMPARE(std::get<MRVAPIError>(r->error()).description(), QStringLiteral("Bad URL"));
    QCOMPARE(std::get<MRVAPIError>(r->error()).kind(), MRVAPIError::Kind::serverError);
}

void TestNetworkClient::sameOriginRedirectFollowed()
{
    ScriptedReply redirect;
    redirect.status = 302;
    redirect.headers.append({"Location", (m_server->origin() + QStringLiteral("/v1/auth/me2")).toUtf8()});
    m_server->enqueue(redirect);
    m_server->enqueue(ScriptedReply::json(200, kUserJson));
    const auto r = me(QStringLiteral("t"));
    QVERIFY(r && r->ok());
    QCOMPARE(m_server->requests.size(), 2);
    QCOMPARE(m_server->requests.at(1).path, QByteArray("/v1/auth/me2"));
}

void TestNetworkClient::transferTimeoutApplies()
{
    // Roomy enough for a TLS handshake under the sanitizers; the stall below still runs past it.
    m_client = clientFor(*m_server, *m_certs, std::chrono::milliseconds(2000));
    ScriptedReply late = ScriptedReply::json(200, kUserJson);
    late.delayMs = 100; // inside the time-out: answered
    m_server->enqueue(late);
    auto r = me(QStringLiteral("t"));
    QVERIFY(r && r->ok());
    ScriptedReply stall;
    stall.stall = true;
    m_server->enqueue(stall);
    r = me(QStringLiteral("t"));
    QVERIFY(r && !r->ok());
    QCOMPARE(errorKind(r->error()), QStringLiteral("transport"));
}

// A server that sends a byte every 50 ms is never silent for the 2 s silence limit; the total
// deadline still ends the request.
void TestNetworkClient::totalDeadlineEndsATricklingReply()
{
    MRVNetworkClient::Options o;
    o.baseURL = m_server->baseURL();
    o.extraCaCertificates = {m_certs->ca};
    o.transferTimeout = std::chrono::milliseconds(2000);
    o.totalTimeout = std::chrono::milliseconds(1200);
    m_client = std::make_unique<MRVNetworkClient>(o);
    ScriptedReply trickle = ScriptedReply::json(200, QByteArray(4000, ' ') + kUserJson);
    trickle.trickleMs = 50;
    m_server->enqueue(trickle);
    QElapsedTimer t;
    t.start();
    auto r = me(QStringLiteral("t"));
    QVERIFY(r && !r->ok());
    QCOMPARE(errorKind(r->error()), QStringLiteral("transport"));
    QCOMPARE(std::get<MRVTransportError>(r->error()).code, QNetworkReply::TimeoutError);
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed()))); // not the 200 s it would trickle
    QCOMPARE(MRVAuthManager::loginErrorMessage(r->error()), QStringLiteral("Login failed. Check your connection."));
}

void TestNetworkClient::abandonedWhenOwnerGoes()
{
    ScriptedReply stall;
    stall.stall = true;
    m_server->enqueue(stall);
    bool called = false;
    {
        QObject owner;
        m_client->fetchCurrentUser(QStringLiteral("t"), &owner, [&called](const MRVResult<MRVUser> &) { called = true; });
        QTRY_COMPARE(m_server->requests.size(), 1);
    }
    QTest::qWait(50);
    QVERIFY(!called);
}

void TestNetworkClient::devServiceEndToEnd()
{
    DevAccountService service;
    service.serve(*m_server);
    auto bad = login(QLatin1String(DevAccountService::kDemoEmail), QStringLiteral("wrong"));
    QVERIFY(bad && !bad->ok());
    QCOMPARE(std::get<MRVAPIError>(bad->error()).kind(), MRVAPIError::Kind::invalidCredentials);

    auto ok = login(QLatin1String(DevAccountService::kDemoEmail), QLatin1String(DevAccountService::kDemoPassword));
    QVERIFY(ok && ok->ok());
    QCOMPARE(ok->value().user.displayName, QStringLiteral("Demo Pilot")); // sent as display_name
    auto user = me(ok->value().token);
    QVERIFY(user && user->ok());
    QCOMPARE(user->value().email, QLatin1String(DevAccountService::kDemoEmail));
    auto refused = me(QStringLiteral("forged"));
    QVERIFY(refused && !refused->ok());
    QCOMPARE(std::get<MRVAPIError>(refused->error()).kind(), MRVAPIError::Kind::invalidCredentials);
}

QTEST_GUILESS_MAIN(TestNetworkClient)
#include "tst_networkclient.moc"
