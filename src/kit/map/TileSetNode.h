#pragma once

#include "MapCamera.h"
#include "TileLoader.h"

#include <QHash>
#include <QSGNode>

class QQuickWindow;
class QSGImageNode;

// One tile set (the imagery, or the labels) under the map's rotation. Where a tile of the
// current zoom has not arrived, the nearest loaded ancestor (up to four levels up) or the loaded
// children show in its place, so the map never goes blank while zooming. Coarser tiles lie
// underneath finer ones.
class TileSetNode : public QSGNode
{
public:
    TileSetNode();
    // Returns how many tiles of the current zoom are drawn.
    int update(QQuickWindow *window, const TileLoader &loader, const MapCamera &cam, int layer);

private:
    QSGImageNode *nodeFor(QQuickWindow *window, const TileKey &k, const QImage &img);
    QHash<TileKey, QSGImageNode *> m_tiles;
    QSGNode *m_levels[3]; // ancestors, children, the current zoom
};
