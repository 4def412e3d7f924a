#include "ZeltrinPilotApp.h"

#include "QmlSetup.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace {
constexpr char kEngineProperty[] = "_zeltrinApp";
}

ZeltrinPilotApp::ZeltrinPilotApp(Dependencies deps, QObject *parent)
    : QObject(parent),
      m_ownedKeychain(std::move(deps.keychain)),
      m_keychain(m_ownedKeychain ? m_ownedKeychain.get() : &KeychainHelper::shared()),
      m_accountClient(deps.accountClient ? std::move(deps.accountClient) : std::make_unique<MRVNetworkClient>()),
      m_sdk(deps.sdk ? std::move(deps.sdk) : makeDefaultSDK())
{
    // The auth manager comes first: its session check is scheduled before anything else exists.
    m_authManager = std::make_unique<MRVAuthManager>(m_accountClient.get(), m_keychain);
    m_droneManager = std::make_unique<DJIDroneManager>(m_sdk.get());
    m_appState = std::make_unique<AppState>();
}

ZeltrinPilotApp::~ZeltrinPilotApp()
{
    // The manager lets go of the SDK before the SDK goes.
    m_droneManager.reset();
    m_authManager.reset();
}

void ZeltrinPilotApp::attachTo(QQmlEngine &engine)
{
    engine.setProperty(kEngineProperty, QVariant::fromValue<QObject *>(this));
}

ZeltrinPilotApp *ZeltrinPilotApp::create(QQmlEngine *qmlEngine, QJSEngine *)
{
    auto *app = qobject_cast<ZeltrinPilotApp *>(qmlEngine->property(kEngineProperty).value<QObject *>());
    if (!app) {
        qWarning("ZeltrinPilotApp: no application attached to this QML engine");
        return nullptr;
    }
    QJSEngine::setObjectOwnership(app, QJSEngine::CppOwnership);
    QJSEngine::setObjectOwnership(app->authManager(), QJSEngine::CppOwnership);
    QJSEngine::setObjectOwnership(app->droneManager(), QJSEngine::CppOwnership);
    QJSEngine::setObjectOwnership(app->appState(), QJSEngine::CppOwnership);
    return app;
}

void ZeltrinPilotApp::rootViewShown()
{
    if (m_startConnectionCount > 0)
        return;
    ++m_startConnectionCount;
    m_droneManager->startConnection();
}

namespace zeltrin {

int runApp(int argc, char **argv, const RunOptions &options)
{
    QGuiApplication::setApplicationName(QStringLiteral("ZeltrinPilot"));
    QGuiApplication::setOrganizationName(QStringLiteral("Zeltrin"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("zeltrin.app"));
    QGuiApplication qapp(argc, argv);
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/Zeltrin/app/assets/AppIconPreview.svg")));
    setupApplicationLook();

    ZeltrinPilotApp app{ZeltrinPilotApp::Dependencies{}};
    QQmlApplicationEngine engine;
    setupEngine(engine);
    app.attachTo(engine);
    engine.load(QUrl(QStringLiteral("qrc:/Zeltrin/app/qml/Main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;

    if (auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        window && (options.onFirstFrame || options.quitAfterFirstFrame)) {
        QObject::connect(window, &QQuickWindow::frameSwapped, &qapp, [&options]() {
            static bool seen = false;
            if (seen)
                return;
            seen = true;
            if (options.onFirstFrame)
                options.onFirstFrame();
            if (options.quitAfterFirstFrame)
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }, Qt::DirectConnection);
    }
    return qapp.exec();
}

} // namespace zeltrin
