// 3D preview benchmark: the preview sheet playing a 10,000-waypoint mission, time per frame
// (frame start to swap, basic render loop). Backend and ratio come from the environment:
//   QT_QUICK_BACKEND=software | QT_QPA_PLATFORM=xcb (OpenGL), QT_SCALE_FACTOR=1|3
// Usage: preview-bench [frames] [waypoints]
#include "CommandLine.h"
#include "Mission3DPreviewModel.h"
#include "QmlSetup.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
const char *apiName(QSGRendererInterface::GraphicsApi api)
{
    switch (api) {
    case QSGRendererInterface::Software: return "Software";
    case QSGRendererInterface::OpenGL: return "OpenGL";
    case QSGRendererInterface::Vulkan: return "Vulkan";
    case QSGRendererInterface::Null: return "Null";
    default: return "other";
    }
}
} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(
        argc, argv,
        QStringLiteral("The 3D preview sheet playing a mission: time per frame. The backend and "
                       "ratio come from the environment (QT_QPA_PLATFORM, QT_QUICK_BACKEND, "
                       "QT_SCALE_FACTOR)."));
    cli.parser().addPositionalArgument(QStringLiteral("frames"),
                                       QStringLiteral("Frames timed (at least 10, default 300)."),
                                       QStringLiteral("[frames"));
    cli.parser().addPositionalArgument(QStringLiteral("waypoints"),
                                       QStringLiteral("Waypoints of the mission (at least 2, default 10,000)."),
                                       QStringLiteral("[waypoints]]"));
    cli.parseOrExit(2);
    const int frames = std::max(10,
                                cli.wholeNumber(QStringLiteral("frames"), cli.positional(0, QStringLiteral("300"))));
    const int n = std::max(2, cli.wholeNumber(QStringLiteral("waypoints"), cli.positional(1, QStringLiteral("10000"))));
    qputenv("QSG_RENDER_LOOP", "basic");
    QGuiApplication app(argc, argv);

    QQuickView view;
    zeltrin::setupEngine(*view.engine());
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(390, 844);
    view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/Mission3DPreviewSheet.qml")));
    if (view.status() != QQuickView::Ready) {
        for (const auto &e : view.errors())
            std::fprintf(stderr, "%s\n", qPrintable(e.toString()));
        return 1;
    }
    auto *preview = view.rootObject()->property("preview").value<Mission3DPreviewModel *>();
    preview->setWaypointCount(n);
    preview->setAltitude(50);
    view.show();

    // Each frame from its start to the commands submitted (the CPU's share: animation, sync,
    // render) and to the swap (on llvmpipe, where the rasterising happens). Also this thread's
    // CPU from one swap to the next: with the basic loop that is all of a frame's work, the
    // preview's ticks included, but llvmpipe's rasteriser threads (a GPU's work on a device).
    std::vector<double> times, submits, cpus;
    QElapsedTimer frame;
    double submitted = 0;
    double cpuAtSwap = -1;
    QObject::connect(&view, &QQuickWindow::beforeFrameBegin, &view, [&] { frame.start(); },
                     Qt::DirectConnection);
    QObject::connect(&view, &QQuickWindow::afterRendering, &view, [&] {
        submitted = frame.isValid() ? double(frame.nsecsElapsed()) / 1e6 : 0;
    }, Qt::DirectConnection);
    QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&] {
        if (frame.isValid()) {
            times.push_back(double(frame.nsecsElapsed()) / 1e6);
            submits.push_back(submitted);
        }
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        const double cpu = double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
        if (cpuAtSwap >= 0)
            cpus.push_back(cpu - cpuAtSwap);
        cpuAtSwap = cpu;
    }, Qt::DirectConnection);

    preview->togglePlayback();
    QElapsedTimer wall;
    wall.start();
    // A real event loop: polling processEvents would spin this thread between frames and count
    // that as the frames' CPU.
    QEventLoop loop;
    QObject::connect(&view, &QQuickWindow::frameSwapped, &loop, [&] {
        if (int(times.size()) >= frames + 20)
            loop.quit();
    }, Qt::QueuedConnection);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = double(wall.elapsed()) / 1000.0;
    for (auto *v : {&times, &submits, &cpus}) {
        if (v->size() > 20)
            v->erase(v->begin(), v->begin() + 20); // warm-up: first frames build textures
        std::sort(v->begin(), v->end());
    }
    const auto at = [](const std::vector<double> &v, double q) {
        return v.empty() ? 0.0 : v[std::min(v.size() - 1, size_t(double(v.size()) * q))];
    };
    // | backend | ratio | waypoints | frames | submit median | submit p95 | swap median | swap p95 | max | fps
    // | thread CPU a frame, median | p95 |
    std::printf("| %s | %.0f | %d | %zu | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f | %.2f | %.2f |\n",
                apiName(view.rendererInterface()->graphicsApi()), view.effectiveDevicePixelRatio(), n,
                times.size(), at(submits, 0.5), at(submits, 0.95), at(times, 0.5), at(times, 0.95),
                times.empty() ? 0.0 : times.back(), double(times.size() + 20) / seconds, at(cpus, 0.5), at(cpus, 0.95));
    return 0;
}
