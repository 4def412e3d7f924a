#include "TileRange.h"

#include "WebMercator.h"

#include <algorithm>
#include <cmath>

namespace zeltrin::offline {

bool GeoBounds::isValid() const
{
    return std::isfinite(south) && std::isfinite(west) && std::isfinite(north) && std::isfinite(east)
        && south < north && west < east && south >= -90 && north <= 90 && west >= -180 && east <= 180;
}

namespace {
// The tile index of a world coordinate (0..1) at n tiles a side, kept inside the world.
int tileIndex(double world, int n)
{
    const double t = std::floor(std::clamp(world, 0.0, 1.0) * n);
    return std::clamp(int(std::min(t, double(n - 1))), 0, n - 1);
}
} // namespace

TileSpan tileSpan(const GeoBounds &b, int z)
{
    TileSpan s;
    s.z = std::clamp(z, kMinZoom, kMaxZoom);
    if (!b.isValid())
        return s;
    const int n = 1 << s.z;
    s.x0 = tileIndex(mercator::worldX(b.west), n);
    s.x1 = tileIndex(mercator::worldX(b.east), n);
    s.y0 = tileIndex(mercator::worldY(b.north), n);
    s.y1 = tileIndex(mercator::worldY(b.south), n);
    return s;
}

qint64 tileCount(const GeoBounds &b, int minZoom, int maxZoom)
{
    qint64 total = 0;
    for (int z = std::max(minZoom, kMinZoom); z <= std::min(maxZoom, kMaxZoom); ++z)
        total += tileSpan(b, z).count();
    return total;
}

void forEachTile(const GeoBounds &b, int minZoom, int maxZoom, const std::function<bool(int, int, int)> &visit)
{
    for (int z = std::max(minZoom, kMinZoom); z <= std::min(maxZoom, kMaxZoom); ++z) {
        const TileSpan s = tileSpan(b, z);
        for (int y = s.y0; y <= s.y1; ++y)
            for (int x = s.x0; x <= s.x1; ++x)
                if (!visit(z, x, y))
                    return;
    }
}

} // namespace zeltrin::offline
