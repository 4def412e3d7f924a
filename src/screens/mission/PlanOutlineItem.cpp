#include "PlanOutlineItem.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr qreal kLineWidth = 1.5;
constexpr qreal kStartDot = 4.0;
} // namespace

PlanOutlineItem::PlanOutlineItem(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void PlanOutlineItem::setPoints(const QList<QPointF> &points)
{
    if (m_points == points)
        return;
    m_points = points;
    update();
    Q_EMIT pointsChanged();
}

void PlanOutlineItem::setColor(const QColor &c)
{
    if (m_color == c)
        return;
    m_color = c;
    update();
    Q_EMIT colorChanged();
}

void PlanOutlineItem::paint(QPainter *painter)
{
    if (m_points.isEmpty())
        return;
    // The unit square, inset so the stroke and the dot stay inside.
    const qreal inset = kStartDot / 2 + 1;
    const qreal side = std::max<qreal>(0, std::min(width(), height()) - 2 * inset);
    const QPointF origin((width() - side) / 2, (height() - side) / 2);
    const auto at = [&](const QPointF &p) { return origin + p * side; };
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_points.size() > 1) {
        QPainterPath path(at(m_points.first()));
        for (qsizetype i = 1; i < m_points.size(); ++i)
            path.lineTo(at(m_points[i]));
        QPen pen(m_color, kLineWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        painter->strokePath(path, pen);
    }
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_color);
    painter->drawEllipse(at(m_points.first()), kStartDot / 2, kStartDot / 2);
}
