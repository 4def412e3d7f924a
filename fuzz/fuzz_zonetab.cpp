// The place table's reader: every place it keeps has a name and a position on the globe, and
// naming any point never fails.
#include "FuzzCheck.h"
#include "Gazetteer.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Gazetteer g = Gazetteer::fromZoneTab(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const Gazetteer::Place &p : g.places()) {
        FUZZ_CHECK(!p.name.isEmpty() && p.country.size() == 2);
        FUZZ_CHECK(std::isfinite(p.latitude) && std::abs(p.latitude) <= 90);
        FUZZ_CHECK(std::isfinite(p.longitude) && std::abs(p.longitude) <= 180);
    }
    if (!g.places().isEmpty()) {
        const Gazetteer::Place &p = g.places().first();
        FUZZ_CHECK(!g.placeName(p.latitude, p.longitude).isEmpty());
    }
    return 0;
}
