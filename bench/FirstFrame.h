#pragma once

#include <cstdio>
#include <ctime>

// Prints the monotonic clock at the first swapped frame; the driver started its clock just
// before spawning this process, so the difference is the whole startup.
inline void reportFirstFrame()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("FIRST_FRAME_NS %lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
    std::fflush(stdout);
}
