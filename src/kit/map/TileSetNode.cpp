#include "TileSetNode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTransformNode>

#include <algorithm>

TileSetNode::TileSetNode()
{
    // Transform nodes (identity), not plain ones: the software renderer takes the position of a
    // node added later from its parent's recorded state, which it keeps for transform nodes.
    for (QSGNode *&level : m_levels) {
        level = new QSGTransformNode;
        appendChildNode(level);
    }
}

QSGImageNode *TileSetNode::nodeFor(QQuickWindow *window, const TileKey &placed, const QImage &img)
{
    if (QSGImageNode *tn = m_tiles.take(placed))
        return tn;
    QSGImageNode *tn = window->createImageNode();
    tn->setTexture(window->createTextureFromImage(img));
    tn->setOwnsTexture(true);
    tn->setFiltering(QSGTexture::Linear);
    return tn;
}

int TileSetNode::update(QQuickWindow *window, const TileLoader &loader, const MapCamera &cam, int layer)
{
    const int z = cam.tileZoom();
    const TileRange range = cam.tilesCovering(z);
    const int n = 1 << z;
    // What to draw, by the tile that supplies the pixels; the x of a wrapped copy is kept apart.
    QHash<TileKey, TileKey> shown; // placed (x not wrapped) -> the tile supplying the pixels
    int exact = 0;
    auto place = [&](const TileKey &source, int unwrappedX) {
        TileKey placedKey = source;
        placedKey.x = unwrappedX; // copies of a tile across the date line are separate nodes
        shown.insert(placedKey, source);
    };
    for (int y = range.y0; y <= range.y1; ++y) {
        for (int x = range.x0; x <= range.x1; ++x) {
            const TileKey k{layer, z, ((x % n) + n) % n, y};
            if (loader.image(k)) {
                place(k, x);
                ++exact;
                continue;
            }
            // The children that arrived (zooming out), over the nearest ancestor (zooming in).
            if (z < MapCamera::kMaxTileZoom)
                for (const auto &[child, img] : loader.loadedChildren(k))
                    place(child, x * 2 + (child.x & 1));
            if (const auto up = loader.fallback(k))
                place(up->key, x >> up->levelsUp); // floor division, also for columns left of the world
        }
    }
    // Position every shown tile relative to the camera's centre; the parent node rotates them.
    QHash<TileKey, QSGImageNode *> kept;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
        const TileKey &placed = it.key();
        const TileKey &source = it.value();
        const QImage *img = loader.image(source);
        if (!img)
            continue;
        QSGImageNode *tn = nodeFor(window, placed, *img);
        kept.insert(placed, tn);
        const int tn1 = 1 << placed.z;
        const double tilePx = cam.scale / tn1;
        const double left = (double(placed.x) / tn1 - cam.cx) * cam.scale;
        const double top = (double(placed.y) / tn1 - cam.cy) * cam.scale;
        tn->setRect(QRectF(left, top, tilePx, tilePx));

        QSGNode *level = m_levels[placed.z < z ? 0 : placed.z > z ? 1 : 2];
        if (tn->parent() != level) {
            if (tn->parent())
                tn->parent()->removeChildNode(tn);
            level->appendChildNode(tn);
        }
    }
    // Tiles no longer shown give their textures back.
    for (QSGImageNode *gone : std::as_const(m_tiles))
        delete gone;
    m_tiles = std::move(kept);
    // Among the ancestors, coarser ones go underneath.
    QSGNode *anc = m_levels[0];
    if (anc->childCount() > 1) {
        std::vector<std::pair<int, QSGNode *>> order;
        for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it)
            if (it.value()->parent() == anc)
                order.emplace_back(it.key().z, it.value());
        std::stable_sort(order.begin(), order.end(), [](auto &a, auto &b) { return a.first < b.first; });
        bool sorted = true;
        QSGNode *c = anc->firstChild();
        for (auto &o : order) {
            if (c != o.second) {
                sorted = false;
                break;
            }
            c = c->nextSibling();
        }
        if (!sorted) {
            anc->removeAllChildNodes();
            for (auto &o : order)
                anc->appendChildNode(o.second);
        }
    }
    return exact;
}
