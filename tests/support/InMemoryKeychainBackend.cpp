#include "InMemoryKeychainBackend.h"

KeychainBackend::ReadResult InMemoryKeychainBackend::read(const QString &account)
{
    const auto it = items.constFind(account);
    if (it == items.constEnd())
        return {Status::notFound, {}};
    return {Status::ok, *it};
}

KeychainBackend::Status InMemoryKeychainBackend::write(const QString &account, const QByteArray &data)
{
    ++writeCount;
    if (failWrites)
        return Status::failed;
    items.insert(account, data);
    return Status::ok;
}

KeychainBackend::Status InMemoryKeychainBackend::remove(const QString &account)
{
    ++removeCount;
    return items.remove(account) ? Status::ok : Status::notFound;
}
