// The encrypted file store that keeps the token where no keyring answers: private modes, sealed
// items that reject tampering, a damaged key set aside, and a failed write that keeps the old item.
#include "AccountTestSupport.h"
#include "FileSizeLimit.h"
#include "KeychainHelper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using accounttest::Stores;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

} // namespace

class TestKeychainFileStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failedWriteKeepsTheOldItem();
    void fileStoreIsPrivateAndEncrypted();
    void fileStoreRejectsTampering();
    void damagedKeyIsSetAsideAndReplaced();
};

// A write that cannot complete keeps the old item and leaves no temporary behind.
void TestKeychainFileStore::failedWriteKeepsTheOldItem()
{
    QTemporaryDir dir;
    EncryptedFileBackend file(dir.path() + QStringLiteral("/store"), dir.path() + QStringLiteral("/store.key"));
    QCOMPARE(file.write(QStringLiteral("a"), "old"), KeychainBackend::Status::ok);
    const QString item = file.itemPath(QStringLiteral("a"));
    KeychainBackend::Status status;
    {
        const FileSizeLimit limit(8); // binds root too, where folder permissions would not
        QVERIFY(limit.isSet());
        status = file.write(QStringLiteral("a"), "a-much-longer-new-token");
    }
    QCOMPARE(status, KeychainBackend::Status::failed);
    QCOMPARE(file.read(QStringLiteral("a")).data, QByteArray("old"));
    QVERIFY(QFileInfo::exists(item));
    QCOMPARE(QDir(dir.path() + QStringLiteral("/store")).entryList(QDir::Files).size(), 1); // no temporary left
}

void TestKeychainFileStore::fileStoreIsPrivateAndEncrypted()
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

void TestKeychainFileStore::fileStoreRejectsTampering()
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

void TestKeychainFileStore::damagedKeyIsSetAsideAndReplaced()
{
    Stores st;
    auto file = st.file();
    QCOMPARE(file->write(QStringLiteral("a"), "token-a"), KeychainBackend::Status::ok);
    QVERIFY(!QFileInfo::exists(st.keyFile() + QStringLiteral(".new"))); // written by temporary and rename
    // A key cut short, as by a crash during its first write.
    QFile key(st.keyFile());
    QVERIFY(key.open(QIODevice::ReadWrite));
    QVERIFY(key.resize(7));
    key.close();

    QCOMPARE(file->read(QStringLiteral("a")).status, KeychainBackend::Status::notFound);
    QVERIFY(QFileInfo::exists(st.keyFile() + QStringLiteral(".damaged")));
    QVERIFY(!QFileInfo::exists(file->itemPath(QStringLiteral("a")))); // sealed by the lost key: gone

    // Saving works again, with a new key.
    QCOMPARE(file->write(QStringLiteral("a"), "token-b"), KeychainBackend::Status::ok);
    QCOMPARE(QFileInfo(st.keyFile()).size(), 32);
    QCOMPARE(modeOf(st.keyFile()), mode_t(0600));
    QCOMPARE(st.file()->read(QStringLiteral("a")).data, QByteArray("token-b"));

    // A key damaged before a write is replaced by that write.
    QVERIFY(key.open(QIODevice::WriteOnly | QIODevice::Truncate));
    key.close();
    QCOMPARE(file->write(QStringLiteral("a"), "token-c"), KeychainBackend::Status::ok);
    QCOMPARE(file->read(QStringLiteral("a")).data, QByteArray("token-c"));
}

QTEST_GUILESS_MAIN(TestKeychainFileStore)
#include "tst_keychainfilestore.moc"
