// The token store as the app uses it: one account's value saved, loaded and deleted through
// the helper over the real Secret Service, the encrypted file store and the keyring with the
// file store behind it, in the order asked.
#include "AccountTestSupport.h"
#include "KeychainHelper.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using accounttest::deleteNow;
using accounttest::loadNow;
using accounttest::saveNow;
using accounttest::Stores;

namespace {

std::unique_ptr<KeychainBackend> makeBackend(const QString &kind, const QString &dir)
{
    if (kind == QLatin1String("secret-service"))
        return std::make_unique<SecretServiceBackend>(QString::fromLatin1(KeychainHelper::kAccountPrefix));
    return std::make_unique<EncryptedFileBackend>(dir + QStringLiteral("/data/store"), dir + QStringLiteral("/config/store.key"));
}

// A keyring that always gives the same answer.
struct FixedKeyring : InMemoryKeychainBackend {
    Status forced;
    explicit FixedKeyring(Status st) : forced(st) {}
    ReadResult read(const QString &) override { return {forced, {}}; }
    Status write(const QString &, const QByteArray &) override { return forced; }
    Status remove(const QString &) override { return forced; }
};

bool haveBus()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

const QString kTokenAccount = KeychainHelper::rawValue(KeychainHelper::Key::authToken);

} // namespace

class TestKeychainHelper : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accountName();
    void edgeCases_data();
    void edgeCases();
    void failedSaveKeepsPreviousToken();
    void invalidUtf8ReadsAsAbsent();
    void fallbackUsedOnlyWhenSecretServiceUnavailable();
    void fileOnlyTokenMovesIntoKeyring();
    void deleteClearsEveryStore_data();
    void deleteClearsEveryStore();
    void operationsRunInTheOrderAsked_data();
    void operationsRunInTheOrderAsked();
};

void TestKeychainHelper::accountName()
{
    QCOMPARE(KeychainHelper::rawValue(KeychainHelper::Key::authToken), QStringLiteral("app.zeltrin.pilot.authToken"));
    QCOMPARE(KeychainHelper::keyFromRaw(QStringLiteral("app.zeltrin.pilot.authToken")), KeychainHelper::Key::authToken);
    QCOMPARE(KeychainHelper::keyFromRaw(QStringLiteral("authToken")), std::nullopt);
}

void TestKeychainHelper::edgeCases_data()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("secret-service") << "secret-service";
    QTest::newRow("encrypted-file") << "encrypted-file";
}

// Runs the same cases against the real Secret Service (scripts/run-tests.sh provides one) and the
// encrypted file store.
void TestKeychainHelper::edgeCases()
{
    QFETCH(QString, backend);
    if (backend == QLatin1String("secret-service") && qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("No session bus: run through scripts/run-tests.sh for the Secret Service cases");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    KeychainHelper helper(makeBackend(backend, dir.path()));
    const auto key = KeychainHelper::Key::authToken;

    deleteNow(helper, key); // delete of nothing is harmless
    deleteNow(helper, key);
    QCOMPARE(loadNow(helper, key), std::nullopt);

    saveNow(helper, QString(), key);
    QCOMPARE(loadNow(helper, key), std::optional<QString>(QString())); // empty text is present, not absent

    const QString nonAscii = QStringLiteral("tök€n-✈-\U0001F681-\uFEFF-日本");
    saveNow(helper, nonAscii, key);
    QCOMPARE(loadNow(helper, key), std::optional<QString>(nonAscii));

    saveNow(helper, QStringLiteral("second"), key);
    QCOMPARE(loadNow(helper, key), std::optional<QString>(QStringLiteral("second")));

    // A second helper on the same store sees the same item (it survives the object).
    KeychainHelper again(makeBackend(backend, dir.path()));
    QCOMPARE(loadNow(again, key), std::optional<QString>(QStringLiteral("second")));

    deleteNow(helper, key);
    QCOMPARE(loadNow(helper, key), std::nullopt);
    QCOMPARE(loadNow(again, key), std::nullopt);
}

void TestKeychainHelper::failedSaveKeepsPreviousToken()
{
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    auto *mem = backend.get();
    KeychainHelper helper(std::move(backend));
    QVERIFY(saveNow(helper, QStringLiteral("old")));
    mem->failWrites = true;
    QVERIFY(!saveNow(helper, QStringLiteral("new"))); // reported, so the caller can drop "old"
    QCOMPARE(mem->removeCount, 0); // no delete-before-add
    QCOMPARE(loadNow(helper), std::optional<QString>(QStringLiteral("old")));
}

void TestKeychainHelper::invalidUtf8ReadsAsAbsent()
{
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    backend->items.insert(KeychainHelper::rawValue(KeychainHelper::Key::authToken), QByteArray("\xff\xfe\xc3", 3));
    KeychainHelper helper(std::move(backend));
    QCOMPARE(loadNow(helper, KeychainHelper::Key::authToken), std::nullopt);
}

void TestKeychainHelper::fallbackUsedOnlyWhenSecretServiceUnavailable()
{
    auto fallback = std::make_unique<InMemoryKeychainBackend>();
    auto *fb = fallback.get();
    KeychainHelper unavailable(std::make_unique<SecretServiceWithFallbackBackend>(
        std::make_unique<FixedKeyring>(KeychainBackend::Status::unavailable), std::move(fallback)));
    QVERIFY(saveNow(unavailable, QStringLiteral("v")));
    QCOMPARE(fb->items.value(kTokenAccount), QByteArray("v"));
    QCOMPARE(loadNow(unavailable), std::optional<QString>(QStringLiteral("v")));
    QVERIFY(unavailable.isInWeakerStore(KeychainHelper::Key::authToken));
    deleteNow(unavailable);
    QVERIFY(fb->items.isEmpty());
    QVERIFY(!unavailable.isInWeakerStore(KeychainHelper::Key::authToken));

    auto fallback2 = std::make_unique<InMemoryKeychainBackend>();
    auto *fb2 = fallback2.get();
    KeychainHelper failing(std::make_unique<SecretServiceWithFallbackBackend>(
        std::make_unique<FixedKeyring>(KeychainBackend::Status::failed), std::move(fallback2)));
    QVERIFY(!saveNow(failing, QStringLiteral("v")));
    QVERIFY(fb2->items.isEmpty()); // a refusing keyring is not bypassed
    QVERIFY(!failing.isInWeakerStore(KeychainHelper::Key::authToken));
}

// A token sealed in the file store while no keyring answered moves into the keyring as soon as
// one does, and the file item goes: nothing stays on disk to outlive a later sign-out.
void TestKeychainHelper::fileOnlyTokenMovesIntoKeyring()
{
    if (!haveBus())
        QSKIP("No session bus: run through scripts/run-tests.sh for the Secret Service cases");
    Stores st;
    QCOMPARE(st.file()->write(kTokenAccount, "sealed-earlier"), KeychainBackend::Status::ok);
    KeychainHelper helper(std::make_unique<SecretServiceWithFallbackBackend>(Stores::keyring(), st.file()));
    deleteNow(helper); // start from an empty keyring...
    QCOMPARE(st.file()->write(kTokenAccount, "sealed-earlier"), KeychainBackend::Status::ok); // ...and a file item

    QCOMPARE(loadNow(helper), std::optional<QString>(QStringLiteral("sealed-earlier")));
    QCOMPARE(Stores::inKeyring().data, QByteArray("sealed-earlier"));
    QVERIFY(!QFileInfo::exists(st.file()->itemPath(kTokenAccount)));
    QVERIFY(!helper.isInWeakerStore(KeychainHelper::Key::authToken));

    // A stale file copy beside a keyring item goes at the next read, and at a save.
    QCOMPARE(st.file()->write(kTokenAccount, "stale"), KeychainBackend::Status::ok);
    QCOMPARE(loadNow(helper), std::optional<QString>(QStringLiteral("sealed-earlier")));
    QVERIFY(!QFileInfo::exists(st.file()->itemPath(kTokenAccount)));
    QCOMPARE(st.file()->write(kTokenAccount, "stale"), KeychainBackend::Status::ok);
    QVERIFY(saveNow(helper, QStringLiteral("fresh")));
    QVERIFY(!QFileInfo::exists(st.file()->itemPath(kTokenAccount)));
    QCOMPARE(Stores::inKeyring().data, QByteArray("fresh"));
    deleteNow(helper);
}

void TestKeychainHelper::deleteClearsEveryStore_data()
{
    QTest::addColumn<bool>("inKeyring");
    QTest::addColumn<bool>("inFile");
    QTest::newRow("keyring only") << true << false;
    QTest::newRow("file only") << false << true;
    QTest::newRow("both") << true << true;
    QTest::newRow("neither") << false << false;
}

void TestKeychainHelper::deleteClearsEveryStore()
{
    QFETCH(bool, inKeyring);
    QFETCH(bool, inFile);
    if (!haveBus())
        QSKIP("No session bus: run through scripts/run-tests.sh for the Secret Service cases");
    Stores st;
    KeychainHelper keyringOnly(Stores::keyring());
    if (inKeyring)
        QVERIFY(saveNow(keyringOnly, QStringLiteral("in-keyring")));
    else
        deleteNow(keyringOnly);
    if (inFile)
        QCOMPARE(st.file()->write(kTokenAccount, "in-file"), KeychainBackend::Status::ok);

    KeychainHelper helper(std::make_unique<SecretServiceWithFallbackBackend>(Stores::keyring(), st.file()));
    deleteNow(helper);
    QCOMPARE(Stores::inKeyring().status, KeychainBackend::Status::notFound);
    QVERIFY(!QFileInfo::exists(st.file()->itemPath(kTokenAccount)));
    QCOMPARE(loadNow(helper), std::nullopt);
}

void TestKeychainHelper::operationsRunInTheOrderAsked_data()
{
    edgeCases_data();
}

// Asked one after another without waiting, the calls end as if each had been waited for: a
// delete is never undone by a save or a move into the keyring that ends after it.
void TestKeychainHelper::operationsRunInTheOrderAsked()
{
    QFETCH(QString, backend);
    if (backend == QLatin1String("secret-service") && !haveBus())
        QSKIP("No session bus: run through scripts/run-tests.sh for the Secret Service cases");
    QTemporaryDir dir;
    KeychainHelper helper(makeBackend(backend, dir.path()));
    QObject context;
    QStringList seen;
    auto record = [&](const std::optional<QString> &v) { seen << v.value_or(QStringLiteral("absent")); };
    helper.save(QStringLiteral("one"), KeychainHelper::Key::authToken);
    helper.load(KeychainHelper::Key::authToken, &context, record);
    helper.deleteItem(KeychainHelper::Key::authToken);
    helper.load(KeychainHelper::Key::authToken, &context, record);
    helper.save(QStringLiteral("two"), KeychainHelper::Key::authToken);
    helper.deleteItem(KeychainHelper::Key::authToken);
    helper.load(KeychainHelper::Key::authToken, &context, record);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 3, 10000);
    QCOMPARE(seen, (QStringList{"one", "absent", "absent"}));

    // A caller that goes away before the keyring answers is not called.
    if (backend == QLatin1String("secret-service")) {
        bool called = false;
        {
            QObject leaving;
            helper.load(KeychainHelper::Key::authToken, &leaving, [&](const auto &) { called = true; });
        }
        QTest::qWait(100);
        QVERIFY(!called);
    }
}

QTEST_GUILESS_MAIN(TestKeychainHelper)
#include "tst_keychainhelper.moc"
