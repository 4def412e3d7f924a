#include "PaintedMapMarks.h"

PaintedMapMarks::PaintedMapMarks(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setVisible(false);
}

void PaintedMapMarks::setMap(TileMapItem *map)
{
    if (m_map == map)
        return;
    if (m_map)
        m_map->disconnect(this);
    m_map = map;
    if (map) {
        connect(map, &TileMapItem::regionChanged, this, &PaintedMapMarks::refresh);
        connect(map, &TileMapItem::bearingChanged, this, &PaintedMapMarks::refresh);
    }
    Q_EMIT mapChanged();
    refresh();
}

void PaintedMapMarks::refresh()
{
    setVisible(m_map && hasMarks());
    if (isVisible())
        update();
}

QPointF PaintedMapMarks::pointOf(double latitude, double longitude) const
{
    return m_map ? mapFromItem(m_map, m_map->coordinateToPoint(latitude, longitude)) : QPointF();
}
