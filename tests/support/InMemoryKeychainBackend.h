#pragma once

#include "ImmediateKeychainBackend.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// Keeps items in memory only; for tests and the screenshot tour. Counts its writes and
// removals, and can be told to refuse writes.
class InMemoryKeychainBackend : public ImmediateKeychainBackend
{
public:
    ReadResult read(const QString &account) override;
    Status write(const QString &account, const QByteArray &data) override;
    Status remove(const QString &account) override;

    QHash<QString, QByteArray> items;
    bool failWrites = false;
    int writeCount = 0;
    int removeCount = 0;
};
