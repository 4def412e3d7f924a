#include "TileMapItem.h"

#include <QLineF>

#include <cmath>

// The mouse and a single finger share one path (press, move, release); two fingers pinch.
// The item takes touch itself, so no mouse events are synthesised for a finger.

namespace {
constexpr qreal kTapSlop = 8;
constexpr int kDoubleTapMs = 250;
constexpr qreal kDoubleTapSlop = 40;
} // namespace

void TileMapItem::pointerPress(QPointF pos)
{
    m_inertia.stop();
    m_pressed = true;
    m_dragging = false;
    m_pressPos = m_lastPos = pos;
    m_velocity = {};
    m_pressClock.start();
    m_moveClock.start();
}

void TileMapItem::pointerMove(QPointF pos)
{
    if (!m_pressed || m_pinching)
        return;
    if (!m_dragging && QLineF(pos, m_pressPos).length() > kTapSlop) {
        m_dragging = true;
        setKeepMouseGrab(true);
        setKeepTouchGrab(true);
    }
    if (m_dragging) {
        const QPointF d = pos - m_lastPos;
        const double dt = std::max<qint64>(1, m_moveClock.restart());
        // Smoothed velocity for the fling.
        m_velocity = m_velocity * 0.3 + (d / dt) * 0.7;
        panBy(d.x(), d.y());
    }
    m_lastPos = pos;
}

void TileMapItem::pointerRelease(QPointF pos)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    setKeepMouseGrab(false);
    setKeepTouchGrab(false);
    if (m_dragging) {
        m_dragging = false;
        if (m_moveClock.elapsed() < 80 && QLineF(QPointF(), m_velocity).length() > 0.05)
            m_inertia.start();
        return;
    }
    if (!m_pinching)
        handleTap(pos);
}

void TileMapItem::pointerCancel()
{
    m_pressed = false;
    m_dragging = false;
    setKeepMouseGrab(false);
    setKeepTouchGrab(false);
}

void TileMapItem::mousePressEvent(QMouseEvent *e)
{
    pointerPress(e->position());
    e->accept();
}

void TileMapItem::mouseMoveEvent(QMouseEvent *e) { pointerMove(e->position()); }

void TileMapItem::mouseReleaseEvent(QMouseEvent *e) { pointerRelease(e->position()); }

void TileMapItem::mouseUngrabEvent() { pointerCancel(); }

void TileMapItem::touchUngrabEvent()
{
    pointerCancel();
    m_pinching = false;
}

void TileMapItem::handleTap(QPointF pos)
{
    // A second tap soon after a map tap, near the same spot, is a double tap: it zooms in, and
    // the waypoint the first tap added at once is taken back.
    if (m_lastTapClock.isValid() && m_lastTapClock.elapsed() < kDoubleTapMs
        && QLineF(pos, m_lastTapPos).length() < kDoubleTapSlop) {
        m_lastTapClock.invalidate();
        withdrawLastTap();
        zoomBy(2.0, pos);
        return;
    }
    m_lastTapClock.invalidate();
    m_tapAdded.reset();
    const int marker = markerAt(pos);
    if (marker >= 0) {
        Q_EMIT markerTapped(marker);
        return;
    }
    m_lastTapPos = pos;
    m_lastTapClock.start();
    // The tap acts at once; what it appended (if anything) is remembered so a double tap can undo it.
    const qsizetype before = m_markers ? m_markers->count() : -1;
    Q_EMIT mapTapped();
    if (m_markers && m_markers->count() == before + 1)
        m_tapAdded = TapAdded{before, m_markers->coordinates().constLast()};
}

void TileMapItem::withdrawLastTap()
{
    const std::optional<TapAdded> added = std::exchange(m_tapAdded, std::nullopt);
    if (!added || !m_markers)
        return;
    const auto &list = m_markers->coordinates();
    // Only if the list is still as the tap left it.
    if (list.size() != added->position + 1 || !(list.constLast() == added->coordinate))
        return;
    const auto marked = m_markers->marked();
    m_markers->removePositions({added->position});
    if (m_markers->marked() != marked)
        m_markers->setMarked(marked);
    Q_EMIT mapTapWithdrawn();
}

void TileMapItem::stepInertia()
{
    m_velocity *= 0.92;
    if (QLineF(QPointF(), m_velocity).length() < 0.02) {
        m_inertia.stop();
        return;
    }
    panBy(m_velocity.x() * 16, m_velocity.y() * 16);
}

void TileMapItem::wheelEvent(QWheelEvent *e)
{
    const double steps = e->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomBy(std::pow(2.0, steps / 2), e->position());
    e->accept();
}

void TileMapItem::touchEvent(QTouchEvent *e)
{
    if (e->type() == QEvent::TouchCancel) {
        touchUngrabEvent();
        e->accept();
        return;
    }
    // The fingers still down, in the order they landed.
    QList<const QEventPoint *> down;
    for (const QEventPoint &p : e->points())
        if (p.state() != QEventPoint::Released)
            down.append(&p);
    if (!m_pinching && down.size() >= 2) {
        // A second finger: whatever the first one started becomes a pinch.
        pointerCancel();
        m_pinching = true;
        m_inertia.stop();
        m_lastTapClock.invalidate();
        m_pinchIds = {down[0]->id(), down[1]->id()};
        m_pinchA = down[0]->position();
        m_pinchB = down[1]->position();
        setKeepTouchGrab(true);
    } else if (m_pinching) {
        const QEventPoint *pa = nullptr, *pb = nullptr;
        for (const QEventPoint *p : down) {
            if (p->id() == m_pinchIds.first)
                pa = p;
            else if (p->id() == m_pinchIds.second)
                pb = p;
        }
        if (pa && pb) {
            pinchTo(pa->position(), pb->position());
        } else if (down.size() >= 2) {
            // One of the pair lifted while others stay: continue with the two now down.
            m_pinchIds = {down[0]->id(), down[1]->id()};
            m_pinchA = down[0]->position();
            m_pinchB = down[1]->position();
        }
        if (down.isEmpty()) {
            // A pinch ends with all fingers up, and never as a tap.
            m_pinching = false;
            setKeepTouchGrab(false);
        }
    } else if (!e->points().isEmpty()) {
        const QEventPoint &p = e->points().constFirst();
        switch (p.state()) {
        case QEventPoint::Pressed:
            pointerPress(p.position());
            break;
        case QEventPoint::Released:
            pointerRelease(p.position());
            break;
        default:
            pointerMove(p.position());
            break;
        }
    }
    e->accept();
}

void TileMapItem::pinchTo(QPointF a, QPointF b)
{
    const QPointF midOld = (m_pinchA + m_pinchB) / 2, midNew = (a + b) / 2;
    const double dOld = QLineF(m_pinchA, m_pinchB).length(), dNew = QLineF(a, b).length();
    panBy(midNew.x() - midOld.x(), midNew.y() - midOld.y());
    if (dOld > 1 && dNew > 1)
        zoomBy(dNew / dOld, midNew);
    const double angOld = QLineF(m_pinchA, m_pinchB).angle(), angNew = QLineF(a, b).angle();
    double delta = angOld - angNew; // QLineF angles run counter-clockwise
    if (delta > 180)
        delta -= 360;
    if (delta < -180)
        delta += 360;
    if (std::abs(delta) > 0.01)
        rotateBy(-delta);
    m_pinchA = a;
    m_pinchB = b;
}
