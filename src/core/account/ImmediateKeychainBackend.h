#pragma once

#include "KeychainBackend.h"

// A store that answers at once (memory, local files): its asynchronous calls report before they
// return, and the same operations can be called directly.
class ImmediateKeychainBackend : public KeychainBackend
{
public:
    virtual ReadResult read(const QString &account) = 0;
    virtual Status write(const QString &account, const QByteArray &data) = 0;
    virtual Status remove(const QString &account) = 0;

    void startRead(const QString &account, QObject *context, ReadDone done) override;
    void startWrite(const QString &account, const QByteArray &data, QObject *context, Done done) override;
    void startRemove(const QString &account, QObject *context, Done done) override;
};
