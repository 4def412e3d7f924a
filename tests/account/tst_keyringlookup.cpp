// The bus search that answers "nothing stored" before QtKeychain loads: it must see exactly what
// QtKeychain keeps in a real keyring, or a stored session would be lost at every launch.
#include "AccountTestSupport.h"
#include "KeyringProbe.h"
#include "SecretServiceBackend.h"

#include <QDBusConnection>
#include <QTest>

using accounttest::PrivateBus;

namespace {

// A service of its own: other tests use the app's items in the same keyring at the same time.
const QString kService = QStringLiteral("app.zeltrin.pilot.lookup-test");
const QString kToken = KeychainHelper::rawValue(KeychainHelper::Key::authToken);
const QString kOther = QStringLiteral("app.zeltrin.pilot.lookupOther");

std::optional<bool> lookUpNow(const QString &account, const QString &busAddress = {})
{
    QObject context;
    std::optional<std::optional<bool>> answer;
    keyringprobe::lookUp(&context, keyringprobe::qtKeychainAttributes(kService, account),
                         [&](std::optional<bool> holds) { answer = holds; }, std::chrono::milliseconds(3000), busAddress);
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, 10000);
    return answer.value_or(std::nullopt);
}

KeychainBackend::Status writeNow(KeychainBackend &store, const QString &account, const QByteArray &data)
{
    std::optional<KeychainBackend::Status> s;
    store.startWrite(account, data, nullptr, [&](KeychainBackend::Status r) { s = r; });
    (void)QTest::qWaitFor([&] { return s.has_value(); }, 10000);
    return s.value_or(KeychainBackend::Status::failed);
}

KeychainBackend::Status removeNow(KeychainBackend &store, const QString &account)
{
    std::optional<KeychainBackend::Status> s;
    store.startRemove(account, nullptr, [&](KeychainBackend::Status r) { s = r; });
    (void)QTest::qWaitFor([&] { return s.has_value(); }, 10000);
    return s.value_or(KeychainBackend::Status::failed);
}

KeychainBackend::ReadResult readNow(KeychainBackend &store, const QString &account)
{
    std::optional<KeychainBackend::ReadResult> r;
    store.startRead(account, nullptr, [&](const KeychainBackend::ReadResult &res) { r = res; });
    (void)QTest::qWaitFor([&] { return r.has_value(); }, 10000);
    return r.value_or(KeychainBackend::ReadResult{KeychainBackend::Status::failed, {}});
}

} // namespace

class TestKeyringLookUp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Written and removed through QtKeychain, searched on the bus, then read the app's way.
    void seesWhatQtKeychainStores_data()
    {
        QTest::addColumn<QString>("stored"); // empty: nothing
        QTest::addColumn<bool>("removedAgain");
        QTest::addColumn<bool>("holds");
        QTest::newRow("nothing stored") << QString() << false << false;
        QTest::newRow("the token stored") << kToken << false << true;
        QTest::newRow("stored, then removed") << kToken << true << false;
        QTest::newRow("only another item stored") << kOther << false << false;
    }
    void seesWhatQtKeychainStores()
    {
        QFETCH(QString, stored);
        QFETCH(bool, removedAgain);
        QFETCH(bool, holds);
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || !keyringprobe::qtKeychainUsesSecretService())
            QSKIP("needs a session bus with a Secret Service (scripts/run-tests.sh starts one)");
        SecretServiceBackend store(kService);
        for (const QString &account : {kToken, kOther})
            QVERIFY(removeNow(store, account) != KeychainBackend::Status::failed);
        const QByteArray secret = "token-\xE2\x9C\x88-for-lookup";
        if (!stored.isEmpty())
            QCOMPARE(writeNow(store, stored, secret), KeychainBackend::Status::ok);
        if (removedAgain)
            QCOMPARE(removeNow(store, stored), KeychainBackend::Status::ok);

        const std::optional<bool> found = lookUpNow(kToken);
        QVERIFY2(found == holds, !found ? "no answer" : *found ? "the search found the item" : "the search found nothing");
        const KeychainBackend::ReadResult read = readNow(store, kToken);
        QCOMPARE(read.status, holds ? KeychainBackend::Status::ok : KeychainBackend::Status::notFound);
        QCOMPARE(read.data, holds ? secret : QByteArray());
        removeNow(store, kToken);
        removeNow(store, kOther);
    }

    // Whatever cannot answer the search gives no answer, so the read goes on through QtKeychain.
    void noAnswerWithoutASecretService_data()
    {
        QTest::addColumn<QString>("owned"); // the bus name someone holds, without the service's object
        QTest::newRow("nothing on the bus") << QString();
        QTest::newRow("the name held, no service behind it") << "org.freedesktop.secrets";
    }
    void noAnswerWithoutASecretService()
    {
        QFETCH(QString, owned);
        PrivateBus bus;
        if (!bus.start())
            QSKIP("dbus-daemon could not be started");
        const QString conn = QStringLiteral("lookup-owner-%1").arg(QTest::currentDataTag());
        {
            QDBusConnection owner = QDBusConnection::connectToBus(bus.address, conn);
            QVERIFY(owner.isConnected());
            if (!owned.isEmpty())
                QVERIFY(owner.registerService(owned));
            QCOMPARE(lookUpNow(kToken, bus.address), std::nullopt);
        }
        QDBusConnection::disconnectFromBus(conn);
        QTRY_COMPARE_WITH_TIMEOUT(keyringprobe::runningProbes(), 0, 5000);
    }

    // QtKeychain keeps its items in KWallet on a KDE desktop: there the search must not be trusted.
    void keyringChosenAsQtKeychainDoes_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("secretService");
        QTest::newRow("no desktop") << QByteArray() << QByteArray() << true;
        QTest::newRow("GNOME") << QByteArray("XDG_CURRENT_DESKTOP") << QByteArray("GNOME") << true;
        QTest::newRow("XFCE") << QByteArray("XDG_CURRENT_DESKTOP") << QByteArray("XFCE") << true;
        QTest::newRow("KDE") << QByteArray("XDG_CURRENT_DESKTOP") << QByteArray("KDE") << false;
        QTest::newRow("KDE after another") << QByteArray("XDG_CURRENT_DESKTOP") << QByteArray("ubuntu:KDE") << false;
        QTest::newRow("plasma session") << QByteArray("DESKTOP_SESSION") << QByteArray("plasmawayland") << false;
        QTest::newRow("kde session") << QByteArray("DESKTOP_SESSION") << QByteArray("kde-plasma") << false;
        QTest::newRow("full KDE session") << QByteArray("KDE_FULL_SESSION") << QByteArray("true") << false;
    }
    void keyringChosenAsQtKeychainDoes()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        QFETCH(bool, secretService);
        const QByteArrayList vars{"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"};
        QHash<QByteArray, QByteArray> saved;
        for (const QByteArray &v : vars) {
            if (qEnvironmentVariableIsSet(v.constData()))
                saved.insert(v, qgetenv(v.constData()));
            qunsetenv(v.constData());
        }
        if (!variable.isEmpty())
            qputenv(variable.constData(), value);
        const bool got = keyringprobe::qtKeychainUsesSecretService();
        for (const QByteArray &v : vars) {
            qunsetenv(v.constData());
            if (saved.contains(v))
                qputenv(v.constData(), saved.value(v));
        }
        QCOMPARE(got, secretService);
    }
};

QTEST_GUILESS_MAIN(TestKeyringLookUp)
#include "tst_keyringlookup.moc"
