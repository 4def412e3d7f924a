#include "TileMapItem.h"

#include <QLineF>

#include <utility>

// The map's input: the gesture recognizer's reports become camera moves and taps.

MapGestureRecognizer::Reports TileMapItem::gestureReports()
{
    MapGestureRecognizer::Reports r;
    r.contact = [this] { m_inertia.stop(); };
    // The pilot's own moves: a fit made for them is theirs now, and following waits.
    r.pan = [this](QPointF d) {
        m_framing.pilotMoved();
        panBy(d.x(), d.y());
    };
    r.zoom = [this](double factor, QPointF anchor) {
        m_framing.pilotMoved();
        zoomBy(factor, anchor);
    };
    r.rotate = [this](double degrees) {
        m_framing.pilotMoved();
        rotateBy(degrees);
    };
    r.fling = [this](QPointF velocity) {
        m_velocity = velocity;
        m_inertia.start();
    };
    r.tap = [this](QPointF at) {
        const int marker = markerAt(at);
        if (marker >= 0) {
            m_gestures.forgetTap(); // a marker tap is no first half of a double tap
            Q_EMIT markerTapped(marker);
            return;
        }
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapTapped(c.latitude, c.longitude);
    };
    r.doubleTap = [this](QPointF at) {
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapDoubleTapped(c.latitude, c.longitude);
        m_framing.pilotMoved();
        zoomBy(2.0, at);
    };
    r.longPress = [this](QPointF at) {
        if (markerAt(at) >= 0)
            return;
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapLongPressed(c.latitude, c.longitude);
    };
    r.holds = [this](QPointF at) {
        const int marker = m_markersMovable ? markerAt(at) : -1;
        const CoordinateListModel *list = m_markers.model();
        m_carried = {};
        if (marker < 0 || !list)
            return false;
        const QPointF centre = coordinateToPoint(list->latitudeAt(marker), list->longitudeAt(marker));
        m_carried = {marker, centre - at, false};
        return true;
    };
    r.carry = [this](QPointF at) {
        if (m_carried.index < 0)
            return;
        if (!std::exchange(m_carried.moved, true))
            Q_EMIT markerMoveStarted(m_carried.index);
        const zeltrin::Coordinate c = m_cam.coordinateAt(at + m_carried.grab);
        Q_EMIT markerMoved(m_carried.index, c.latitude, c.longitude);
    };
    r.drop = [this](QPointF) {
        const Carried done = std::exchange(m_carried, {});
        if (done.index >= 0 && done.moved)
            Q_EMIT markerMoveFinished(done.index);
    };
    return r;
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

// A drag or a pinch keeps the grab from the items under the map (a flickable sheet, say).
void TileMapItem::keepGrabs()
{
    setKeepMouseGrab(m_gestures.dragging());
    setKeepTouchGrab(m_gestures.dragging() || m_gestures.pinching());
}

void TileMapItem::mousePressEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
    e->accept();
}

void TileMapItem::mouseMoveEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
}

void TileMapItem::mouseReleaseEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
}

void TileMapItem::mouseUngrabEvent()
{
    m_gestures.cancelPointer();
    keepGrabs();
}

void TileMapItem::touchEvent(QTouchEvent *e)
{
    m_gestures.touchEvent(*e);
    keepGrabs();
    e->accept();
}

void TileMapItem::touchUngrabEvent()
{
    m_gestures.cancelTouch();
    keepGrabs();
}

void TileMapItem::wheelEvent(QWheelEvent *e)
{
    m_gestures.wheelEvent(*e);
    e->accept();
}
