// The baseline: a bare Qt Quick window with one text, quitting after its first frame.
#include "FirstFrame.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 390; height: 844; visible: true; color: "#0F0F12"
            Text { anchors.centerIn: parent; text: "Hello"; color: "white" }
        }
    )");
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
    if (!window)
        return 1;
    bool seen = false;
    QObject::connect(window, &QQuickWindow::frameSwapped, &app, [&] {
        if (seen)
            return;
        seen = true;
        reportFirstFrame();
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    }, Qt::DirectConnection);
    return app.exec();
}
