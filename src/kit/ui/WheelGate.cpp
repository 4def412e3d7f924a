#include "WheelGate.h"

#include <QEvent>

WheelGate::~WheelGate()
{
    if (m_target)
        m_target->removeEventFilter(this);
}

void WheelGate::setTarget(QQuickItem *item)
{
    if (m_target == item)
        return;
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = item;
    if (item)
        item->installEventFilter(this);
    Q_EMIT targetChanged();
}

void WheelGate::setOpen(bool open)
{
    if (m_open == open)
        return;
    m_open = open;
    Q_EMIT openChanged();
}

bool WheelGate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_target || event->type() != QEvent::Wheel || m_open)
        return false;
    // Unaccepted, the wheel is offered to the items behind (the page's scroll view).
    event->ignore();
    return true;
}
