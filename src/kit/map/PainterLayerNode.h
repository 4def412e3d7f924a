#pragma once

#include <QRectF>
#include <QSGRenderNode>

#include <functional>

class QPainter;
class QQuickWindow;

// A layer painted with QPainter straight into the software renderer's painter each frame: that
// renderer draws no geometry nodes, so the map's layers paint the same data there.
class PainterLayerNode : public QSGRenderNode
{
public:
    std::function<void(QPainter *)> paint;
    QRectF bounds;
    QQuickWindow *window = nullptr;

    // The painter node in `slot` (made on first use), over `bounds` and to be painted this frame.
    static PainterLayerNode *in(QSGNode *slot, QQuickWindow *window, QRectF bounds);

    void render(const RenderState *state) override;
    StateFlags changedStates() const override { return {}; }
    RenderingFlags flags() const override { return BoundedRectRendering; }
    QRectF rect() const override { return bounds; }
};
