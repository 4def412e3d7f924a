#include "ImmediateKeychainBackend.h"

using keychain::reportTo;

void ImmediateKeychainBackend::startRead(const QString &account, QObject *context, ReadDone done)
{
    const ReadResult r = read(account);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(r); });
}

void ImmediateKeychainBackend::startWrite(const QString &account, const QByteArray &data, QObject *context, Done done)
{
    const Status s = write(account, data);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(s); });
}

void ImmediateKeychainBackend::startRemove(const QString &account, QObject *context, Done done)
{
    const Status s = remove(account);
    const QPointer<QObject> ctx(context);
    if (done)
        reportTo(ctx, context != nullptr, [&] { done(s); });
}
