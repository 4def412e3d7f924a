#include "BatteryMarks.h"

#include "Palette.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

BatteryMarks::BatteryMarks(QQuickItem *parent) : PaintedMapMarks(parent) {}

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

void BatteryMarks::paint(QPainter *painter)
{
    if (!map() || !m_batteries)
        return;
    const auto &palette = zeltrin::palette();
    QFont font = painter->font();
    font.setPixelSize(13);
    font.setBold(true);
    painter->setFont(font);
    const QFontMetricsF metrics(font);
    for (const MissionBatteries::Start &s : m_batteries->starts()) {
        const QPointF at = pointOf(s.at.latitude, s.at.longitude);
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
