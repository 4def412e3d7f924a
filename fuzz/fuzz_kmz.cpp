#include "PlanFuzz.h"

namespace {
// A small cap keeps a fuzzed zip bomb cheap; the reader stops at it whatever the header claims.
constexpr qint64 kCap = 1024 * 1024;
zeltrin::PlanReadResult readCapped(const QByteArray &bytes) { return zeltrin::planio::readKmz(bytes, kCap); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = planfuzz::bytesOf(data, size);
    const zeltrin::PlanReadResult r = readCapped(bytes);
    planfuzz::checkResult(r);
    planfuzz::checkRoundTrip(r, zeltrin::planio::Format::Kmz, &readCapped);
    return 0;
}
