// The app exactly as main() runs it, quitting at a milestone:
//   startup-app [first|gate|guest [tap delay in ms]]
// For "guest", "Continue as Guest" is taken the given time after the gate's first frame
// (default 0); the gate's frame and the tap are reported as well.
#include "CommandLine.h"
#include "FirstFrame.h"
#include "ZeltrinPilotApp.h"

#include <QCoreApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace {

enum class Milestone {
    firstFrame,     // the first frame of the window, whatever it shows
    gate,           // the first frame that paints the sign-in gate (it fades in from transparent)
    guestDashboard, // enters as a guest once the gate is up; the first frame that paints the dashboard
};

// A screen of the given type is on screen with its content: the view exists, is shown and has
// its size, and the frame paints it. A screen fading in starts at opacity 0, and the frame that
// starts the fade paints nothing of it.
bool screenPainted(QQuickWindow *window, const char *typeName)
{
    const size_t length = std::strlen(typeName);
    QList<QQuickItem *> items{window->contentItem()};
    while (!items.isEmpty()) {
        QQuickItem *item = items.takeLast();
        if (!item->isVisible() || item->opacity() <= 0)
            continue;
        if (std::strncmp(item->metaObject()->className(), typeName, length) == 0)
            return item->width() > 0 && item->height() > 0 && !item->childItems().isEmpty();
        items.append(item->childItems());
    }
    return false;
}

// Reports the milestone's frame (and for a guest, the gate's frame and the tap), then quits.
struct MilestoneWatch {
    Milestone milestone = Milestone::firstFrame;
    // guestDashboard: how long after the gate's first painted frame "Continue as Guest" is taken.
    int guestTapDelayMs = 0;
    // Written while the GUI thread waits for the scene to be synchronised, read when the frame
    // is swapped (on the render thread with the threaded loop).
    std::atomic<bool> synced{false};
    std::atomic<bool> gateSynced{false};
    bool gateSeen = false;
    bool done = false;

    void watch(QQuickWindow &window, ZeltrinPilotApp &app)
    {
        MRVAuthManager *auth = app.authManager();
        QQuickWindow *w = &window;
        auto gatePainted = [auth, w] {
            return !auth->isCheckingSession() && !auth->isAuthenticated() && screenPainted(w, "AuthGateView");
        };
        auto reached = [this, auth, w, gatePainted] {
            switch (milestone) {
            case Milestone::firstFrame: return true;
            case Milestone::gate: return gatePainted();
            case Milestone::guestDashboard: return auth->isAuthenticated() && screenPainted(w, "DashboardView");
            }
            return false;
        };
        // Read while the GUI thread waits for the scene to be synchronised, so the items are
        // safe to look at on either render loop; the frame swapped next is the one that shows it.
        auto onSync = [this, reached, gatePainted] {
            synced.store(reached());
            gateSynced.store(gatePainted());
        };
        // The pilot's tap arrives on the GUI thread, whichever thread swapped the frame.
        auto tapLater = [this, auth] {
            QTimer::singleShot(guestTapDelayMs, auth, [auth] {
                reportNow("TAP_NS");
                auth->continueAsGuest();
            });
        };
        auto onSwap = [this, auth, tapLater] {
            if (milestone == Milestone::guestDashboard && !gateSeen && gateSynced.load()) {
                gateSeen = true;
                reportNow("GATE_NS");
                QMetaObject::invokeMethod(auth, tapLater, Qt::QueuedConnection);
                return;
            }
            if (done || !synced.load())
                return;
            done = true;
            reportFirstFrame();
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        };
        QObject::connect(w, &QQuickWindow::beforeSynchronizing, qApp, onSync, Qt::DirectConnection);
        QObject::connect(w, &QQuickWindow::frameSwapped, qApp, onSwap, Qt::DirectConnection);
    }
};

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv, QStringLiteral("The app as main() runs it, quitting at a milestone."));
    cli.parser().addPositionalArgument(QStringLiteral("milestone"),
                                       QStringLiteral("first (the first frame), gate or guest (default first)."),
                                       QStringLiteral("[first|gate|guest"));
    cli.parser().addPositionalArgument(
        QStringLiteral("delay"), QStringLiteral("For guest: ms from the gate's first frame to the tap (default 0)."),
        QStringLiteral("[delay]]"));
    cli.parseOrExit(2);
    MilestoneWatch watch;
    const QString which = cli.positional(0, QStringLiteral("first"));
    if (which != QLatin1String("first") && which != QLatin1String("gate") && which != QLatin1String("guest"))
        cli.fail(QStringLiteral("the milestone is first, gate or guest, not '%1'.").arg(which));
    watch.milestone = which == QLatin1String("gate") ? Milestone::gate
        : which == QLatin1String("guest")            ? Milestone::guestDashboard
                                                     : Milestone::firstFrame;
    watch.guestTapDelayMs = std::max(
        0, cli.wholeNumber(QStringLiteral("the delay"), cli.positional(1, QStringLiteral("0"))));
    zeltrin::RunHooks hooks;
    hooks.windowCreated = [&watch](QQuickWindow &window, ZeltrinPilotApp &app) { watch.watch(window, app); };
    int qtArgc = 1; // the milestone is ours, not Qt's
    return zeltrin::runApp(qtArgc, argv, hooks);
}
