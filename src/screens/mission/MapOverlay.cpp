#include "MapOverlay.h"

MapOverlay::MapOverlay(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setVisible(false);
}

void MapOverlay::setMap(TileMapItem *map)
{
    if (m_map == map)
        return;
    if (m_map)
        m_map->disconnect(this);
    m_map = map;
    if (map) {
        connect(map, &TileMapItem::regionChanged, this, &MapOverlay::refresh);
        connect(map, &TileMapItem::bearingChanged, this, &MapOverlay::refresh);
    }
    Q_EMIT mapChanged();
    refresh();
}

void MapOverlay::refresh()
{
    setVisible(m_map && hasMarks());
    if (isVisible())
        update();
}

QPointF MapOverlay::pointOf(double latitude, double longitude) const
{
    return m_map ? mapFromItem(m_map, m_map->coordinateToPoint(latitude, longitude)) : QPointF();
}
