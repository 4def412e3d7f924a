#pragma once

#include "ImmediateKeychainBackend.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Per-user file store encrypted with AES-256-GCM: one 0600 file per item under `directory`, the
// key in a separate 0600 file. Used where no keyring answers (see docs/SECURITY.md for what this
// does and does not protect against).
class EncryptedFileBackend : public ImmediateKeychainBackend
{
public:
    EncryptedFileBackend(QString directory, QString keyFile);
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;
    bool keepsInWeakerStore(const QString &) const override { return true; }

    QString itemPath(const QString &account) const;
    static QString defaultDirectory();
    static QString defaultKeyFile();

private:
    std::optional<QByteArray> key(bool create);
    void setAsideDamagedKey();
    QString m_directory;
    QString m_keyFile;
};
