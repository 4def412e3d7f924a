#include "MapGestureRecognizer.h"

#include <QLineF>
#include <QMouseEvent>
#include <QTouchEvent>
#include <QWheelEvent>

#include <cmath>
#include <utility>

MapGestureRecognizer::MapGestureRecognizer(Reports reports, Clock clock)
    : m_reports(std::move(reports)), m_clock(std::move(clock))
{
    if (!m_clock) {
        m_epoch.start();
        m_clock = [this] { return m_epoch.elapsed(); };
    }
    m_longPressTimer.setSingleShot(true);
    m_longPressTimer.setTimerType(Qt::PreciseTimer);
    m_longPressTimer.callOnTimeout([this] { poll(); });
}

void MapGestureRecognizer::mouseEvent(const QMouseEvent &e)
{
    switch (e.type()) {
    case QEvent::MouseButtonPress: press(e.position()); break;
    case QEvent::MouseMove: move(e.position()); break;
    case QEvent::MouseButtonRelease: release(e.position()); break;
    default: break;
    }
}

void MapGestureRecognizer::touchEvent(const QTouchEvent &e)
{
    if (e.type() == QEvent::TouchCancel) {
        cancelTouch();
        return;
    }
    QList<TouchPoint> points;
    points.reserve(e.points().size());
    for (const QEventPoint &p : e.points())
        points.append({p.id(), p.position(), p.state()});
    touch(points);
}

void MapGestureRecognizer::wheelEvent(const QWheelEvent &e)
{
    wheel(e.angleDelta().y() / 120.0, e.position());
}

void MapGestureRecognizer::press(QPointF pos)
{
    if (m_reports.contact)
        m_reports.contact();
    m_pressed = true;
    m_dragging = false;
    m_held = false;
    m_carrying = m_reports.holds && m_reports.holds(pos);
    m_pressPos = m_lastPos = pos;
    m_velocity = {};
    m_lastMoveMs = m_clock();
    m_longPressAt = m_lastMoveMs + kLongPressMs;
    m_longPressTimer.start(int(kLongPressMs));
}

void MapGestureRecognizer::move(QPointF pos)
{
    if (!m_pressed || m_pinching)
        return;
    if (!m_dragging && QLineF(pos, m_pressPos).length() > kTapSlop) {
        m_dragging = true;
        m_longPressAt.reset();
    }
    if (m_dragging && m_carrying) {
        report(m_reports.carry, pos);
    } else if (m_dragging) {
        const QPointF d = pos - m_lastPos;
        const qint64 now = m_clock();
        const double dt = double(std::max<qint64>(1, now - m_lastMoveMs));
        m_lastMoveMs = now;
        // Smoothed, for the fling.
        m_velocity = m_velocity * 0.3 + (d / dt) * 0.7;
        report(m_reports.pan, d);
    }
    m_lastPos = pos;
}

void MapGestureRecognizer::release(QPointF pos)
{
    if (!m_pressed)
        return;
    poll(); // a long press due by now counts, though its timer has not run
    m_pressed = false;
    m_longPressAt.reset();
    if (m_dragging && m_carrying) {
        m_lastPos = pos;
        endCarry();
        m_dragging = false;
        return;
    }
    m_carrying = false;
    if (m_dragging) {
        m_dragging = false;
        if (m_clock() - m_lastMoveMs < kFlingRestMs && QLineF(QPointF(), m_velocity).length() > kFlingMinSpeed)
            report(m_reports.fling, m_velocity);
        return;
    }
    if (!m_pinching && !m_held)
        tapAt(pos);
}

void MapGestureRecognizer::endCarry()
{
    if (std::exchange(m_carrying, false) && m_dragging)
        report(m_reports.drop, m_lastPos);
}

void MapGestureRecognizer::cancelPointer()
{
    endCarry(); // what was carried stays where it got to
    m_pressed = false;
    m_dragging = false;
    m_longPressAt.reset();
}

void MapGestureRecognizer::cancelTouch()
{
    cancelPointer();
    m_pinching = false;
}

void MapGestureRecognizer::poll()
{
    if (!m_longPressAt || !m_pressed || m_dragging || m_pinching)
        return;
    const qint64 now = m_clock();
    if (now < *m_longPressAt) {
        m_longPressTimer.start(int(*m_longPressAt - now));
        return;
    }
    m_longPressAt.reset();
    m_held = true;
    m_lastTap.reset();
    report(m_reports.longPress, m_lastPos);
}

void MapGestureRecognizer::tapAt(QPointF pos)
{
    const qint64 now = m_clock();
    if (m_lastTap && now - m_lastTap->ms < kDoubleTapMs && QLineF(pos, m_lastTap->pos).length() < kDoubleTapSlop) {
        m_lastTap.reset();
        report(m_reports.doubleTap, pos);
        return;
    }
    // Remembered before the report, which may forget it again.
    m_lastTap = Tap{pos, now};
    report(m_reports.tap, pos);
}

void MapGestureRecognizer::wheel(double steps, QPointF at)
{
    if (steps != 0 && m_reports.zoom)
        m_reports.zoom(std::pow(2.0, steps / 2), at);
}

void MapGestureRecognizer::startPinch(const TouchPoint &a, const TouchPoint &b)
{
    m_pinchIds[0] = a.id;
    m_pinchIds[1] = b.id;
    m_pinchA = a.pos;
    m_pinchB = b.pos;
}

void MapGestureRecognizer::touch(const QList<TouchPoint> &points)
{
    // The fingers still down, in the order they landed.
    QList<TouchPoint> down;
    for (const TouchPoint &p : points)
        if (p.state != QEventPoint::Released)
            down.append(p);
    if (!m_pinching && down.size() >= 2) {
        // A second finger: whatever the first one began becomes a pinch.
        cancelPointer();
        m_pinching = true;
        if (m_reports.contact)
            m_reports.contact();
        m_lastTap.reset();
        startPinch(down[0], down[1]);
    } else if (m_pinching) {
        const TouchPoint *pa = nullptr, *pb = nullptr;
        for (const TouchPoint &p : down) {
            if (p.id == m_pinchIds[0])
                pa = &p;
            else if (p.id == m_pinchIds[1])
                pb = &p;
        }
        if (pa && pb)
            pinchTo(pa->pos, pb->pos);
        else if (down.size() >= 2)
            startPinch(down[0], down[1]); // one of the pair lifted while others stay
        if (down.isEmpty())
            m_pinching = false;
    } else if (!points.isEmpty()) {
        const TouchPoint &p = points.constFirst();
        switch (p.state) {
        case QEventPoint::Pressed: press(p.pos); break;
        case QEventPoint::Released: release(p.pos); break;
        default: move(p.pos); break;
        }
    }
}

void MapGestureRecognizer::pinchTo(QPointF a, QPointF b)
{
    const QPointF midOld = (m_pinchA + m_pinchB) / 2, midNew = (a + b) / 2;
    const double dOld = QLineF(m_pinchA, m_pinchB).length(), dNew = QLineF(a, b).length();
    report(m_reports.pan, midNew - midOld);
    if (dOld > 1 && dNew > 1 && m_reports.zoom)
        m_reports.zoom(dNew / dOld, midNew);
    // QLineF's angles run counter-clockwise on screen.
    double turn = QLineF(a, b).angle() - QLineF(m_pinchA, m_pinchB).angle();
    if (turn > 180)
        turn -= 360;
    if (turn < -180)
        turn += 360;
    if (std::abs(turn) > 0.01 && m_reports.rotate)
        m_reports.rotate(turn);
    m_pinchA = a;
    m_pinchB = b;
}
