#include "PlanFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace zeltrin::planio;
    const QByteArray bytes = planfuzz::bytesOf(data, size);
    const zeltrin::PlanReadResult r = readGeoJson(bytes);
    planfuzz::checkResult(r);
    planfuzz::checkRoundTrip(r, Format::GeoJson, &readGeoJson);
    // Recognising the format by content must not change the answer.
    planfuzz::checkResult(readPlan(bytes));
    return 0;
}
