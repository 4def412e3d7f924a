#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

// Asks the session bus, without blocking the calling thread, whether a keyring QtKeychain can use
// is running or can be started: the Secret Service or KWallet, each under its own bus name. An
// empty `busAddress` means the session bus. The answer is false when the bus does not answer
// within `deadline`.
namespace keyringprobe {
const QStringList &busNames();
void start(QObject *context, std::function<void(bool reachable)> done,
           std::chrono::milliseconds deadline = std::chrono::milliseconds(1500), const QString &busAddress = {});
// Whether the running Secret Service holds any item with all of `attributes` (unlocked or locked),
// asked the same way; no answer when it is not running, does not reply within `deadline`, or the
// bus has none.
void lookUp(QObject *context, const QMap<QString, QString> &attributes,
            std::function<void(std::optional<bool> holds)> done,
            std::chrono::milliseconds deadline = std::chrono::milliseconds(1500), const QString &busAddress = {});
// The attributes QtKeychain gives the item it keeps for `account` of `service`.
QMap<QString, QString> qtKeychainAttributes(const QString &service, const QString &account);
// Whether QtKeychain keeps its items in the Secret Service here (and not in KWallet).
bool qtKeychainUsesSecretService();
// Probes and look-ups whose worker has not ended yet (each ends shortly after its deadline).
int runningProbes();
} // namespace keyringprobe
