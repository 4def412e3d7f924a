#pragma once

#include "ElevationSource.h"
#include "ElevationStore.h"
#include "ElevationTile.h"

#include <QList>

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace zeltrin::terrain {

// Heights from the elevation store: bilinear between the four samples around a place, from the
// finest area that has all four. A void among them, or a tile not stored, is no answer from that
// area, never 0 m. Decoded tiles are kept in a bounded cache (least recently used go first);
// a tile not in it is read from the store on first use. Not thread-safe: heightAt() fills the
// cache, so one thread owns an instance (the planner's makes its own).
class ElevationModel : public ElevationSource
{
public:
    // The store must outlive the model.
    explicit ElevationModel(ElevationStore &store, int maxTiles = 256);

    // Reads the store's areas again (after an import or a removal) and empties the cache.
    void reload();
    // The areas, finest first: what the settings list shows.
    const QList<ElevationArea> &areas() const { return m_areas; }
    // Decodes an area's tiles up front, up to the cache's bound; returns how many are held.
    int preload(qint64 areaId);
    int cachedTiles() const { return int(m_cache.size()); }

    std::optional<double> heightAt(double latitude, double longitude) const override;

private:
    using Tile = std::shared_ptr<const ElevationTile>;
    struct Entry {
        Tile tile; // null: not stored, or not readable
        std::uint64_t used = 0;
    };
    static std::uint64_t key(int slot, int z, int x, int y);
    const ElevationTile *tileOf(int slot, qint64 areaId, int z, int x, int y) const;
    std::optional<double> heightIn(int slot, const ElevationArea &area, double latitude, double longitude) const;

    ElevationStore &m_store;
    QList<ElevationArea> m_areas;
    int m_maxTiles;
    mutable std::unordered_map<std::uint64_t, Entry> m_cache;
    mutable std::uint64_t m_clock = 0;
    // The last tile asked for: neighbouring samples mostly fall in it.
    mutable std::uint64_t m_lastKey = ~std::uint64_t(0);
    mutable const ElevationTile *m_last = nullptr;
};

} // namespace zeltrin::terrain
