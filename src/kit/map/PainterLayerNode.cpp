#include "PainterLayerNode.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGRendererInterface>

PainterLayerNode *PainterLayerNode::in(QSGNode *slot, QQuickWindow *window, QRectF bounds)
{
    auto *node = static_cast<PainterLayerNode *>(slot->firstChild());
    if (!node) {
        node = new PainterLayerNode;
        node->window = window;
        slot->appendChildNode(node);
    }
    node->bounds = bounds;
    node->markDirty(QSGNode::DirtyMaterial);
    return node;
}

void PainterLayerNode::render(const RenderState *state)
{
    auto *p = static_cast<QPainter *>(
        window->rendererInterface()->getResource(window, QSGRendererInterface::PainterResource));
    if (!p || !paint)
        return;
    p->save();
    // The clip is in window pixels: set it before the item's transform, or it moves with it.
    if (const QRegion *clip = state->clipRegion(); clip && !clip->isEmpty())
        p->setClipRegion(*clip, Qt::ReplaceClip);
    p->setTransform(matrix()->toTransform());
    p->setOpacity(inheritedOpacity());
    paint(p);
    p->restore();
}
