#include "UnknownGroundLegs.h"

#include "MissionTerrain.h"
#include "Palette.h"
#include "TileMapItem.h"

#include <QPainter>

UnknownGroundLegs::UnknownGroundLegs(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setVisible(false);
}

void UnknownGroundLegs::setMap(TileMapItem *map)
{
    if (m_map == map)
        return;
    if (m_map)
        m_map->disconnect(this);
    m_map = map;
    if (map) {
        connect(map, &TileMapItem::regionChanged, this, &UnknownGroundLegs::refresh);
        connect(map, &TileMapItem::bearingChanged, this, &UnknownGroundLegs::refresh);
    }
    Q_EMIT mapChanged();
    refresh();
}

void UnknownGroundLegs::setTerrain(MissionTerrain *terrain)
{
    if (m_terrain == terrain)
        return;
    if (m_terrain)
        m_terrain->disconnect(this);
    m_terrain = terrain;
    if (terrain)
        connect(terrain, &MissionTerrain::changed, this, [this] {
            refresh();
            Q_EMIT legsChanged();
        });
    Q_EMIT terrainChanged();
    Q_EMIT legsChanged();
    refresh();
}

int UnknownGroundLegs::legCount() const
{
    return m_terrain ? int(m_terrain->unknownLegs().size()) : 0;
}

void UnknownGroundLegs::refresh()
{
    setVisible(m_map && legCount() > 0);
    if (isVisible())
        update();
}

void UnknownGroundLegs::paint(QPainter *painter)
{
    if (!m_map || !m_terrain)
        return;
    QPen pen(zeltrin::palette().themeRed, 4, Qt::SolidLine, Qt::RoundCap);
    painter->setPen(pen);
    for (const auto &[from, to] : m_terrain->unknownLegs()) {
        const QPointF a = mapFromItem(m_map, m_map->coordinateToPoint(from.latitude, from.longitude));
        const QPointF b = mapFromItem(m_map, m_map->coordinateToPoint(to.latitude, to.longitude));
        painter->drawLine(a, b);
    }
}
