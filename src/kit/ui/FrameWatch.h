#pragma once

#include <QMetaObject>
#include <QQuickItem>

// Tells QML, on the GUI thread, when the window has put its next frame on screen. The window's
// own frameSwapped comes from the render thread on threaded render loops, where a QML handler
// must not run.
class FrameWatch : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit FrameWatch(QQuickItem *parent = nullptr);

    // presented() follows once, after the next frame (at once when there is no window to wait on).
    Q_INVOKABLE void arm();

signals:
    void presented();

private:
    void report();

    bool m_armed = false;
    QMetaObject::Connection m_connection;
};
