// The mission plan kept beside a breakpoint, as the store hands it back (damaged or not): read,
// or refused with a reason; what is read is written again to the same plan.
#include "FuzzCheck.h"
#include "MissionBreakpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace zeltrin::survey;
    QString error;
    const auto plan = missionFromJson(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    FUZZ_CHECK(plan.has_value() == error.isEmpty());
    if (plan) {
        FUZZ_CHECK(!plan->waypoints.isEmpty());
        const auto again = missionFromJson(missionToJson(*plan));
        FUZZ_CHECK(again && missionHash(*again) == missionHash(*plan));
    }
    return 0;
}
