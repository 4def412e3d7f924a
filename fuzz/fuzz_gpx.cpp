#include "PlanFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace zeltrin::planio;
    const QByteArray bytes = planfuzz::bytesOf(data, size);
    const zeltrin::PlanReadResult r = readGpx(bytes);
    planfuzz::checkResult(r);
    // GPX is read, never written: what it read goes out as KML, which keeps every height with
    // its reference.
    planfuzz::checkRoundTrip(r, Format::Kml, &readKml, true);
    // Recognising the format by content must not change the answer.
    planfuzz::checkResult(readPlan(bytes));
    return 0;
}
