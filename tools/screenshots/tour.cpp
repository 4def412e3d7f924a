// Renders each scene of the tour offscreen (software scene graph) at phone size and writes
// <out>/<scene>.png. Usage: zeltrin-tour [out-dir] [scene-name-substring]
#include "DevAccountService.h"
#include "FakeDJISDK.h"
#include "TlsTestServer.h"
#include "QmlSetup.h"
#include "TourContext.h"
#include "ZeltrinPilotApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool renderScene(const QString &path, const QString &outFile, const TestCertificates &certs)
{
    // Each scene has its own local account service, so sign-in states are real replies.
    TlsTestServer server(certs);
    DevAccountService service;
    if (!server.listen()) {
        std::fprintf(stderr, "could not start the local account service\n");
        return false;
    }
    auto *sdk = new FakeDJISDK;
    ZeltrinPilotApp::Dependencies deps;
    deps.sdk.reset(sdk);
    // Scenes never touch the real keyring: each starts signed out with nothing stored.
    deps.keychain = std::make_unique<KeychainHelper>(std::make_unique<InMemoryKeychainBackend>());
    MRVNetworkClient::Options options;
    options.baseURL = server.baseURL();
    options.extraCaCertificates = {certs.ca};
    deps.accountClient = std::make_unique<MRVNetworkClient>(options);
    ZeltrinPilotApp app(std::move(deps));
    app.droneManager()->setLogSink([](const QString &) {});

    QQuickView view;
    zeltrin::setupEngine(*view.engine());
    app.attachTo(*view.engine());
    TourContext tour(&app, sdk);
    server.setHandler([&](const RecordedRequest &request) {
        if (tour.accountStalls())
            return ScriptedReply{.stall = true};
        return service.handle(request);
    });
    view.rootContext()->setContextProperty(QStringLiteral("tour"), &tour);
    view.setColor(QColor(0x0F, 0x0F, 0x12));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(390, 844);
    view.setSource(QUrl::fromLocalFile(path));
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
    }
    settle(settleMs);
    const QImage image = view.grabWindow();
    if (image.isNull() || !image.save(outFile)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(outFile));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(outFile));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();

    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/screenshots");
    const QString filter = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(outDir);

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
        ++rendered;
        if (!renderScene(fi.absoluteFilePath(), QDir(outDir).filePath(fi.completeBaseName() + QStringLiteral(".png")), *certs))
            ++failures;
    }
    std::printf("%d scenes, %d failed\n", rendered, failures);
    return failures == 0 && rendered > 0 ? 0 : 1;
}
