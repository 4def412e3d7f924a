// An elevation tile of any content: the decoder gives a 256×256 tile or refuses with a reason,
// and a tile it gives survives its own round trip (voids stay voids, heights within the quantum).
#include "ElevationTile.h"
#include "FuzzCheck.h"

#include <cmath>

using namespace zeltrin::terrain;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto tile = decodeTerrarium(bytes, &error);
    FUZZ_CHECK(tile.has_value() == error.isEmpty());
    if (!tile)
        return 0;
    FUZZ_CHECK(tile->heights.size() == size_t(ElevationTile::kSize) * ElevationTile::kSize);
    const auto again = decodeTerrarium(encodeTerrarium(*tile));
    FUZZ_CHECK(again.has_value());
    for (size_t i = 0; i < tile->heights.size(); ++i) {
        const float a = tile->heights[i], b = again->heights[i];
        FUZZ_CHECK(std::isnan(a) == std::isnan(b));
        FUZZ_CHECK(std::isnan(a) || std::abs(a - b) <= ElevationTile::kQuantum / 2);
    }
    return 0;
}
