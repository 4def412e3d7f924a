#include "BatteryMarks.h"

#include "Palette.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

BatteryMarks::BatteryMarks(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setVisible(false);
}

void BatteryMarks::setMap(TileMapItem *map)
{
    if (m_map == map)
        return;
    if (m_map)
        m_map->disconnect(this);
    m_map = map;
    if (map) {
        connect(map, &TileMapItem::regionChanged, this, &BatteryMarks::refresh);
        connect(map, &TileMapItem::bearingChanged, this, &BatteryMarks::refresh);
    }
    Q_EMIT mapChanged();
    refresh();
}

void BatteryMarks::setBatteries(MissionBatteries *batteries)
{
    if (m_batteries == batteries)
        return;
    if (m_batteries)
        m_batteries->disconnect(this);
    m_batteries = batteries;
    if (batteries)
        connect(batteries, &MissionBatteries::changed, this, [this] {
            refresh();
            Q_EMIT marksChanged();
        });
    Q_EMIT batteriesChanged();
    Q_EMIT marksChanged();
    refresh();
}

void BatteryMarks::refresh()
{
    setVisible(m_map && markCount() > 0);
    if (isVisible())
        update();
}

void BatteryMarks::paint(QPainter *painter)
{
    if (!m_map || !m_batteries)
        return;
    const auto &palette = zeltrin::palette();
    QFont font = painter->font();
    font.setPixelSize(13);
    font.setBold(true);
    painter->setFont(font);
    const QFontMetricsF metrics(font);
    for (const MissionBatteries::Start &s : m_batteries->starts()) {
        const QPointF at = mapFromItem(m_map, m_map->coordinateToPoint(s.at.latitude, s.at.longitude));
        // A ring on the place, the label above it.
        painter->setPen(QPen(palette.themeGold, 3));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(at, 9, 9);
        const QString text = MissionBatteries::startText(s.part);
        const QSizeF size(metrics.horizontalAdvance(text) + 16, metrics.height() + 8);
        // Kept on screen whole: a mark at the map's edge still reads.
        const double left = std::clamp(at.x() - size.width() / 2, 4.0, std::max(4.0, width() - size.width() - 4));
        const QRectF pill(left, at.y() - 14 - size.height(), size.width(), size.height());
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.themeGold);
        painter->drawRoundedRect(pill, size.height() / 2, size.height() / 2);
        painter->setPen(palette.themeBackground);
        painter->drawText(pill, Qt::AlignCenter, text);
    }
}
