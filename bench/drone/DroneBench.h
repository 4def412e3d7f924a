#pragma once

// What the aircraft benchmarks share: the process's CPU time, its resident memory, and waiting
// in a real event loop (polling processEvents would spin a whole core and hide what is measured).
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace dronebench {

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline long residentKiB()
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

inline void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(qint64(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace dronebench
