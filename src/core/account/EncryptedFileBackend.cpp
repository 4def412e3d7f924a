#include "EncryptedFileBackend.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <openssl/evp.h>
#include <openssl/opensslv.h>
#include <openssl/rand.h>

#include <cerrno>
#include <dlfcn.h>
#include <type_traits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[] = "ZTS1";
constexpr int kMagicLen = 4;
constexpr int kKeyLen = 32;
constexpr int kNonceLen = 12;
constexpr int kTagLen = 16;

// libcrypto is opened the first time a file is sealed or opened, not linked: most starts never
// need it (the Secret Service holds the token, or nothing is stored), and loading and
// relocating it cost about 3 ms of every start. The header pins the functions' types.
struct Crypto {
    decltype(&EVP_CIPHER_CTX_new) ctxNew = nullptr;
    decltype(&EVP_CIPHER_CTX_free) ctxFree = nullptr;
    decltype(&EVP_CIPHER_CTX_ctrl) ctrl = nullptr;
    decltype(&EVP_aes_256_gcm) aes256gcm = nullptr;
    decltype(&EVP_EncryptInit_ex) encryptInit = nullptr;
    decltype(&EVP_EncryptUpdate) encryptUpdate = nullptr;
    decltype(&EVP_EncryptFinal_ex) encryptFinal = nullptr;
    decltype(&EVP_DecryptInit_ex) decryptInit = nullptr;
    decltype(&EVP_DecryptUpdate) decryptUpdate = nullptr;
    decltype(&EVP_DecryptFinal_ex) decryptFinal = nullptr;
    decltype(&RAND_bytes) randBytes = nullptr;
};

// The library of the major version the headers describe; null when it cannot be loaded, and
// then nothing is sealed or opened.
const Crypto *crypto()
{
    static const std::optional<Crypto> loaded = []() -> std::optional<Crypto> {
        void *lib = dlopen("libcrypto.so." QT_STRINGIFY(OPENSSL_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return std::nullopt;
        Crypto c;
        bool ok = true;
        auto bind = [&](auto &fn, const char *name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            ok = ok && fn;
        };
        bind(c.ctxNew, "EVP_CIPHER_CTX_new");
        bind(c.ctxFree, "EVP_CIPHER_CTX_free");
        bind(c.ctrl, "EVP_CIPHER_CTX_ctrl");
        bind(c.aes256gcm, "EVP_aes_256_gcm");
        bind(c.encryptInit, "EVP_EncryptInit_ex");
        bind(c.encryptUpdate, "EVP_EncryptUpdate");
        bind(c.encryptFinal, "EVP_EncryptFinal_ex");
        bind(c.decryptInit, "EVP_DecryptInit_ex");
        bind(c.decryptUpdate, "EVP_DecryptUpdate");
        bind(c.decryptFinal, "EVP_DecryptFinal_ex");
        bind(c.randBytes, "RAND_bytes");
        if (!ok)
            return std::nullopt;
        return c; // the library stays loaded for the life of the process
    }();
    return loaded ? &*loaded : nullptr;
}

struct CipherCtx {
    explicit CipherCtx(const Crypto &c) : crypto(c), ctx(c.ctxNew()) {}
    ~CipherCtx()
    {
        if (ctx)
            crypto.ctxFree(ctx);
    }
    CipherCtx(const CipherCtx &) = delete;
    CipherCtx &operator=(const CipherCtx &) = delete;
    const Crypto &crypto;
    EVP_CIPHER_CTX *ctx;
};

// The account name is bound to the ciphertext, so one item's file cannot be passed off as another's.
QByteArray associatedData(const QString &account)
{
    return QByteArray(kMagic, kMagicLen) + account.toUtf8();
}

std::optional<QByteArray> seal(const QByteArray &key, const QString &account, const QByteArray &plain)
{
    const Crypto *cr = crypto();
    if (!cr)
        return std::nullopt;
    QByteArray nonce(kNonceLen, '\0');
    if (cr->randBytes(reinterpret_cast<unsigned char *>(nonce.data()), kNonceLen) != 1)
        return std::nullopt;
    CipherCtx c(*cr);
    if (!c.ctx)
        return std::nullopt;
    const QByteArray aad = associatedData(account);
    QByteArray out(plain.size() + 16, '\0');
    int len = 0, total = 0;
    auto *k = reinterpret_cast<const unsigned char *>(key.constData());
    auto *n = reinterpret_cast<const unsigned char *>(nonce.constData());
    if (cr->encryptInit(c.ctx, cr->aes256gcm(), nullptr, nullptr, nullptr) != 1
        || cr->ctrl(c.ctx, EVP_CTRL_GCM_SET_IVLEN, kNonceLen, nullptr) != 1
        || cr->encryptInit(c.ctx, nullptr, nullptr, k, n) != 1
        || cr->encryptUpdate(c.ctx, nullptr, &len, reinterpret_cast<const unsigned char *>(aad.constData()), int(aad.size())) != 1
        || cr->encryptUpdate(c.ctx, reinterpret_cast<unsigned char *>(out.data()), &len,
                             reinterpret_cast<const unsigned char *>(plain.constData()), int(plain.size())) != 1)
        return std::nullopt;
    total = len;
    if (cr->encryptFinal(c.ctx, reinterpret_cast<unsigned char *>(out.data()) + total, &len) != 1)
        return std::nullopt;
    total += len;
    out.resize(total);
    QByteArray tag(kTagLen, '\0');
    if (cr->ctrl(c.ctx, EVP_CTRL_GCM_GET_TAG, kTagLen, tag.data()) != 1)
        return std::nullopt;
    return QByteArray(kMagic, kMagicLen) + nonce + out + tag;
}

std::optional<QByteArray> openSealed(const QByteArray &key, const QString &account, const QByteArray &sealed)
{
    if (sealed.size() < kMagicLen + kNonceLen + kTagLen || !sealed.startsWith(QByteArray(kMagic, kMagicLen)))
        return std::nullopt;
    const QByteArray nonce = sealed.mid(kMagicLen, kNonceLen);
    const QByteArray cipher = sealed.mid(kMagicLen + kNonceLen, sealed.size() - kMagicLen - kNonceLen - kTagLen);
    QByteArray tag = sealed.right(kTagLen);
    const Crypto *cr = crypto();
    if (!cr)
        return std::nullopt;
    CipherCtx c(*cr);
    if (!c.ctx)
        return std::nullopt;
    const QByteArray aad = associatedData(account);
    QByteArray out(cipher.size() + 16, '\0');
    int len = 0, total = 0;
    auto *k = reinterpret_cast<const unsigned char *>(key.constData());
    auto *n = reinterpret_cast<const unsigned char *>(nonce.constData());
    if (cr->decryptInit(c.ctx, cr->aes256gcm(), nullptr, nullptr, nullptr) != 1
        || cr->ctrl(c.ctx, EVP_CTRL_GCM_SET_IVLEN, kNonceLen, nullptr) != 1
        || cr->decryptInit(c.ctx, nullptr, nullptr, k, n) != 1
        || cr->decryptUpdate(c.ctx, nullptr, &len, reinterpret_cast<const unsigned char *>(aad.constData()), int(aad.size())) != 1
        || cr->decryptUpdate(c.ctx, reinterpret_cast<unsigned char *>(out.data()), &len,
                             reinterpret_cast<const unsigned char *>(cipher.constData()), int(cipher.size())) != 1)
        return std::nullopt;
    total = len;
    if (cr->ctrl(c.ctx, EVP_CTRL_GCM_SET_TAG, kTagLen, tag.data()) != 1)
        return std::nullopt;
    // Fails when the file was altered or the key is not the one that sealed it.
    if (cr->decryptFinal(c.ctx, reinterpret_cast<unsigned char *>(out.data()) + total, &len) != 1)
        return std::nullopt;
    total += len;
    out.resize(total);
    return out;
}

bool ensurePrivateDir(const QString &dir)
{
    if (!QDir().mkpath(dir))
        return false;
    return ::chmod(QFile::encodeName(dir).constData(), 0700) == 0;
}

// Writes `data` to a fresh 0600 temporary next to `path`, flushes it, then renames it over
// `path`: readers see either the old file or the new one, never a partial one.
bool writeFileAtomically(const QString &path, const QByteArray &data)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray tmpl = target + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    qsizetype written = 0;
    while (ok && written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            written += n;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(tmpl.constData());
    return ok;
}

std::optional<QByteArray> readSmallFile(const QString &path, bool *missing)
{
    QFile f(path);
    *missing = !f.exists();
    if (*missing || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Items are small; anything large is not ours.
    if (f.size() > 64 * 1024)
        return std::nullopt;
    return f.readAll();
}

} // namespace

EncryptedFileBackend::EncryptedFileBackend(QString directory, QString keyFile)
    : m_directory(std::move(directory)), m_keyFile(std::move(keyFile))
{
}

QString EncryptedFileBackend::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/zeltrin-pilot/secure-store");
}

QString EncryptedFileBackend::defaultKeyFile()
{
    // Kept apart from the items (config rather than data), so a copy of the data folder alone
    // does not carry the key with it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zeltrin-pilot/secure-store.key");
}

QString EncryptedFileBackend::itemPath(const QString &account) const
{
    // A hash keeps any account text a safe file name.
    const QByteArray h = QCryptographicHash::hash(account.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return m_directory + QLatin1Char('/') + QString::fromLatin1(h) + QStringLiteral(".item");
}

// A key file of the wrong length (a crash while it was first written, a disk fault) is moved
// aside rather than kept: kept, it would make every later save fail. The items it sealed can no
// longer be opened, so they go too.
void EncryptedFileBackend::setAsideDamagedKey()
{
    const QString aside = m_keyFile + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (!QFile::rename(m_keyFile, aside))
        QFile::remove(m_keyFile);
    const QDir dir(m_directory);
    for (const QString &item : dir.entryList({QStringLiteral("*.item")}, QDir::Files))
        QFile::remove(dir.filePath(item));
}

std::optional<QByteArray> EncryptedFileBackend::key(bool create)
{
    bool missing = false;
    const auto existing = readSmallFile(m_keyFile, &missing);
    if (existing && existing->size() == kKeyLen)
        return existing;
    if (!missing) {
        if (!existing && QFileInfo(m_keyFile).size() <= 64 * 1024)
            return std::nullopt; // it could not be opened: a fault of access, not a damaged key
        setAsideDamagedKey();
    }
    if (!create)
        return std::nullopt;
    if (!ensurePrivateDir(QFileInfo(m_keyFile).absolutePath()))
        return std::nullopt;
    const Crypto *cr = crypto();
    QByteArray k(kKeyLen, '\0');
    if (!cr || cr->randBytes(reinterpret_cast<unsigned char *>(k.data()), kKeyLen) != 1)
        return std::nullopt;
    // Written whole to a temporary, then published under its name: a crash leaves either no key
    // or a complete one. link() refuses to replace a key another process published meanwhile.
    const QByteArray target = QFile::encodeName(m_keyFile);
    const QByteArray tmp = target + ".new";
    ::unlink(tmp.constData());
    if (!writeFileAtomically(QFile::decodeName(tmp), k))
        return std::nullopt;
    const int linked = ::link(tmp.constData(), target.constData());
    const int linkErrno = errno;
    ::unlink(tmp.constData());
    if (linked == 0)
        return k;
    if (linkErrno == EEXIST) {
        bool gone = false;
        if (auto theirs = readSmallFile(m_keyFile, &gone); theirs && theirs->size() == kKeyLen)
            return theirs;
    }
    return std::nullopt;
}

KeychainBackend::ReadResult EncryptedFileBackend::read(const QString &account)
{
    bool missing = false;
    const auto sealed = readSmallFile(itemPath(account), &missing);
    if (missing)
        return {Status::notFound, {}};
    const auto k = key(false);
    if (!k && !QFileInfo::exists(itemPath(account)))
        return {Status::notFound, {}}; // its key was damaged, and the item went with it
    if (!sealed || !k)
        return {Status::failed, {}};
    auto plain = openSealed(*k, account, *sealed);
    if (!plain)
        return {Status::failed, {}};
    return {Status::ok, *plain};
}

KeychainBackend::Status EncryptedFileBackend::write(const QString &account, const QByteArray &data)
{
    const auto k = key(true);
    if (!k || !ensurePrivateDir(m_directory))
        return Status::failed;
    const auto sealed = seal(*k, account, data);
    if (!sealed)
        return Status::failed;
    return writeFileAtomically(itemPath(account), *sealed) ? Status::ok : Status::failed;
}

KeychainBackend::Status EncryptedFileBackend::remove(const QString &account)
{
    const QByteArray path = QFile::encodeName(itemPath(account));
    if (::unlink(path.constData()) == 0)
        return Status::ok;
    return errno == ENOENT ? Status::notFound : Status::failed;
}
