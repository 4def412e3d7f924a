#include "AccountTestSupport.h"
#include "MRVAuthManager.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"
#include "FakeDJISDK.h"

#include <QQmlComponent>
#include <QQmlEngine>

using namespace accounttest;

namespace {

constexpr auto kTokenKey = KeychainHelper::Key::authToken;

// Records the order in which the published fields are assigned.
struct Recorder {
    QStringList events;
    explicit Recorder(MRVAuthManager &m)
    {
        QObject::connect(&m, &MRVAuthManager::isAuthenticatedChanged, [this, &m]() { events << QStringLiteral("isAuthenticated=%1").arg(m.isAuthenticated()); });
        QObject::connect(&m, &MRVAuthManager::isCheckingSessionChanged, [this, &m]() { events << QStringLiteral("isCheckingSession=%1").arg(m.isCheckingSession()); });
        QObject::connect(&m, &MRVAuthManager::currentUserChanged, [this, &m]() { events << QStringLiteral("currentUser=%1").arg(m.currentUser() ? m.currentUser()->id : QStringLiteral("absent")); });
        QObject::connect(&m, &MRVAuthManager::authErrorChanged, [this, &m]() { events << QStringLiteral("authError=%1").arg(m.authError().value_or(QStringLiteral("absent"))); });
        QObject::connect(&m, &MRVAuthManager::isLoadingChanged, [this, &m]() { events << QStringLiteral("isLoading=%1").arg(m.isLoading()); });
    }
};

} // namespace

class TestAuthManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void firstLaunchNothingStored();
    void storedTokenAccepted();
    void storedTokenOutcome_data();
    void storedTokenOutcome();
    void loginSuccess();
    void loginFailureMessages_data();
    void loginFailureMessages();
    void successAfterFailureClearsError();
    void guestThenLogout();
    void logoutKeepsOldError();
    void everyAssignmentNotifies();
    void appCreatesAuthManagerFirstAndExposesIt();
    void failedSaveAfterLoginForgetsTheOldToken();
    void keptTokenStaysWithinReach();
    void skippedCheckLeavesTheTokenStored();
    void sessionInFileStoreIsTold();

private:
    QTemporaryDir m_dir;
    std::optional<TestCertificates> m_certs;
    std::unique_ptr<TlsTestServer> m_server;
    std::unique_ptr<MRVNetworkClient> m_client;
    std::unique_ptr<KeychainHelper> m_keychain;
    InMemoryKeychainBackend *m_store = nullptr;

    std::unique_ptr<MRVAuthManager> makeManager()
    {
        return std::make_unique<MRVAuthManager>(m_client.get(), m_keychain.get());
    }
    std::unique_ptr<MRVAuthManager> settledManager()
    {
        auto m = makeManager();
        if (!QTest::qWaitFor([&]() { return !m->isCheckingSession(); }, 15000))
            return nullptr;
        return m;
    }
};

void TestAuthManager::initTestCase()
{
    m_certs = TestCertificates::generate(m_dir.path());
    QVERIFY(m_certs);
}

void TestAuthManager::init()
{
    m_server = std::make_unique<TlsTestServer>(*m_certs);
    QVERIFY(m_server->listen());
    m_client = clientFor(*m_server, *m_certs, std::chrono::milliseconds(1500));
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    m_store = backend.get();
    m_keychain = std::make_unique<KeychainHelper>(std::move(backend));
}

void TestAuthManager::cleanup()
{
    m_client.reset();
    m_server.reset();
    m_keychain.reset();
}

void TestAuthManager::firstLaunchNothingStored()
{
    auto m = makeManager();
    Recorder rec(*m);
    // Scheduled, not run inline.
    QCOMPARE(m->isCheckingSession(), true);
    QCOMPARE(m->isAuthenticated(), false);
    QVERIFY(!m->currentUser());
    QVERIFY(!m->authError());
    QCOMPARE(m->isLoading(), false);
    QTRY_COMPARE(m->isCheckingSession(), false);
    QCOMPARE(rec.events, QStringList{"isCheckingSession=0"});
    QCOMPARE(m_server->requests.size(), 0);
    QCOMPARE(m->isAuthenticated(), false);
}

void TestAuthManager::storedTokenAccepted()
{
    saveNow(*m_keychain, QStringLiteral("stored-tok"));
    m_server->enqueue(ScriptedReply::json(200, kUserJson));
    auto m = makeManager();
    Recorder rec(*m);
    QTRY_COMPARE(m->isCheckingSession(), false);
    QCOMPARE(rec.events, (QStringList{"currentUser=u-1", "isAuthenticated=1", "isCheckingSession=0"}));
    QCOMPARE(m_server->requests.size(), 1);
    QCOMPARE(m_server->requests.first().method, QByteArray("GET"));
    QCOMPARE(m_server->requests.first().path, QByteArray("/v1/auth/me"));
    QCOMPARE(m_server->requests.first().header("Authorization"), QByteArray("Bearer stored-tok"));
    QCOMPARE(m->currentUser()->displayName, QStringLiteral("Pat Pilot"));
    QVERIFY(!m->authError());
}

void TestAuthManager::storedTokenOutcome_data()
{
    QTest::addColumn<int>("status"); // 0: the server stalls past the time-out
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("tokenKept");
    QTest::newRow("401 forgets") << 401 << QByteArray("{}") << false;
    QTest::newRow("403 forgets") << 403 << QByteArray("{}") << false;
    QTest::newRow("500 keeps") << 500 << QByteArray("{}") << true;
    QTest::newRow("503 keeps") << 503 << QByteArray("{}") << true;
    QTest::newRow("undecodable keeps") << 200 << QByteArray("{\"id\":1}") << true;
    QTest::newRow("time-out keeps") << 0 << QByteArray() << true;
}

void TestAuthManager::storedTokenOutcome()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, tokenKept);
    saveNow(*m_keychain, QStringLiteral("stored-tok"));
    ScriptedReply reply = ScriptedReply::json(status, body);
    reply.stall = status == 0;
    m_server->enqueue(reply);
    auto m = makeManager();
    Recorder rec(*m);
    QTRY_COMPARE_WITH_TIMEOUT(m->isCheckingSession(), false, 15000);
    QCOMPARE(rec.events, QStringList{"isCheckingSession=0"}); // signed out, no message
    QCOMPARE(m->isAuthenticated(), false);
    QVERIFY(!m->authError());
    QCOMPARE(loadNow(*m_keychain).has_value(), tokenKept);
}

void TestAuthManager::loginSuccess()
{
    auto m = settledManager();
    QVERIFY(m);
    Recorder rec(*m);
    bool tokenStoredBeforeUser = false;
    connect(m.get(), &MRVAuthManager::currentUserChanged, this,
            [&]() { tokenStoredBeforeUser = m_store->items.value(KeychainHelper::rawValue(kTokenKey)) == "tok-123"; });
    m_server->enqueue(ScriptedReply::json(200, kLoginJson));
    m->login(QStringLiteral("pilot@example.com"), QStringLiteral("pw"));
    QCOMPARE(m->isLoading(), true);
    QTRY_COMPARE(m->isLoading(), false);
    QCOMPARE(rec.events, (QStringList{"isLoading=1", "authError=absent", "currentUser=u-1", "isAuthenticated=1", "isLoading=0"}));
    QVERIFY(tokenStoredBeforeUser);
    QCOMPARE(m->displayName(), QStringLiteral("Pat Pilot"));
    QCOMPARE(m->email(), QStringLiteral("pilot@example.com"));
}

void TestAuthManager::loginFailureMessages_data()
{
    QTest::addColumn<int>("status"); // -1: nothing listens (offline)
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    QTest::newRow("401") << 401 << QByteArray("{}") << "Invalid email or password.";
    QTest::newRow("403") << 403 << QByteArray("{}") << "Session expired. Please log in again.";
    QTest::newRow("502") << 502 << QByteArray("{}") << "Server error 502";
    QTest::newRow("undecodable") << 200 << QByteArray("{\"user\":{}}") << "Login failed. Check your connection.";
    QTest::newRow("offline") << -1 << QByteArray() << "Login failed. Check your connection.";
}

void TestAuthManager::loginFailureMessages()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    auto m = settledManager();
    QVERIFY(m);
    if (status < 0) {
        MRVNetworkClient::Options o = m_client->options();
        m_server.reset(); // the port is closed now
        m_client = std::make_unique<MRVNetworkClient>(o);
        m = settledManager();
        QVERIFY(m);
    } else {
        m_server->enqueue(ScriptedReply::json(status, body));
    }
    Recorder rec(*m);
    m->login(QStringLiteral("pilot@example.com"), QStringLiteral("wrong"));
    QTRY_COMPARE_WITH_TIMEOUT(m->isLoading(), false, 15000);
    QCOMPARE(rec.events, (QStringList{"isLoading=1", "authError=absent", "authError=" + message, "isLoading=0"}));
    QCOMPARE(m->authErrorText(), message);
    QCOMPARE(m->isAuthenticated(), false);
    QVERIFY(!m->currentUser());
    QVERIFY(m_store->items.isEmpty());
}

void TestAuthManager::successAfterFailureClearsError()
{
    auto m = settledManager();
    QVERIFY(m);
    m_server->enqueue(ScriptedReply::json(401, "{}"));
    m->login(QStringLiteral("a"), QStringLiteral("b"));
    QTRY_VERIFY(m->authError().has_value());
    m_server->enqueue(ScriptedReply::json(200, kLoginJson));
    m->login(QStringLiteral("a"), QStringLiteral("c"));
    QVERIFY(!m->authError()); // cleared at the start of the attempt
    QTRY_COMPARE(m->isAuthenticated(), true);
    QVERIFY(!m->authError());
}

void TestAuthManager::guestThenLogout()
{
    auto m = settledManager();
    QVERIFY(m);
    Recorder rec(*m);
    m->continueAsGuest();
    QCOMPARE(rec.events, (QStringList{"isAuthenticated=1", "currentUser=absent"}));
    QCOMPARE(m_store->removeCount, 0);
    rec.events.clear();
    m->logout();
    QCOMPARE(m_store->removeCount, 1); // deleting nothing is harmless
    QCOMPARE(rec.events, (QStringList{"currentUser=absent", "isAuthenticated=0"}));
    QCOMPARE(m->isCheckingSession(), false);
}

void TestAuthManager::logoutKeepsOldError()
{
    auto m = settledManager();
    QVERIFY(m);
    m_server->enqueue(ScriptedReply::json(401, "{}"));
    m->login(QStringLiteral("a"), QStringLiteral("b"));
    QTRY_COMPARE(m->isLoading(), false);
    m->logout();
    QCOMPARE(m->authErrorText(), QStringLiteral("Invalid email or password."));
}

void TestAuthManager::everyAssignmentNotifies()
{
    auto m = settledManager();
    QVERIFY(m);
    QSignalSpy auth(m.get(), &MRVAuthManager::isAuthenticatedChanged);
    QSignalSpy user(m.get(), &MRVAuthManager::currentUserChanged);
    m->continueAsGuest();
    m->continueAsGuest();
    QCOMPARE(auth.size(), 2);
    QCOMPARE(user.size(), 2);
}

void TestAuthManager::appCreatesAuthManagerFirstAndExposesIt()
{
    // The store notes, when the auth manager first asks it for the token, whether the drone link
    // manager exists yet (it makes itself the SDK's delegate when created).
    struct OrderProbe : InMemoryKeychainBackend {
        const DJISDKManager *sdk = nullptr;
        std::optional<bool> droneManagerExistedAtFirstRead;
        ReadResult read(const QString &account) override
        {
            if (!droneManagerExistedAtFirstRead)
                droneManagerExistedAtFirstRead = sdk->delegate() != nullptr;
            return InMemoryKeychainBackend::read(account);
        }
    };
    auto probe = std::make_unique<OrderProbe>();
    OrderProbe *order = probe.get();
    auto sdk = std::make_unique<FakeDJISDK>();
    order->sdk = sdk.get();
    order->items.insert(KeychainHelper::rawValue(kTokenKey), "stored-tok");
    m_server->enqueue(ScriptedReply::json(200, kUserJson));
    ZeltrinPilotApp::Dependencies deps;
    deps.sdk = std::move(sdk);
    deps.keychain = std::make_unique<KeychainHelper>(std::move(probe));
    deps.accountClient = std::move(m_client);
    ZeltrinPilotApp app(std::move(deps));

    QVERIFY(app.authManager() && app.droneManager() && app.appState());
    QCOMPARE(order->droneManagerExistedAtFirstRead, std::optional<bool>(false)); // the auth manager came first
    QVERIFY(order->sdk->delegate() == app.droneManager());
    QVERIFY(app.authManager()->isCheckingSession()); // its check is under way, not finished

    QQmlEngine engine;
    zeltrin::setupEngine(engine);
    app.attachTo(engine);
    QQmlComponent c(&engine);
    c.setData(R"(import QtQuick
import Zeltrin
QtObject {
    property bool checkingAtStart
    property bool checking: App.authManager.isCheckingSession
    property bool signedIn: App.authManager.isAuthenticated
    property string name: App.authManager.currentUser ? App.authManager.currentUser.displayName : ""
    property string email: App.authManager.email
    property bool hasError: App.authManager.authError !== undefined
    property bool sameObject: App.authManager === App.authManager
    Component.onCompleted: checkingAtStart = App.authManager.isCheckingSession
    function guest() { App.authManager.continueAsGuest() }
})", QUrl());
    std::unique_ptr<QObject> o(c.create());
    QVERIFY2(o, qPrintable(c.errorString()));
    QCOMPARE(o->property("checkingAtStart").toBool(), true);
    QTRY_COMPARE(o->property("checking").toBool(), false);
    QCOMPARE(m_server->requests.size(), 1);
    QCOMPARE(app.authManager()->isAuthenticated(), true);
    QCOMPARE(o->property("signedIn").toBool(), true);
    QCOMPARE(o->property("name").toString(), QStringLiteral("Pat Pilot"));
    QCOMPARE(o->property("email").toString(), QStringLiteral("pilot@example.com"));
    QCOMPARE(o->property("hasError").toBool(), false);
    app.authManager()->logout();
    QCOMPARE(o->property("signedIn").toBool(), false);
    QCOMPARE(o->property("name").toString(), QString());
    QMetaObject::invokeMethod(o.get(), "guest");
    QCOMPARE(o->property("signedIn").toBool(), true);
    QCOMPARE(o->property("name").toString(), QString());
}

// The store keeps the earlier account's token when a new one cannot be written; it must not sign
// that account in at the next launch.
void TestAuthManager::failedSaveAfterLoginForgetsTheOldToken()
{
    m_store->items.insert(KeychainHelper::rawValue(kTokenKey), "previous-account");
    m_server->enqueue(ScriptedReply::json(401, "{}")); // the old token is refused at start-up...
    auto m = settledManager();
    QVERIFY(m);
    m_store->items.insert(KeychainHelper::rawValue(kTokenKey), "previous-account"); // ...yet here again
    m_store->failWrites = true;
    m_server->enqueue(ScriptedReply::json(200, kLoginJson));
    m->login(QStringLiteral("pilot@example.com"), QStringLiteral("pw"));
    QTRY_COMPARE(m->isLoading(), false);
    QCOMPARE(m->isAuthenticated(), true); // signed in for this run
    QVERIFY(m_store->items.isEmpty());
    QCOMPARE(m->hasStoredSession(), false);
}

// A token kept after a network failure at start-up: the gate and Settings can resume or forget it
// in every state, and the next launch tries it again.
void TestAuthManager::keptTokenStaysWithinReach()
{
    saveNow(*m_keychain, QStringLiteral("stored-tok"));
    m_server->enqueue(ScriptedReply::json(503, "{}"));
    auto m = settledManager();
    QVERIFY(m);
    QCOMPARE(m->isAuthenticated(), false);
    QCOMPARE(m->hasStoredSession(), true);

    // Guest mode keeps it; resuming signs in with it.
    m->continueAsGuest();
    QCOMPARE(m->hasStoredSession(), true);
    m_server->enqueue(ScriptedReply::json(200, kUserJson));
    m->resumeStoredSession();
    QCOMPARE(m->isLoading(), true);
    QTRY_COMPARE(m->isLoading(), false);
    QCOMPARE(m->currentUser()->email, QStringLiteral("pilot@example.com"));
    QCOMPARE(m_server->requests.last().header("Authorization"), QByteArray("Bearer stored-tok"));

    // Refused when resumed: forgotten.
    m->continueAsGuest();
    m_server->enqueue(ScriptedReply::json(401, "{}"));
    m->resumeStoredSession();
    QTRY_COMPARE(m->isLoading(), false);
    QCOMPARE(m->hasStoredSession(), false);
    QCOMPARE(loadNow(*m_keychain), std::nullopt);

    // Forgetting, from guest mode.
    saveNow(*m_keychain, QStringLiteral("stored-tok"));
    m_server->enqueue(ScriptedReply::json(503, "{}"));
    auto again = settledManager();
    QVERIFY(again);
    again->continueAsGuest();
    QSignalSpy changed(again.get(), &MRVAuthManager::storedSessionChanged);
    again->forgetStoredSession();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(again->hasStoredSession(), false);
    QCOMPARE(loadNow(*m_keychain), std::nullopt);
    QCOMPARE(again->isAuthenticated(), true); // still a guest
}

void TestAuthManager::skippedCheckLeavesTheTokenStored()
{
    saveNow(*m_keychain, QStringLiteral("stored-tok"));
    ScriptedReply late = ScriptedReply::json(200, kUserJson);
    late.delayMs = 300;
    m_server->enqueue(late);
    auto m = makeManager();
    QTRY_COMPARE(m_server->requests.size(), 1);
    Recorder rec(*m);
    m->skipSessionCheck();
    QCOMPARE(rec.events, QStringList{"isCheckingSession=0"});
    QCOMPARE(m->hasStoredSession(), true);
    m->skipSessionCheck(); // once only
    QCOMPARE(rec.events.size(), 1);
    QTest::qWait(600); // the answer comes, and is not taken
    QCOMPARE(m->isAuthenticated(), false);
    QVERIFY(!m->currentUser());
    QCOMPARE(loadNow(*m_keychain), std::optional<QString>(QStringLiteral("stored-tok")));
}

void TestAuthManager::sessionInFileStoreIsTold()
{
    struct NoKeyring : InMemoryKeychainBackend {
        ReadResult read(const QString &) override { return {Status::unavailable, {}}; }
        Status write(const QString &, const QByteArray &) override { return Status::unavailable; }
        Status remove(const QString &) override { return Status::unavailable; }
    };
    m_keychain = std::make_unique<KeychainHelper>(
        std::make_unique<SecretServiceWithFallbackBackend>(std::make_unique<NoKeyring>(), std::make_unique<InMemoryKeychainBackend>()));
    auto m = settledManager();
    QVERIFY(m);
    QCOMPARE(m->isSessionInFileStore(), false);
    m_server->enqueue(ScriptedReply::json(200, kLoginJson));
    m->login(QStringLiteral("pilot@example.com"), QStringLiteral("pw"));
    QTRY_COMPARE(m->isLoading(), false);
    QCOMPARE(m->isSessionInFileStore(), true);
    m->logout();
    QCOMPARE(m->isSessionInFileStore(), false);
}

QTEST_MAIN(TestAuthManager)
#include "tst_authmanager.moc"
