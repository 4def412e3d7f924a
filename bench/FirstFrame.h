#pragma once

#include <cstdio>
#include <ctime>

// Prints "<label> <monotonic ns>"; the driver started its clock just before spawning this
// process, so the difference is the time since the start.
inline void reportNow(const char *label)
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("%s %lld\n", label, static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
    std::fflush(stdout);
}

inline void reportFirstFrame() { reportNow("FIRST_FRAME_NS"); }
