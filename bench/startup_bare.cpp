// The baseline: a bare Qt Quick window with one text, quitting after its first frame.
//   startup-bare [fade | tap [delay in ms]]
// "fade": the text fades in from transparent the way the app's sign-in gate does (0.35 s, in and
// out quad), and the window quits at the first frame that paints it. "tap": the same, then the
// window is tapped the given time after that frame (default 0) and cross-fades to a second text
// the way the app goes from the gate to the tabs; it quits at the first frame that paints the
// second text, and reports the first painted frame and the tap as well, under the app's names.
#include "CommandLine.h"
#include "FirstFrame.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(
        argc, argv, QStringLiteral("A bare Qt Quick window with one text, quitting after its first frame."));
    cli.parser().addPositionalArgument(
        QStringLiteral("mode"), QStringLiteral("fade: the text fades in; tap: it fades in, is tapped and cross-fades."),
        QStringLiteral("[fade | tap"));
    cli.parser().addPositionalArgument(
        QStringLiteral("delay"), QStringLiteral("For tap: ms from the first painted frame to the tap (default 0)."),
        QStringLiteral("[delay]]"));
    cli.parseOrExit(2);
    const QString mode = cli.positional(0);
    if (!mode.isEmpty() && mode != QLatin1String("fade") && mode != QLatin1String("tap"))
        cli.fail(QStringLiteral("the mode is fade or tap, not '%1'.").arg(mode));
    const bool tap = mode == QLatin1String("tap");
    const bool fade = tap || mode == QLatin1String("fade");
    const int tapDelayMs = tap
        ? std::max(0, cli.wholeNumber(QStringLiteral("the delay"), cli.positional(1, QStringLiteral("0"))))
        : 0;
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("fades"), fade}});
    engine.loadData(R"(
        import QtQuick
        Window {
            id: window
            required property bool fades
            width: 390; height: 844; visible: true; color: "#0F0F12"
            Text {
                id: first; objectName: "first"; anchors.centerIn: parent; text: "Hello"; color: "white"
                opacity: window.fades ? 0 : 1
                NumberAnimation on opacity { running: window.fades; to: 1; duration: 350; easing.type: Easing.InOutQuad }
            }
            Text { id: second; objectName: "second"; anchors.centerIn: parent; text: "Welcome"; color: "white"; opacity: 0 }
            ParallelAnimation {
                id: crossFade
                NumberAnimation { target: first; property: "opacity"; to: 0; duration: 350; easing.type: Easing.InOutQuad }
                NumberAnimation { target: second; property: "opacity"; to: 1; duration: 350; easing.type: Easing.InOutQuad }
            }
            function tap() { crossFade.restart() }
        }
    )");
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
    if (!window)
        return 1;
    auto *first = window->findChild<QQuickItem *>(QStringLiteral("first"));
    auto *second = window->findChild<QQuickItem *>(QStringLiteral("second"));
    // Read while the GUI thread waits for the scene to be synchronised: the next frame paints it.
    std::atomic<bool> firstPainted{false}, secondPainted{false};
    QObject::connect(window, &QQuickWindow::beforeSynchronizing, &app, [&] {
        firstPainted.store(first && first->opacity() > 0);
        secondPainted.store(second && second->opacity() > 0);
    }, Qt::DirectConnection);
    bool seen = false, done = false;
    QObject::connect(window, &QQuickWindow::frameSwapped, &app, [&] {
        if (done)
            return;
        const bool reached = tap ? secondPainted.load() : (!fade || firstPainted.load());
        if (reached) {
            done = true;
            reportFirstFrame();
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
            return;
        }
        if (!tap || seen || !firstPainted.load())
            return;
        seen = true;
        reportNow("GATE_NS");
        QMetaObject::invokeMethod(&app, [&] {
            QTimer::singleShot(tapDelayMs, &app, [&] {
                reportNow("TAP_NS");
                QMetaObject::invokeMethod(window, "tap");
            });
        }, Qt::QueuedConnection);
    }, Qt::DirectConnection);
    return app.exec();
}
