#include "KeychainHelper.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

constexpr char kNoBusProbe[] = "--no-bus-probe";

// Runs in a child without a session bus: the default store must answer at once, with nothing.
int noBusProbe()
{
    QElapsedTimer t;
    t.start();
    KeychainHelper helper(KeychainHelper::makeDefaultBackend());
    const auto value = helper.load(KeychainHelper::Key::authToken);
    std::printf("%s %lld\n", value ? "present" : "absent", static_cast<long long>(t.elapsed()));
    // Without a Secret Service the encrypted file store keeps the token instead.
    helper.save(QStringLiteral("no-bus-token"), KeychainHelper::Key::authToken);
    const auto back = helper.load(KeychainHelper::Key::authToken);
    const bool inFile = QFileInfo::exists(EncryptedFileBackend::defaultKeyFile());
    std::printf("%s %s\n", back == std::optional<QString>(QStringLiteral("no-bus-token")) ? "kept" : "lost",
                inFile ? "file" : "elsewhere");
    helper.deleteItem(KeychainHelper::Key::authToken);
    std::printf("%s\n", helper.load(KeychainHelper::Key::authToken) ? "present" : "absent");
    SecretServiceBackend direct(QString::fromLatin1(KeychainHelper::kAccountPrefix));
    const bool unavailable = direct.read(QStringLiteral("probe")).status == KeychainBackend::Status::unavailable;
    std::printf("%s\n", unavailable ? "secret service unavailable" : "secret service answered");
    return 0;
}

std::unique_ptr<KeychainBackend> makeBackend(const QString &kind, const QString &dir)
{
    if (kind == QLatin1String("secret-service"))
        return std::make_unique<SecretServiceBackend>(QString::fromLatin1(KeychainHelper::kAccountPrefix));
    return std::make_unique<EncryptedFileBackend>(dir + QStringLiteral("/data/store"), dir + QStringLiteral("/config/store.key"));
}

mode_t modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

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
    void fileStoreIsPrivateAndEncrypted();
    void fileStoreRejectsTampering();
    void fallbackUsedOnlyWhenSecretServiceUnavailable();
    void noBusLoadsAbsentQuickly();
    void prefetchedReadMatchesTheStore_data();
    void prefetchedReadMatchesTheStore();
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

    helper.deleteItem(key); // delete of nothing is harmless
    helper.deleteItem(key);
    QCOMPARE(helper.load(key), std::nullopt);

    helper.save(QString(), key);
    QCOMPARE(helper.load(key), std::optional<QString>(QString())); // empty text is present, not absent

    const QString nonAscii = QStringLiteral("tök€n-✈-\U0001F681-\uFEFF-日本");
    helper.save(nonAscii, key);
    QCOMPARE(helper.load(key), std::optional<QString>(nonAscii));

    helper.save(QStringLiteral("second"), key);
    QCOMPARE(helper.load(key), std::optional<QString>(QStringLiteral("second")));

    // A second helper on the same store sees the same item (it survives the object).
    KeychainHelper again(makeBackend(backend, dir.path()));
    QCOMPARE(again.load(key), std::optional<QString>(QStringLiteral("second")));

    helper.deleteItem(key);
    QCOMPARE(helper.load(key), std::nullopt);
    QCOMPARE(again.load(key), std::nullopt);
}

void TestKeychainHelper::failedSaveKeepsPreviousToken()
{
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    auto *mem = backend.get();
    KeychainHelper helper(std::move(backend));
    helper.save(QStringLiteral("old"), KeychainHelper::Key::authToken);
    mem->failWrites = true;
    helper.save(QStringLiteral("new"), KeychainHelper::Key::authToken);
    QCOMPARE(mem->removeCount, 0); // no delete-before-add
    QCOMPARE(helper.load(KeychainHelper::Key::authToken), std::optional<QString>(QStringLiteral("old")));

    // The file store: a write that cannot complete (its folder is a file now) keeps the old item.
    QTemporaryDir dir;
    EncryptedFileBackend file(dir.path() + QStringLiteral("/store"), dir.path() + QStringLiteral("/store.key"));
    QCOMPARE(file.write(QStringLiteral("a"), "old"), KeychainBackend::Status::ok);
    const QString item = file.itemPath(QStringLiteral("a"));
    QVERIFY(::chmod(QFile::encodeName(dir.path() + QStringLiteral("/store")).constData(), 0500) == 0);
    const bool canStillWrite = QFile(dir.path() + QStringLiteral("/store/probe")).open(QIODevice::WriteOnly);
    if (!canStillWrite) { // root ignores folder permissions
        QCOMPARE(file.write(QStringLiteral("a"), "new"), KeychainBackend::Status::failed);
        QCOMPARE(file.read(QStringLiteral("a")).data, QByteArray("old"));
    }
    ::chmod(QFile::encodeName(dir.path() + QStringLiteral("/store")).constData(), 0700);
    QVERIFY(QFileInfo::exists(item));
}

void TestKeychainHelper::invalidUtf8ReadsAsAbsent()
{
    auto backend = std::make_unique<InMemoryKeychainBackend>();
    backend->items.insert(KeychainHelper::rawValue(KeychainHelper::Key::authToken), QByteArray("\xff\xfe\xc3", 3));
    KeychainHelper helper(std::move(backend));
    QCOMPARE(helper.load(KeychainHelper::Key::authToken), std::nullopt);
}

void TestKeychainHelper::fileStoreIsPrivateAndEncrypted()
{
    QTemporaryDir dir;
    const QString keyFile = dir.path() + QStringLiteral("/config/store.key");
    EncryptedFileBackend file(dir.path() + QStringLiteral("/data/store"), keyFile);
    const QByteArray secret = "super-secret-token-value";
    QCOMPARE(file.write(QStringLiteral("acct"), secret), KeychainBackend::Status::ok);
    const QString item = file.itemPath(QStringLiteral("acct"));
    QCOMPARE(modeOf(item), mode_t(0600));
    QCOMPARE(modeOf(keyFile), mode_t(0600));
    QCOMPARE(modeOf(dir.path() + QStringLiteral("/data/store")), mode_t(0700));
    QFile f(item);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray onDisk = f.readAll();
    QVERIFY(!onDisk.contains(secret));
    QVERIFY(!onDisk.contains("acct"));
    // A fresh nonce each time: the same value never gives the same file.
    QCOMPARE(file.write(QStringLiteral("acct"), secret), KeychainBackend::Status::ok);
    QFile f2(item);
    QVERIFY(f2.open(QIODevice::ReadOnly));
    QVERIFY(f2.readAll() != onDisk);
    QCOMPARE(file.read(QStringLiteral("acct")).data, secret);
    QCOMPARE(file.remove(QStringLiteral("acct")), KeychainBackend::Status::ok);
    QCOMPARE(file.remove(QStringLiteral("acct")), KeychainBackend::Status::notFound);
}

void TestKeychainHelper::fileStoreRejectsTampering()
{
    QTemporaryDir dir;
    EncryptedFileBackend file(dir.path() + QStringLiteral("/store"), dir.path() + QStringLiteral("/store.key"));
    QCOMPARE(file.write(QStringLiteral("a"), "token-a"), KeychainBackend::Status::ok);
    QCOMPARE(file.write(QStringLiteral("b"), "token-b"), KeychainBackend::Status::ok);

    QFile f(file.itemPath(QStringLiteral("a")));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
    f.seek(0);
    f.write(bytes);
    f.close();
    QCOMPARE(file.read(QStringLiteral("a")).status, KeychainBackend::Status::failed);

    // One item's file passed off as another's does not open.
    QFile::remove(file.itemPath(QStringLiteral("a")));
    QVERIFY(QFile::copy(file.itemPath(QStringLiteral("b")), file.itemPath(QStringLiteral("a"))));
    QCOMPARE(file.read(QStringLiteral("a")).status, KeychainBackend::Status::failed);

    // Another key cannot open it either.
    EncryptedFileBackend other(dir.path() + QStringLiteral("/store"), dir.path() + QStringLiteral("/other.key"));
    QVERIFY(other.read(QStringLiteral("b")).status != KeychainBackend::Status::ok);
}

void TestKeychainHelper::fallbackUsedOnlyWhenSecretServiceUnavailable()
{
    struct Fixed : InMemoryKeychainBackend {
        Status forced;
        explicit Fixed(Status s) : forced(s) {}
        ReadResult read(const QString &) override { return {forced, {}}; }
        Status write(const QString &, const QByteArray &) override { return forced; }
    };
    auto fallback = std::make_unique<InMemoryKeychainBackend>();
    auto *fb = fallback.get();
    SecretServiceWithFallbackBackend unavailable(std::make_unique<Fixed>(KeychainBackend::Status::unavailable), std::move(fallback));
    QCOMPARE(unavailable.write(QStringLiteral("k"), "v"), KeychainBackend::Status::ok);
    QCOMPARE(fb->items.value(QStringLiteral("k")), QByteArray("v"));
    QCOMPARE(unavailable.read(QStringLiteral("k")).data, QByteArray("v"));

    auto fallback2 = std::make_unique<InMemoryKeychainBackend>();
    auto *fb2 = fallback2.get();
    SecretServiceWithFallbackBackend failing(std::make_unique<Fixed>(KeychainBackend::Status::failed), std::move(fallback2));
    QCOMPARE(failing.write(QStringLiteral("k"), "v"), KeychainBackend::Status::failed);
    QVERIFY(fb2->items.isEmpty()); // a refusing keyring is not bypassed
}

void TestKeychainHelper::noBusLoadsAbsentQuickly()
{
    QTemporaryDir home;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kNoBusProbe)});
    // Generous bound: this checks for a hang, not for speed.
    QVERIFY(child.waitForFinished(20000));
    const QByteArray out = child.readAllStandardOutput();
    const QList<QByteArray> lines = out.split('\n');
    QVERIFY2(lines.size() >= 4, out.constData());
    QCOMPARE(lines[3], QByteArray("secret service unavailable"));
    QVERIFY2(lines[0].startsWith("absent "), out.constData());
    QCOMPARE(lines[1], QByteArray("kept file"));
    QCOMPARE(lines[2], QByteArray("absent"));
    qInfo("no-bus load answered in %s ms", lines[0].mid(7).constData());
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], kNoBusProbe) == 0) {
        QCoreApplication app(argc, argv);
        return noBusProbe();
    }
    QCoreApplication app(argc, argv);
    TestKeychainHelper t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_keychainhelper.moc"

void TestKeychainHelper::prefetchedReadMatchesTheStore_data()
{
    edgeCases_data();
}

// A read started early gives what a plain read gives, and a save or delete after it is not
// undone by its now stale value.
void TestKeychainHelper::prefetchedReadMatchesTheStore()
{
    QFETCH(QString, backend);
    if (backend == QLatin1String("secret-service") && qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("No session bus: run through scripts/run-tests.sh for the Secret Service cases");
    QTemporaryDir dir;
    const auto key = KeychainHelper::Key::authToken;
    KeychainHelper(makeBackend(backend, dir.path())).save(QStringLiteral("stored-token"), key);

    KeychainHelper helper(makeBackend(backend, dir.path()));
    helper.prefetch(key);
    QTest::qWait(50); // some of it runs before the read is asked for
    QCOMPARE(helper.load(key), std::optional<QString>(QStringLiteral("stored-token")));

    helper.prefetch(key);
    helper.deleteItem(key);
    QCOMPARE(helper.load(key), std::nullopt);

    helper.prefetch(key);
    helper.save(QStringLiteral("newer"), key);
    QCOMPARE(helper.load(key), std::optional<QString>(QStringLiteral("newer")));

    // Asked for at once, before the event loop has turned.
    KeychainHelper fresh(makeBackend(backend, dir.path()));
    fresh.prefetch(key);
    QCOMPARE(fresh.load(key), std::optional<QString>(QStringLiteral("newer")));
    fresh.deleteItem(key);

    // Going away with a read under way leaves it to end on its own.
    {
        KeychainHelper leaving(makeBackend(backend, dir.path()));
        leaving.prefetch(key);
    }
    QTest::qWait(200);
}
