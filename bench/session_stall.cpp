// The longest main-thread stall while the session is checked at start-up and during a sign-in,
// against the real default token store (whatever keyring the session bus offers: a locked one,
// a stalled bus, none). A 1 ms timer measures how late the event loop turns.
// Usage: session-stall   (run it under the bus and keyring to be measured)
#include "CommandLine.h"
#include "KeychainHelper.h"
#include "MRVAuthManager.h"
#include "MRVNetworkClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Runs the loop until `done`, returning the longest gap between two turns, in ms.
double longestStall(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed(), worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    tick.start(1);
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    }
    return worst / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(
        argc, argv,
        QStringLiteral("The longest main-thread stall of the start-up session check and a sign-in, "
                       "against the real token store. Run it under the bus and keyring to be measured."));
    cli.parseOrExit(0);
    QCoreApplication app(argc, argv);
    KeychainHelper keychain(KeychainHelper::makeDefaultBackend());
    MRVNetworkClient::Options o;
    o.baseURL = QStringLiteral("https://127.0.0.1:9/v1"); // nothing listens: fails at once
    MRVNetworkClient client(o);
    QElapsedTimer t;
    t.start();
    MRVAuthManager auth(&client, &keychain);
    const double startup = longestStall([&] { return !auth.isCheckingSession(); }, 20000);
    std::printf("start-up check: %lld ms, longest main-thread stall %.1f ms\n", (long long)t.elapsed(), startup);
    t.restart();
    auth.login(QStringLiteral("pilot@example.com"), QStringLiteral("pw"));
    const double signin = longestStall([&] { return !auth.isLoading(); }, 20000);
    std::printf("sign-in: %lld ms, longest main-thread stall %.1f ms\n", (long long)t.elapsed(), signin);
    std::fflush(stdout);
    // A probe still stuck connecting to a stalled bus would hold up the exit (open fault).
    std::_Exit(0);
}
