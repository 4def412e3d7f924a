// The baseline: a bare Qt Quick window with one text, quitting after its first frame.
//   startup-bare [tap [delay in ms]]
// With "tap", the same window is tapped the given time after its first frame (default 0) and
// cross-fades to a second text the way the app goes from its gate to the tabs (0.35 s, in and
// out quad); it quits at the first frame that paints the second text. Its first frame and the
// tap are reported as well, under the app's names.
#include "FirstFrame.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    const bool tap = argc > 1 && std::strcmp(argv[1], "tap") == 0;
    const int tapDelayMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 390; height: 844; visible: true; color: "#0F0F12"
            Text { id: first; anchors.centerIn: parent; text: "Hello"; color: "white" }
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
    auto *second = window->findChild<QQuickItem *>(QStringLiteral("second"));
    // Read while the GUI thread waits for the scene to be synchronised: the next frame paints it.
    std::atomic<bool> secondPainted{false};
    QObject::connect(window, &QQuickWindow::beforeSynchronizing, &app, [&] {
        secondPainted.store(second && second->opacity() > 0);
    }, Qt::DirectConnection);
    bool seen = false, done = false;
    QObject::connect(window, &QQuickWindow::frameSwapped, &app, [&] {
        if (done)
            return;
        if (!tap || secondPainted.load()) {
            done = true;
            reportFirstFrame();
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
            return;
        }
        if (seen)
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
