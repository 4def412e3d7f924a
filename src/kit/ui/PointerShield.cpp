#include "PointerShield.h"

#include <QMouseEvent>
#include <QTouchEvent>
#include <QWheelEvent>

PointerShield::PointerShield(QQuickItem *parent) : QQuickItem(parent)
{
    setAcceptedMouseButtons(Qt::AllButtons);
    // Touch is taken as touch: a finger is never turned into a mouse press that something
    // underneath could take first.
    setAcceptTouchEvents(true);
}

void PointerShield::setBlocksWheel(bool on)
{
    if (m_blocksWheel == on)
        return;
    m_blocksWheel = on;
    emit blocksWheelChanged();
}

void PointerShield::mousePressEvent(QMouseEvent *e)
{
    e->accept();
}
void PointerShield::mouseMoveEvent(QMouseEvent *e)
{
    e->accept();
}
void PointerShield::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
}
void PointerShield::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept();
}
void PointerShield::touchEvent(QTouchEvent *e)
{
    e->accept();
}
void PointerShield::wheelEvent(QWheelEvent *e)
{
    e->setAccepted(m_blocksWheel);
}
