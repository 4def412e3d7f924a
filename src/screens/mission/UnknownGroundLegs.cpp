#include "UnknownGroundLegs.h"

#include "MissionTerrain.h"
#include "Palette.h"

#include <QPainter>

UnknownGroundLegs::UnknownGroundLegs(QQuickItem *parent) : PaintedMapMarks(parent) {}

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

void UnknownGroundLegs::paint(QPainter *painter)
{
    if (!map() || !m_terrain)
        return;
    QPen pen(zeltrin::palette().themeRed, 4, Qt::SolidLine, Qt::RoundCap);
    painter->setPen(pen);
    for (const auto &[from, to] : m_terrain->unknownLegs()) {
        painter->drawLine(pointOf(from.latitude, from.longitude), pointOf(to.latitude, to.longitude));
    }
}
