#include "InMemoryKeychainBackend.h"
#include "KeychainHelper.h"
#include "LoginModel.h"
#include "TlsTestServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Harness {
    QTemporaryDir dir;
    std::optional<TestCertificates> certs = TestCertificates::generate(dir.path());
    TlsTestServer server{*certs};
    std::unique_ptr<MRVNetworkClient> client;
    KeychainHelper keychain{std::make_unique<InMemoryKeychainBackend>()};
    std::unique_ptr<MRVAuthManager> auth;
    LoginModel login;

    Harness()
    {
        server.listen();
        MRVNetworkClient::Options o;
        o.baseURL = server.baseURL();
        o.extraCaCertificates = {certs->ca};
        client = std::make_unique<MRVNetworkClient>(o);
        auth = std::make_unique<MRVAuthManager>(client.get(), &keychain);
        (void)QTest::qWaitFor([&] { return !auth->isCheckingSession(); }, 5000);
        login.setAuth(auth.get());
    }
    bool waitIdle() { return QTest::qWaitFor([&] { return !auth->isLoading(); }, 10000); }
};

} // namespace

class TestLoginModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonRule_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("loading");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both filled") << "a@b.c" << "pw" << false << true;
        QTest::newRow("no e-mail") << "" << "pw" << false << false;
        QTest::newRow("no password") << "a@b.c" << "" << false << false;
        QTest::newRow("both empty") << "" << "" << false << false;
        QTest::newRow("blank counts as text") << " " << " " << false << true;
        QTest::newRow("request in flight") << "a@b.c" << "pw" << true << false;
    }
    void buttonRule()
    {
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(bool, loading);
        QFETCH(bool, enabled);
        Harness h;
        h.server.enqueue(ScriptedReply{.stall = true});
        h.login.setEmail(email);
        h.login.setPassword(password);
        if (loading) {
            h.login.submitPassword();
            QVERIFY(h.auth->isLoading());
            QVERIFY(QTest::qWaitFor([&] { return h.server.requests.size() == 1; }, 5000));
        }
        QCOMPARE(h.login.canSignIn(), enabled);
        // The disabled button starts nothing.
        const qsizetype before = h.server.requests.size();
        if (!enabled) {
            h.login.signIn();
            QTest::qWait(100);
            QCOMPARE(h.server.requests.size(), before);
        }
    }

    // Return in the password field signs in unchecked: with empty fields, and again while the
    // first request is still in flight.
    void keyboardPathIsUnchecked()
    {
        Harness h;
        h.server.enqueue(ScriptedReply{.stall = true});
        h.server.enqueue(ScriptedReply::json(401, "{}"));
        h.login.submitPassword();
        QVERIFY(QTest::qWaitFor([&] { return h.server.requests.size() == 1; }, 5000));
        QVERIFY(h.auth->isLoading());
        h.login.signIn(); // the button is disabled meanwhile
        h.login.submitPassword();
        QVERIFY(QTest::qWaitFor([&] { return h.server.requests.size() == 2; }, 5000));
        const auto body = QJsonDocument::fromJson(h.server.requests.first().body).object();
        QCOMPARE(body.value(QStringLiteral("email")).toString(), QString());
        QCOMPARE(body.value(QStringLiteral("password")).toString(), QString());
    }

    void fieldsAreSentExactlyAsTyped()
    {
        Harness h;
        h.server.enqueue(ScriptedReply::json(401, "{}"));
        h.login.setEmail(QStringLiteral("  Pilot@Example.COM "));
        h.login.setPassword(QStringLiteral(" Secret "));
        h.login.signIn();
        QVERIFY(QTest::qWaitFor([&] { return h.server.requests.size() == 1; }, 5000));
        QVERIFY(h.waitIdle());
        const auto body = QJsonDocument::fromJson(h.server.requests.first().body).object();
        QCOMPARE(body.value(QStringLiteral("email")).toString(), QStringLiteral("  Pilot@Example.COM "));
        QCOMPARE(body.value(QStringLiteral("password")).toString(), QStringLiteral(" Secret "));
        QVERIFY(h.login.hasError());
        QCOMPARE(h.login.errorText(), QStringLiteral("Invalid email or password."));
        QVERIFY(h.login.canSignIn()); // enabled again after the failure
    }

    // A reopened sheet starts with empty fields but still shows the old message.
    void reopenedSheetKeepsOldError()
    {
        Harness h;
        h.server.enqueue(ScriptedReply::json(500, "{}"));
        h.login.setEmail(QStringLiteral("a@b.c"));
        h.login.setPassword(QStringLiteral("pw"));
        h.login.signIn();
        QVERIFY(QTest::qWaitFor([&] { return h.login.hasError(); }, 10000));
        LoginModel reopened;
        reopened.setAuth(h.auth.get());
        QCOMPARE(reopened.email(), QString());
        QCOMPARE(reopened.password(), QString());
        QCOMPARE(reopened.errorText(), QStringLiteral("Server error 500"));
    }

    void returnInEmailMovesFocus()
    {
        Harness h;
        QCOMPARE(h.login.focused(), -1);
        h.login.submitEmail();
        QCOMPARE(h.login.focused(), 1);
        QCOMPARE(h.server.requests.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLoginModel)
#include "tst_loginmodel.moc"
