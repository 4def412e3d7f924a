#pragma once

#include <QtGlobal>

#include <functional>

namespace zeltrin::offline {

// An area in degrees; west may exceed east only never (the map never frames the antimeridian
// across its edge: the frame is clamped to one world copy).
struct GeoBounds {
    double south = 0;
    double west = 0;
    double north = 0;
    double east = 0;
    bool isValid() const;
};

// The tiles of one zoom level that cover an area: columns x0..x1, rows y0..y1 (XYZ, rows
// counted from the north).
struct TileSpan {
    int z = 0;
    int x0 = 0;
    int x1 = -1;
    int y0 = 0;
    int y1 = -1;
    qint64 count() const { return x1 < x0 || y1 < y0 ? 0 : qint64(x1 - x0 + 1) * (y1 - y0 + 1); }
};

constexpr int kMinZoom = 0;
constexpr int kMaxZoom = 19;

// The covering span at z (clamped to 0..kMaxZoom); an invalid area covers nothing.
TileSpan tileSpan(const GeoBounds &b, int z);
// Tiles at every zoom from minZoom to maxZoom.
qint64 tileCount(const GeoBounds &b, int minZoom, int maxZoom);
// Visits the tiles zoom by zoom, coarse first; stops when `visit` answers false.
void forEachTile(const GeoBounds &b, int minZoom, int maxZoom, const std::function<bool(int z, int x, int y)> &visit);

// MBTiles counts rows from the south (TMS); the map from the north.
inline int tmsRow(int z, int y) { return (1 << z) - 1 - y; }

} // namespace zeltrin::offline
