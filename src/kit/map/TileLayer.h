#pragma once

#include "MapCamera.h"
#include "MapOverlay.h"
#include "TileLoader.h"

#include <QLineF>
#include <QString>

#include <memory>
#include <vector>

class QSGNode;

// The ground of the map: a dark background, the graticule (meridians and parallels, so the map
// is usable with no tiles at all), then the imagery and its labels overlay, turned with the map.
// It holds the tile sources and the loader, and asks for the tiles the camera shows.
class TileLayer
{
public:
    TileLayer();

    TileLoader &loader() { return m_loader; }
    const TileLoader &loader() const { return m_loader; }
    // Layer 0 is the imagery, 1 its labels.
    QString urlTemplate(int layer) const { return m_templates[layer]; }
    void setUrlTemplate(int layer, const QString &t);
    QString attribution() const { return m_attribution; }
    void setAttribution(const QString &a) { m_attribution = a; }
    QString cacheDirectory() const { return m_cacheDir; }
    void setCacheDirectory(const QString &dir);
    // Tiles of one layer on screen, as last asked for.
    int visibleCount() const { return m_visible; }
    // Mean size of the tile bodies fetched so far (0 before the first).
    double meanTileBytes() const;

    // Whether any imagery is drawn in the view: a tile of the camera's zoom, or one of another
    // zoom standing in for it.
    bool imageryShown(const MapCamera &cam) const;

    // Asks for the tiles the camera shows: imagery before labels, centre tiles first.
    void request(const MapCamera &cam);
    // Brings its nodes up to date, making them when `node` is null; returns them.
    QSGNode *updateNode(QSGNode *node, const LayerSync &s);

private:
    TileLoader m_loader;
    QString m_templates[2];
    QString m_attribution;
    QString m_cacheDir;
    int m_visible = 0;
    // In the overlay frame; shared with the software painter.
    std::shared_ptr<const std::vector<QLineF>> m_graticule;
};
