#include "FrameWatch.h"

#include <QQuickWindow>

FrameWatch::FrameWatch(QQuickItem *parent) : QQuickItem(parent) {}

void FrameWatch::arm()
{
    if (m_armed)
        return;
    m_armed = true;
    QQuickWindow *w = window();
    if (!w || !w->isExposed()) {
        QMetaObject::invokeMethod(this, &FrameWatch::report, Qt::QueuedConnection);
        return;
    }
    m_connection = connect(w, &QQuickWindow::frameSwapped, this, &FrameWatch::report, Qt::QueuedConnection);
    w->update();
}

void FrameWatch::report()
{
    // Several frames may have queued a call before the first one runs.
    if (!m_armed)
        return;
    m_armed = false;
    disconnect(m_connection);
    emit presented();
}
