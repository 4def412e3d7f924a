// Startup benchmark: median time from process start to first frame swapped, for the app and
// for a bare Qt Quick window, on the same platform and backend; prints the ratio.
// Usage: startup-bench [runs] [platform]   (defaults: 15 runs, offscreen)
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// One run: milliseconds from spawn to the child's first frame, or a negative value on failure.
double runOnce(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    const long long start = nowNs();
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    const QByteArray out = p.readAllStandardOutput();
    const qsizetype at = out.indexOf("FIRST_FRAME_NS ");
    if (at < 0)
        return -1;
    const long long frame = out.mid(at + 15).split('\n').value(0).trimmed().toLongLong();
    return double(frame - start) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(10, atoi(argv[1])) : 15;
    const QString platform = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("offscreen");
    const QString dir = QStringLiteral(ZELTRIN_BENCH_DIR);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("ZELTRIN_SDK"), QStringLiteral("none")); // no simulated timers in the way

    // A throw-away home: no stored session, so every launch ends at the sign-in gate.
    QTemporaryDir home;
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    struct Subject { const char *name; QString program; QStringList args; std::vector<double> ms; };
    const QString appPath = dir + QStringLiteral("/startup-app");
    std::vector<Subject> subjects{{"bare Qt Quick window", dir + QStringLiteral("/startup-bare"), {}, {}},
                                  {"app: first frame", appPath, {QStringLiteral("first")}, {}},
                                  {"app: sign-in gate", appPath, {QStringLiteral("gate")}, {}},
                                  {"app: guest dashboard", appPath, {QStringLiteral("guest")}, {}}};
    // Warm the file cache, then interleave runs so both see the same machine conditions.
    for (auto &s : subjects)
        runOnce(s.program, s.args, env);
    for (int i = 0; i < runs; ++i)
        for (auto &s : subjects) {
            const double ms = runOnce(s.program, s.args, env);
            if (ms < 0) {
                std::fprintf(stderr, "%s did not report a first frame\n", s.name);
                return 1;
            }
            s.ms.push_back(ms);
        }
    std::printf("Startup to first frame (QT_QPA_PLATFORM=%s, median of %d runs)\n", qPrintable(platform), runs);
    const double bare = median(subjects[0].ms);
    for (const auto &s : subjects) {
        std::printf("  %-22s %8.1f ms  (min %.1f, max %.1f)", s.name, median(s.ms),
                    *std::min_element(s.ms.begin(), s.ms.end()), *std::max_element(s.ms.begin(), s.ms.end()));
        if (&s != &subjects[0])
            std::printf("  ratio %.2fx (goal <= 1.30)", median(s.ms) / bare);
        std::printf("\n");
    }
    return 0;
}
