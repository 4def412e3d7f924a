#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QQuickPaintedItem>

// A plan's path in small, for a row of the plan library: the outline (points in the unit
// square, see planOutline) stroked in `color`, with a dot where the flight starts. A small
// painted image per row: a list shows a screenful at a time, and the software renderer, which
// draws no custom geometry, draws it too.
class PlanOutlineItem : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<QPointF> points READ points WRITE setPoints NOTIFY pointsChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
public:
    explicit PlanOutlineItem(QQuickItem *parent = nullptr);

    QList<QPointF> points() const { return m_points; }
    void setPoints(const QList<QPointF> &points);
    QColor color() const { return m_color; }
    void setColor(const QColor &c);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void pointsChanged();
    void colorChanged();

private:
    QList<QPointF> m_points;
    QColor m_color{Qt::white};
};
