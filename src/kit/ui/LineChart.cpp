#include "LineChart.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGFlatColorMaterial>
#include <QSGGeometryNode>
#include <QSGImageNode>
#include <QSGRendererInterface>

#include <cmath>

LineChart::LineChart(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void LineChart::setPoints(const QList<QPointF> &points)
{
    m_points.clear();
    m_points.reserve(points.size());
    for (const QPointF &p : points)
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            m_points << p;
    m_lowest = m_highest = m_points.isEmpty() ? 0.0 : m_points.first().y();
    for (const QPointF &p : std::as_const(m_points)) {
        m_lowest = std::min(m_lowest, p.y());
        m_highest = std::max(m_highest, p.y());
    }
    Q_EMIT pointsChanged();
    update();
}

void LineChart::setColor(const QColor &c) { m_color = c; Q_EMIT styleChanged(); update(); }
void LineChart::setLineWidth(qreal w) { m_lineWidth = std::isfinite(w) ? std::max<qreal>(0.5, w) : 2; Q_EMIT styleChanged(); update(); }
void LineChart::setMinimumValue(qreal v) { m_min = v; Q_EMIT styleChanged(); update(); }
void LineChart::setMaximumValue(qreal v) { m_max = v; Q_EMIT styleChanged(); update(); }

void LineChart::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

QSGNode *LineChart::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    const qsizetype n = m_points.size();
    if (n < 2 || width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    const double x0 = m_points.first().x(), x1 = m_points.last().x();
    double lo = std::isfinite(m_min) ? m_min : m_lowest, hi = std::isfinite(m_max) ? m_max : m_highest;
    if (hi - lo < 1e-9)
        hi = lo + 1;
    const double spanX = x1 - x0 > 1e-9 ? x1 - x0 : 1;
    const double inset = m_lineWidth / 2;
    const double w = width(), h = height() - 2 * inset;
    auto map = [&](const QPointF &p) {
        const double y = std::clamp((p.y() - lo) / (hi - lo), 0.0, 1.0);
        return QPointF((p.x() - x0) / spanX * w, inset + (1 - y) * h);
    };
    QColor under = m_color;
    under.setAlphaF(0.18f);

    if (window()->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
        // The software renderer draws no geometry nodes: the same curve, painted.
        const qreal dpr = window()->effectiveDevicePixelRatio();
        QImage image(QSize(int(std::ceil(w * dpr)), int(std::ceil(height() * dpr))), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath curve;
        curve.moveTo(map(m_points.first()));
        for (qsizetype i = 1; i < n; ++i)
            curve.lineTo(map(m_points[i]));
        QPainterPath area = curve;
        area.lineTo(w, height());
        area.lineTo(0, height());
        area.closeSubpath();
        p.fillPath(area, under);
        p.setPen(QPen(m_color, m_lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(curve);
        p.end();
        auto *node = static_cast<QSGImageNode *>(old);
        if (!node) {
            node = window()->createImageNode();
            node->setOwnsTexture(true);
        }
        node->setTexture(window()->createTextureFromImage(image));
        node->setRect(QRectF(0, 0, w, height()));
        return node;
    }

    auto *root = static_cast<QSGNode *>(old);
    QSGGeometryNode *fill = nullptr, *line = nullptr;
    if (!root) {
        root = new QSGNode;
        for (int i = 0; i < 2; ++i) {
            auto *node = new QSGGeometryNode;
            auto *geometry = new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(), 0);
            geometry->setDrawingMode(i == 0 ? QSGGeometry::DrawTriangleStrip : QSGGeometry::DrawTriangles);
            node->setGeometry(geometry);
            node->setFlag(QSGNode::OwnsGeometry);
            node->setMaterial(new QSGFlatColorMaterial);
            node->setFlag(QSGNode::OwnsMaterial);
            root->appendChildNode(node);
        }
    }
    fill = static_cast<QSGGeometryNode *>(root->firstChild());
    line = static_cast<QSGGeometryNode *>(root->lastChild());

    QSGGeometry *fg = fill->geometry();
    fg->allocate(int(2 * n));
    auto *fv = fg->vertexDataAsPoint2D();
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF p = map(m_points[i]);
        fv[2 * i].set(float(p.x()), float(p.y()));
        fv[2 * i + 1].set(float(p.x()), float(height()));
    }
    static_cast<QSGFlatColorMaterial *>(fill->material())->setColor(under);
    fill->markDirty(QSGNode::DirtyGeometry | QSGNode::DirtyMaterial);

    QSGGeometry *lg = line->geometry();
    lg->allocate(int(6 * (n - 1)));
    auto *lv = lg->vertexDataAsPoint2D();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const QPointF a = map(m_points[i]), b = map(m_points[i + 1]);
        QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        const QPointF nrm = len > 1e-9 ? QPointF(-d.y() / len, d.x() / len) * inset : QPointF(0, inset);
        const QPointF q[4] = {a + nrm, a - nrm, b + nrm, b - nrm};
        const int order[6] = {0, 1, 2, 1, 3, 2};
        for (int k = 0; k < 6; ++k)
            lv[6 * i + k].set(float(q[order[k]].x()), float(q[order[k]].y()));
    }
    static_cast<QSGFlatColorMaterial *>(line->material())->setColor(m_color);
    line->markDirty(QSGNode::DirtyGeometry | QSGNode::DirtyMaterial);
    return root;
}
