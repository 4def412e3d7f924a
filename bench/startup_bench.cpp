// Startup benchmark: median time from process start to first frame swapped, for the app and
// for a bare Qt Quick window, on the same platform and backend; prints the ratio. The app's way
// from the gate to the tabs is set against the bare window doing the same tap and fade.
// Usage: startup-bench [runs] [platform]   (defaults: 15 runs, offscreen)
#include "CommandLine.h"

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

// A run's clock readings, in milliseconds since the spawn.
struct Readings {
    double frame = -1; // the milestone's frame
    double gate = -1;  // guest runs: the gate's first frame
    double tap = -1;   // guest runs: "Continue as Guest"
};

double reading(const QByteArray &out, const char *label, long long start)
{
    const qsizetype at = out.indexOf(QByteArray(label) + ' ');
    if (at < 0)
        return -1;
    const long long ns = out.mid(at + qsizetype(qstrlen(label)) + 1).split('\n').value(0).trimmed().toLongLong();
    return double(ns - start) / 1e6;
}

// One run; frame < 0 on failure.
Readings runOnce(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    const long long start = nowNs();
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    const QByteArray out = p.readAllStandardOutput();
    return {reading(out, "FIRST_FRAME_NS", start), reading(out, "GATE_NS", start), reading(out, "TAP_NS", start)};
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
    zeltrin::cli::CommandLine cli(
        argc, argv,
        QStringLiteral("Median time from process start to the first frame, for the app and a bare "
                       "Qt Quick window."));
    cli.parser().addPositionalArgument(
        QStringLiteral("runs"), QStringLiteral("Runs of each (at least 10, default 15)."), QStringLiteral("[runs]"));
    cli.parser().addPositionalArgument(QStringLiteral("platform"),
                                       QStringLiteral("QT_QPA_PLATFORM for the runs (default offscreen)."),
                                       QStringLiteral("[platform]"));
    cli.parseOrExit(2);
    const int runs = std::max(10, cli.wholeNumber(QStringLiteral("runs"), cli.positional(0, QStringLiteral("15"))));
    const QString platform = cli.positional(1, QStringLiteral("offscreen"));
    QCoreApplication app(argc, argv);
    const QString dir = QStringLiteral(ZELTRIN_BENCH_DIR);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("ZELTRIN_SDK"), QStringLiteral("none")); // no simulated timers in the way

    // A throw-away home: no stored session, so every launch ends at the sign-in gate.
    QTemporaryDir home;
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    // A pilot reads the gate for longer than its 0.35 s fade-in before tapping. The app's share of
    // the wait for the dashboard is then the gate's startup plus the time from the tap to the
    // first frame that paints the tabs; the pilot's pause is left out.
    constexpr int kPilotTapMs = 1000;
    struct Subject {
        const char *name;
        QString program;
        QStringList args;
        bool tapped = false;     // reports the first frame and the tap too
        bool pilotPause = false; // time = first frame + (milestone - tap)
        int baseline = 0;        // the subject its ratio is taken against
        std::vector<double> ms;
        std::vector<double> afterTap;
    };
    const QString appPath = dir + QStringLiteral("/startup-app");
    const QString barePath = dir + QStringLiteral("/startup-bare");
    const QString guest = QStringLiteral("guest"), tap = QStringLiteral("tap");
    const QString pause = QString::number(kPilotTapMs), instant = QStringLiteral("0");
    // The gate fades in from transparent, and the tabs fade in over it, so the frame that starts
    // each fade paints nothing of the screen coming in; it shows from the fade's next step. The
    // bare window does the same with its text, so each painted milestone is set against the same
    // fades in the bare window.
    std::vector<Subject> subjects{
        {"bare Qt Quick window", barePath, {}},
        {"bare window, fading in", barePath, {QStringLiteral("fade")}},
        {"bare window, tap, fade", barePath, {tap, pause}, true, true},
        {"bare window, instant tap", barePath, {tap, instant}, true},
        {"app: first frame", appPath, {QStringLiteral("first")}},
        {"app: sign-in gate", appPath, {QStringLiteral("gate")}, false, false, 1},
        {"app: guest dashboard", appPath, {guest, pause}, true, true, 2},
        {"app: guest, instant tap", appPath, {guest, instant}, true, false, 3},
    };
    // Warm the file cache, then interleave runs so all see the same machine conditions.
    for (auto &s : subjects)
        runOnce(s.program, s.args, env);
    for (int i = 0; i < runs; ++i)
        for (auto &s : subjects) {
            const Readings r = runOnce(s.program, s.args, env);
            if (r.frame < 0 || (s.tapped && (r.gate < 0 || r.tap < 0))) {
                std::fprintf(stderr, "%s did not report its frames\n", s.name);
                return 1;
            }
            s.ms.push_back(s.pilotPause ? r.gate + (r.frame - r.tap) : r.frame);
            if (s.tapped)
                s.afterTap.push_back(r.frame - r.tap);
        }
    const QString backend = env.value(QStringLiteral("QT_QUICK_BACKEND"));
    std::printf("Startup to first frame (QT_QPA_PLATFORM=%s%s%s, median of %d runs)\n", qPrintable(platform),
                backend.isEmpty() ? "" : ", QT_QUICK_BACKEND=", qPrintable(backend), runs);
    for (const auto &s : subjects) {
        std::printf("  %-26s %8.1f ms  (min %.1f, max %.1f)", s.name, median(s.ms),
                    *std::min_element(s.ms.begin(), s.ms.end()), *std::max_element(s.ms.begin(), s.ms.end()));
        if (s.program == appPath)
            std::printf("  ratio %.2fx to the %s (goal <= 1.30)", median(s.ms) / median(subjects[size_t(s.baseline)].ms),
                        s.baseline == 0 ? "bare window" : subjects[size_t(s.baseline)].name);
        std::printf("\n");
    }
    std::printf("Painted milestones: the first frame that paints the screen (or text) fading in. Tapped: the\n"
                "first painted frame plus tap to the first frame that paints what the tap brings in, the tap\n"
                "%d ms after the first painted frame; instant tap: process start to that frame, the tap as\n"
                "soon as the first painted frame is out.\n",
                kPilotTapMs);
    for (const auto &s : subjects)
        if (!s.afterTap.empty())
            std::printf("  %-26s tap to that frame %6.1f ms (median)\n", s.name, median(s.afterTap));
    return 0;
}
