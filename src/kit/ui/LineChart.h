#pragma once

#include <QColor>
#include <QPointF>
#include <QQuickItem>

// A line over a lightly filled area, for a curve of a few hundred points (the detail page's
// altitude and battery). Drawn as scene-graph triangles: thick lines are not available on
// every GPU back end, and a few hundred segments cost one draw call.
class LineChart : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<QPointF> points READ points WRITE setPoints NOTIFY pointsChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY styleChanged)
    Q_PROPERTY(qreal lineWidth READ lineWidth WRITE setLineWidth NOTIFY styleChanged)
    // The value range shown; NaN (the default) takes it from the points.
    Q_PROPERTY(qreal minimumValue READ minimumValue WRITE setMinimumValue NOTIFY styleChanged)
    Q_PROPERTY(qreal maximumValue READ maximumValue WRITE setMaximumValue NOTIFY styleChanged)
    Q_PROPERTY(qreal lowestValue READ lowestValue NOTIFY pointsChanged)
    Q_PROPERTY(qreal highestValue READ highestValue NOTIFY pointsChanged)

public:
    explicit LineChart(QQuickItem *parent = nullptr);

    QList<QPointF> points() const { return m_points; }
    void setPoints(const QList<QPointF> &points);
    QColor color() const { return m_color; }
    void setColor(const QColor &c);
    qreal lineWidth() const { return m_lineWidth; }
    void setLineWidth(qreal w);
    qreal minimumValue() const { return m_min; }
    void setMinimumValue(qreal v);
    qreal maximumValue() const { return m_max; }
    void setMaximumValue(qreal v);
    qreal lowestValue() const { return m_lowest; }
    qreal highestValue() const { return m_highest; }

Q_SIGNALS:
    void pointsChanged();
    void styleChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    QList<QPointF> m_points;
    QColor m_color = Qt::white;
    qreal m_lineWidth = 2;
    qreal m_min = qQNaN(), m_max = qQNaN();
    qreal m_lowest = 0, m_highest = 0;
};
