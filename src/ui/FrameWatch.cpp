#include "FrameWatch.h"

#include <QQuickWindow>

FrameWatch::FrameWatch(QQuickItem *parent) : QQuickItem(parent) {}

void FrameWatch::arm()
{
    if (m_connection)
        return;
    QQuickWindow *w = window();
    if (!w || !w->isExposed()) {
        QMetaObject::invokeMethod(this, &FrameWatch::presented, Qt::QueuedConnection);
        return;
    }
    m_connection = connect(w, &QQuickWindow::frameSwapped, this, [this] {
        // Several frames may have queued a call before the first one runs.
        if (!m_connection)
            return;
        disconnect(m_connection);
        m_connection = {};
        emit presented();
    }, Qt::QueuedConnection);
    w->update();
}
