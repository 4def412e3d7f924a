#include "ElevationModel.h"

#include "WebMercator.h"

#include <algorithm>
#include <cmath>

namespace zeltrin::terrain {

ElevationModel::ElevationModel(ElevationStore &store, int maxTiles) : m_store(store), m_maxTiles(std::max(4, maxTiles))
{
    reload();
}

void ElevationModel::reload()
{
    m_cache.clear();
    m_last = nullptr;
    m_lastKey = ~std::uint64_t(0);
    m_areas = m_store.areas();
    // A zoom the tile grid cannot hold (a damaged row) is no data, not a crash.
    m_areas.removeIf([](const ElevationArea &a) { return a.zoom < 0 || a.zoom > 24; });
    std::stable_sort(m_areas.begin(), m_areas.end(),
                     [](const ElevationArea &a, const ElevationArea &b) { return a.zoom > b.zoom; });
}

int ElevationModel::preload(qint64 areaId)
{
    int held = 0;
    const auto at = std::find_if(m_areas.begin(), m_areas.end(), [&](const auto &a) { return a.id == areaId; });
    if (at == m_areas.end())
        return 0;
    const int slot = int(at - m_areas.begin());
    for (const ElevationTileBlob &t : m_store.tilesOf(areaId)) {
        if (int(m_cache.size()) >= m_maxTiles && !m_cache.count(key(slot, t.z, t.x, t.y)))
            break;
        if (tileOf(slot, areaId, t.z, t.x, t.y))
            ++held;
    }
    return held;
}

std::uint64_t ElevationModel::key(int slot, int z, int x, int y)
{
    // Zoom 24 at most fits x and y in 24 bits each; 11 bits tell the areas apart (by their place in
    // the list, which is small, not by id, which grows).
    return (std::uint64_t(slot & 0x7FF) << 53) | (std::uint64_t(z & 0x1F) << 48) | (std::uint64_t(x & 0xFFFFFF) << 24)
        | std::uint64_t(y & 0xFFFFFF);
}

const ElevationTile *ElevationModel::tileOf(int slot, qint64 areaId, int z, int x, int y) const
{
    const std::uint64_t k = key(slot, z, x, y);
    if (k == m_lastKey)
        return m_last;
    auto it = m_cache.find(k);
    if (it == m_cache.end()) {
        if (int(m_cache.size()) >= m_maxTiles) {
            auto oldest = std::min_element(m_cache.begin(), m_cache.end(),
                                           [](const auto &a, const auto &b) { return a.second.used < b.second.used; });
            m_cache.erase(oldest);
            m_lastKey = ~std::uint64_t(0);
        }
        Entry e;
        if (const auto png = m_store.tile(areaId, z, x, y)) {
            if (auto decoded = decodeTerrarium(*png))
                e.tile = std::make_shared<const ElevationTile>(std::move(*decoded));
        }
        it = m_cache.emplace(k, std::move(e)).first;
    }
    it->second.used = ++m_clock;
    m_lastKey = k;
    m_last = it->second.tile.get();
    return m_last;
}

std::optional<double> ElevationModel::heightIn(int slot, const ElevationArea &area, double latitude,
                                               double longitude) const
{
    const int z = area.zoom;
    const double pixels = double(ElevationTile::kSize) * double(1 << z);
    // Samples sit at pixel centres: the four around the place are at floor(p - 0.5) and the next.
    const double px = mercator::worldX(longitude) * pixels - 0.5;
    const double py = mercator::worldY(latitude) * pixels - 0.5;
    const double fx0 = std::floor(px), fy0 = std::floor(py);
    if (!(fx0 >= 0 && fy0 >= 0 && fx0 + 1 < pixels && fy0 + 1 < pixels))
        return std::nullopt; // NaN lands here too
    const auto x0 = qint64(fx0), y0 = qint64(fy0);
    const double fx = px - fx0, fy = py - fy0;
    float h[4];
    for (int i = 0; i < 4; ++i) {
        const qint64 gx = x0 + (i & 1), gy = y0 + (i >> 1);
        const ElevationTile *t = tileOf(slot, area.id, z, int(gx >> 8), int(gy >> 8));
        if (!t)
            return std::nullopt;
        h[i] = t->at(int(gx & 0xFF), int(gy & 0xFF));
        if (std::isnan(h[i]))
            return std::nullopt;
    }
    const double top = h[0] + (h[1] - h[0]) * fx;
    const double bottom = h[2] + (h[3] - h[2]) * fx;
    return top + (bottom - top) * fy;
}

std::optional<double> ElevationModel::heightAt(double latitude, double longitude) const
{
    for (int slot = 0; slot < int(m_areas.size()); ++slot) {
        const ElevationArea &area = m_areas[slot];
        if (!area.contains(latitude, longitude))
            continue;
        if (auto h = heightIn(slot, area, latitude, longitude))
            return h;
    }
    return std::nullopt;
}

} // namespace zeltrin::terrain
