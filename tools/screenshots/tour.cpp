// Renders each scene of the tour and writes <out>/<scene>.png at the phone size (390x844) and
// <out>/<scene>@WxH.png at any other size asked for, on the command line or by the scene itself.
// Usage: zeltrin-tour [--window] [--sizes WxH,WxH,...|--all-sizes] [out-dir] [scene-name-substring]
// (--help says more)
// Offscreen with the software scene graph by default; --window renders in a real window on the
// display's platform (xcb with OpenGL under Xvfb), as a pilot's device draws.
#include "CommandLine.h"
#include "DevAccountService.h"
#include "EncryptedFileBackend.h"
#include "FakeDJISDK.h"
#include "InMemoryKeychainBackend.h"
#include "SimulatedDJISDK.h"

#include "GeneratedHills.h"
#include "QmlSetup.h"
#include "TileServer.h"
#include "TlsTestServer.h"
#include "TourContext.h"
#include "ZeltrinPilotApp.h"
#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSGRendererInterface>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A scene says it could not reach its state with console.error: that fails it too. Messages
// from the scene's own file are counted; everything still goes to the previous handler.
QtMessageHandler g_previousHandler = nullptr;
QString g_sceneFile;
int g_sceneConsoleErrors = 0;

void countSceneErrors(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtCriticalMsg && !g_sceneFile.isEmpty() && context.file && QLatin1String(context.file) == g_sceneFile)
        ++g_sceneConsoleErrors;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// `extraSizes`, when given, receives the sizes the scene asks to be shown at as well (its root's
// `extraSizes`, e.g. ["320x568", "844x390"]).
bool renderScene(const QString &path, const QString &outFile, const TestCertificates &certs, QSize size,
                 QStringList *extraSizes = nullptr)
{
    // Each scene has its own local account service, so sign-in states are real replies.
    TlsTestServer server(certs);
    DevAccountService service;
    if (!server.listen()) {
        std::fprintf(stderr, "could not start the local account service\n");
        return false;
    }
    // "live-" scenes fly the simulated aircraft on a clock of their own; the rest set values.
    // Logbook and flight scenes fly it too, and record into a logbook of their own; one named
    // "-damaged-db" finds that logbook damaged.
    // A few are named for what they show rather than by these prefixes.
    const QString baseName = QFileInfo(path).baseName();
    const bool recording = baseName.startsWith(QLatin1String("logbook-"))
        || baseName.startsWith(QLatin1String("flight-")) || baseName == QLatin1String("analytics-computed")
        || baseName.startsWith(QLatin1String("multibattery-")); // their breakpoints are kept there
    // So do scenes that fly it by name (tour.simConnect() and the like).
    QFile sceneFile(path);
    const bool flies = sceneFile.open(QIODevice::ReadOnly) && sceneFile.readAll().contains("tour.sim");
    const bool live = QFileInfo(path).fileName().startsWith(QLatin1String("live-")) || recording || flies
        || baseName == QLatin1String("rth-live") || baseName == QLatin1String("telemetry-wind");
    ManualClock clock;
    FakeDJISDK *sdk = nullptr;
    SimulatedDJISDK *sim = nullptr;
    ZeltrinPilotApp::Dependencies deps;
    if (live) {
        sim = new SimulatedDJISDK(1, nullptr, &clock);
        deps.sdk.reset(sim);
    } else {
        sdk = new FakeDJISDK;
        // It stands for an aircraft that takes what it is told: a scene's mode stays on.
        sdk->answer = DJICommandError{};
        deps.sdk.reset(sdk);
    }
    // Scenes never touch the real keyring: each starts signed out with nothing stored. A
    // "-file-store" scene keeps its session in a real encrypted file store of its own, as when no
    // keyring answers.
    QTemporaryDir storeDir;
    if (QFileInfo(path).baseName().endsWith(QLatin1String("-file-store")) && storeDir.isValid())
        deps.keychain = std::make_unique<KeychainHelper>(std::make_unique<EncryptedFileBackend>(
            storeDir.filePath(QStringLiteral("items")), storeDir.filePath(QStringLiteral("key"))));
    else
        deps.keychain = std::make_unique<KeychainHelper>(std::make_unique<InMemoryKeychainBackend>());
    MRVNetworkClient::Options options;
    options.baseURL = server.baseURL();
    options.extraCaCertificates = {certs.ca};
    deps.accountClient = std::make_unique<MRVNetworkClient>(options);
    QTemporaryDir logbookDir;
    TourContext *tourForClock = nullptr;
    if (recording && logbookDir.isValid()) {
        const QString logbook = logbookDir.filePath(QStringLiteral("flights.sqlite"));
        if (baseName.contains(QLatin1String("-damaged-db"))) {
            QFile damaged(logbook);
            if (damaged.open(QIODevice::WriteOnly))
                damaged.write(QByteArray(8192, '\x5a'));
        }
        deps.flightStore = std::make_unique<FlightStore>(logbook);
        deps.recorderClock = [&tourForClock] { return tourForClock ? tourForClock->recorderNowMs() : 0; };
    }
    // "offline" scenes draw tiles from a local tile server and keep areas in a store of their own.
    const bool offline = baseName.contains(QLatin1String("offline"));
    TileServer tiles;
    QTemporaryDir offlineDir;
    if (offline && offlineDir.isValid() && tiles.listen()) {
        tiles.labelled = true;
        OfflineMaps::Options o;
        o.storePath = offlineDir.filePath(QStringLiteral("offline.mbtiles"));
        o.cacheDirectory = offlineDir.filePath(QStringLiteral("cache"));
        // A browsing cache with something in it, to show its size.
        QDir().mkpath(o.cacheDirectory + QStringLiteral("/data8/a"));
        QFile cached(o.cacheDirectory + QStringLiteral("/data8/a/tile.d"));
        if (cached.open(QIODevice::WriteOnly))
            cached.write(QByteArray(12'400'000, '\0'));
        o.download.batchMs = 50;
        deps.offlineMaps = std::make_unique<OfflineMaps>(o);
    }
    // "terrain" and "elevation" scenes keep generated hills around the planner's start point as
    // elevation data of their own; "unknown" ones have a hole in it.
    QTemporaryDir elevationDir;
    if (baseName.contains(QLatin1String("terrain")) || baseName.contains(QLatin1String("elevation"))) {
        hills::Options o;
        if (baseName.contains(QLatin1String("unknown")))
            o = {.voidEast = 120, .voidNorth = 0, .voidWidth = 140};
        QString error;
        const QString tif = hills::writeGeoTiff(QDir(elevationDir.path()), QStringLiteral("hills"), o, &error);
        auto elevation = std::make_unique<ElevationData>(elevationDir.filePath(QStringLiteral("elevation.sqlite")));
        if (!tif.isEmpty())
            error = elevation->importNow(tif);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s: no elevation data: %s\n", qPrintable(baseName), qPrintable(error));
            return false;
        }
        deps.elevation = std::move(elevation);
    }
    // Each scene keeps its saved plans in a folder of its own.
    QTemporaryDir planDir;
    deps.planLibraryFolder = planDir.filePath(QStringLiteral("plans"));
    ZeltrinPilotApp app(std::move(deps));
    app.droneManager()->setLogSink([](const QString &) {});

    QQuickView view;
    zeltrin::setupEngine(*view.engine());
    app.attachTo(*view.engine());
    std::unique_ptr<TourContext> context = live ? std::make_unique<TourContext>(&app, sim, &clock)
                                                : std::make_unique<TourContext>(&app, sdk);
    TourContext &tour = *context;
    tourForClock = &tour;
    if (offline)
        tour.setTileServer(&tiles);
    server.setHandler([&](const RecordedRequest &request) {
        if (tour.accountStalls())
            return ScriptedReply{.stall = true};
        return service.handle(request);
    });
    view.rootContext()->setContextProperty(QStringLiteral("tour"), &tour);
    view.setColor(QColor(0x0F, 0x0F, 0x12));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(size);
    // A scene whose own script fails would render a state it never reached: that is a failure.
    int sceneErrors = 0;
    const QUrl sceneUrl = QUrl::fromLocalFile(path);
    g_sceneFile = sceneUrl.toString();
    g_sceneConsoleErrors = 0;
    const auto forget = qScopeGuard([] { g_sceneFile.clear(); });
    QObject::connect(view.engine(), &QQmlEngine::warnings, &view, [&](const QList<QQmlError> &warnings) {
        for (const QQmlError &w : warnings)
            if (w.url() == sceneUrl)
                ++sceneErrors;
    });
    view.setSource(sceneUrl);
    if (view.status() != QQuickView::Ready) {
        for (const auto &e : view.errors())
            std::fprintf(stderr, "%s\n", qPrintable(e.toString()));
        return false;
    }
    view.show();
    int settleMs = 900;
    if (QQuickItem *root = view.rootObject()) {
        const QVariant v = root->property("settleMs");
        if (v.isValid())
            settleMs = v.toInt();
        if (extraSizes)
            *extraSizes = root->property("extraSizes").toStringList();
    }
    settle(settleMs);
    if (sceneErrors > 0 || g_sceneConsoleErrors > 0) {
        std::fprintf(stderr, "%s: the scene's script failed (%d errors)\n", qPrintable(path),
                     sceneErrors + g_sceneConsoleErrors);
        return false;
    }
    const QImage image = view.grabWindow();
    if (image.isNull() || !image.save(outFile)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(outFile));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(outFile));
    return true;
}

constexpr QSize kPhone(390, 844);

QList<QSize> parseSizes(const QString &list)
{
    QList<QSize> sizes;
    for (const QString &s : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList wh = s.split(QLatin1Char('x'));
        bool okW = false, okH = false;
        const int w = wh.value(0).toInt(&okW), h = wh.value(1).toInt(&okH);
        if (wh.size() != 2 || !okW || !okH || w < 100 || h < 100 || w > 4096 || h > 4096)
            return {};
        sizes.append(QSize(w, h));
    }
    return sizes;
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv,
                                  QStringLiteral("Renders each scene of the screenshot tour to <out-dir>/<scene>.png, "
                                                 "offscreen unless --window is given."));
    QCommandLineParser &parser = cli.parser();
    const QCommandLineOption windowOpt(QStringLiteral("window"),
                                       QStringLiteral("Render in a real window on the display's platform."));
    const QCommandLineOption sizesOpt(QStringLiteral("sizes"),
                                      QStringLiteral("Window sizes, each side 100 to 4096 (default 390x844)."),
                                      QStringLiteral("WxH[,WxH...]"));
    const QCommandLineOption allSizesOpt(
        QStringLiteral("all-sizes"), QStringLiteral("The five sizes: 390x844, 320x568, 844x390, 820x1180, 1180x820."));
    parser.addOptions({windowOpt, sizesOpt, allSizesOpt});
    parser.addPositionalArgument(QStringLiteral("out-dir"),
                                 QStringLiteral("Where the PNGs go (default out/screenshots)."),
                                 QStringLiteral("[out-dir]"));
    parser.addPositionalArgument(QStringLiteral("scene"), QStringLiteral("Only the scenes whose names contain this."),
                                 QStringLiteral("[scene]"));
    cli.parseOrExit(2);
    const bool window = parser.isSet(windowOpt);
    QList<QSize> sizes{kPhone};
    bool sizesGiven = false;
    if (parser.isSet(allSizesOpt)) {
        sizes = {kPhone, QSize(320, 568), QSize(844, 390), QSize(820, 1180), QSize(1180, 820)};
        sizesGiven = true;
    }
    if (parser.isSet(sizesOpt)) {
        sizes = parseSizes(parser.value(sizesOpt));
        sizesGiven = true;
        if (sizes.isEmpty())
            cli.fail(QStringLiteral("--sizes takes WxH[,WxH...], each side 100 to 4096."));
    }
    const QStringList positional = parser.positionalArguments();
    if (!window) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();
    g_previousHandler = qInstallMessageHandler(countSceneErrors);

    const QString outDir = positional.value(0, QStringLiteral("out/screenshots"));
    const QString filter = positional.value(1);
    QDir().mkpath(outDir);
    // A whole tour starts from an empty folder: a picture left from an older tour would be
    // compared as if this one had drawn it.
    if (filter.isEmpty())
        for (const QFileInfo &old : QDir(outDir).entryInfoList({QStringLiteral("*.png")}, QDir::Files))
            QFile::remove(old.absoluteFilePath());

    QTemporaryDir certDir;
    const auto certs = TestCertificates::generate(certDir.path(), QStringLiteral("Zeltrin Tour CA"));
    if (!certs) {
        std::fprintf(stderr, "could not make certificates for the local account service\n");
        return 1;
    }
    const QDir scenes(QStringLiteral(ZELTRIN_TOUR_SCENES));
    int failures = 0;
    int rendered = 0;
    for (const QFileInfo &fi : scenes.entryInfoList({QStringLiteral("*.qml")}, QDir::Files, QDir::Name)) {
        if (!filter.isEmpty() && !fi.completeBaseName().contains(filter))
            continue;
        QList<QSize> sceneSizes = sizes;
        for (int i = 0; i < sceneSizes.size(); ++i) {
            const QSize size = sceneSizes.at(i);
            ++rendered;
            const QString suffix = size == kPhone ? QString()
                : QStringLiteral("@%1x%2").arg(size.width()).arg(size.height());
            const QString file = QDir(outDir).filePath(fi.completeBaseName() + suffix + QStringLiteral(".png"));
            QStringList extra;
            if (!renderScene(fi.absoluteFilePath(), file, *certs, size, i == 0 && !sizesGiven ? &extra : nullptr))
                ++failures;
            // Sizes the scene asks for on top of the default one.
            for (const QSize &more : parseSizes(extra.join(QLatin1Char(','))))
                if (!sceneSizes.contains(more))
                    sceneSizes.append(more);
        }
    }
    std::printf("%d scenes, %d failed\n", rendered, failures);
    return failures == 0 && rendered > 0 ? 0 : 1;
}
