#pragma once

// What the aircraft benchmarks share: the process's CPU time, its resident memory, and waiting
// in a real event loop (polling processEvents would spin a whole core and hide what is measured).
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>

namespace dronebench {

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The CPU seconds of the threads whose name starts with `prefix`. Mesa's software GPU
// rasterises in threads named "llvmpipe-N": on a device with a GPU that work is not the CPU's.
inline double threadCpuSeconds(const std::string &prefix)
{
    const double tick = double(sysconf(_SC_CLK_TCK));
    double total = 0;
    DIR *d = opendir("/proc/self/task");
    if (!d)
        return 0;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string base = std::string("/proc/self/task/") + e->d_name;
        std::ifstream comm(base + "/comm");
        std::string name;
        std::getline(comm, name);
        if (name.rfind(prefix, 0) != 0)
            continue;
        std::ifstream stat(base + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')'); // the name may hold spaces
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14)
                utime = std::stod(field);
            else if (i == 15)
                stime = std::stod(field);
        }
        total += (utime + stime) / tick;
    }
    closedir(d);
    return total;
}

// The process's CPU split in two: all of it, and the share of the software GPU's rasteriser.
struct CpuSplit {
    double all = 0, rasteriser = 0;
    static CpuSplit now() { return {cpuSeconds(), threadCpuSeconds("llvmpipe-")}; }
    CpuSplit operator-(const CpuSplit &o) const { return {all - o.all, rasteriser - o.rasteriser}; }
};

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
