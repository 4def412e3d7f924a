#include "ZeltrinPilotApp.h"

#include "BundledImageProvider.h"
#include "QmlSetup.h"
#include "SettingsModel.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>

#include <atomic>
#include <cstring>
#include <memory>

namespace {
constexpr char kEngineProperty[] = "_zeltrinApp";
}

ZeltrinPilotApp::ZeltrinPilotApp(Dependencies deps, QObject *parent)
    : QObject(parent),
      m_ownedKeychain(std::move(deps.keychain)),
      m_keychain(m_ownedKeychain ? m_ownedKeychain.get() : &KeychainHelper::shared()),
      m_accountClient(deps.accountClient ? std::move(deps.accountClient) : std::make_unique<MRVNetworkClient>()),
      m_sdk(deps.sdk ? std::move(deps.sdk) : makeDefaultSDK()),
      m_flightStorePath(deps.flightStorePath),
      m_recorderClock(std::move(deps.recorderClock)),
      m_offlineMaps(std::move(deps.offlineMaps)),
      m_offlineMapsOptions(std::move(deps.offlineMapsOptions))
{
    if (m_offlineMaps)
        QJSEngine::setObjectOwnership(m_offlineMaps.get(), QJSEngine::CppOwnership);
    // The auth manager comes first: its session check is scheduled before anything else exists.
    m_authManager = std::make_unique<MRVAuthManager>(m_accountClient.get(), m_keychain);
    m_droneManager = std::make_unique<DJIDroneManager>(m_sdk.get());
    // "Max Altitude" holds from the first connection on, whether or not the settings are opened.
    m_droneManager->setAltitudeCeiling(SettingsModel::storedMaxAltitude(QSettings()));
    m_appState = std::make_unique<AppState>();
    m_flownTrack = std::make_unique<TrackLine>();
    // A take-off starts a new track; every reading while airborne extends it.
    DJIDroneManager *drone = m_droneManager.get();
    // The manager announces the flag with every reading, changed or not.
    connect(drone, &DJIDroneManager::isFlyingChanged, m_flownTrack.get(), [this, drone, wasFlying = false]() mutable {
        const bool tookOff = drone->isFlying() && !wasFlying;
        wasFlying = drone->isFlying();
        if (!tookOff)
            return;
        m_flownTrack->clear();
        m_flownTrack->append(drone->flightData().latitude, drone->flightData().longitude);
    });
    connect(drone, &DJIDroneManager::flightDataChanged, m_flownTrack.get(), [this, drone] {
        if (drone->isFlying())
            m_flownTrack->append(drone->flightData().latitude, drone->flightData().longitude);
    });
    if (deps.flightStore)
        useFlightStore(std::move(deps.flightStore));
}

void ZeltrinPilotApp::useFlightStore(std::unique_ptr<FlightStore> store)
{
    m_recorder.reset();
    m_flightStore = std::move(store);
    QJSEngine::setObjectOwnership(m_flightStore.get(), QJSEngine::CppOwnership);
    m_recorder = std::make_unique<FlightRecorder>(m_droneManager.get(), m_flightStore.get(), m_recorderClock);
    Q_EMIT flightStoreChanged();
}

ZeltrinPilotApp::~ZeltrinPilotApp()
{
    // The recorder stops before what it watches; the manager lets go of the SDK before the SDK goes.
    m_recorder.reset();
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
    QJSEngine::setObjectOwnership(app->flownTrack(), QJSEngine::CppOwnership);

    return app;
}

void ZeltrinPilotApp::rootViewShown(QObject *window)
{
    if (m_startConnectionCount > 0 || m_startPending)
        return;
    auto *quickWindow = qobject_cast<QQuickWindow *>(window);
    if (!quickWindow) {
        startSession();
        return;
    }
    m_startPending = true;
    auto swapped = std::make_shared<QMetaObject::Connection>();
    auto start = [this, swapped] {
        QObject::disconnect(*swapped);
        if (m_startConnectionCount == 0)
            startSession();
    };
    // Swapped on the render thread; the work runs here on the GUI thread.
    *swapped = connect(quickWindow, &QQuickWindow::frameSwapped, this, start, Qt::QueuedConnection);
    QTimer::singleShot(1000, this, start);
}

void ZeltrinPilotApp::startSession()
{
    m_startPending = false;
    ++m_startConnectionCount;
    // Opened before the link, so the recorder sees its first reading.
    if (!m_flightStore && !m_flightStorePath.isEmpty())
        useFlightStore(std::make_unique<FlightStore>(m_flightStorePath));
    if (!m_offlineMaps && m_offlineMapsOptions) {
        m_offlineMaps = std::make_unique<OfflineMaps>(*m_offlineMapsOptions);
        QJSEngine::setObjectOwnership(m_offlineMaps.get(), QJSEngine::CppOwnership);
        Q_EMIT offlineMapsChanged();
    }
    m_droneManager->startConnection();
}

namespace zeltrin {

namespace {

// A screen of the given type is on screen with its content: the view exists, is shown and has
// its size, and the frame paints it. A screen fading in starts at opacity 0, and the frame that
// starts the fade paints nothing of it.
bool screenPainted(QQuickWindow *window, const char *typeName)
{
    const size_t length = std::strlen(typeName);
    QList<QQuickItem *> items{window->contentItem()};
    while (!items.isEmpty()) {
        QQuickItem *item = items.takeLast();
        if (!item->isVisible() || item->opacity() <= 0)
            continue;
        if (std::strncmp(item->metaObject()->className(), typeName, length) == 0)
            return item->width() > 0 && item->height() > 0 && !item->childItems().isEmpty();
        items.append(item->childItems());
    }
    return false;
}

} // namespace

int runApp(int argc, char **argv, const RunOptions &options)
{
    tuneSceneGraph(); // before any thread that might read the environment
    QGuiApplication::setApplicationName(QStringLiteral("ZeltrinPilot"));
    QGuiApplication::setOrganizationName(QStringLiteral("Zeltrin"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("zeltrin.app"));
    QGuiApplication qapp(argc, argv);
    // Font setup is the longest step before the QML runs and needs none of what follows, so
    // it goes to a second core while the shared objects and the engine are built.
    ApplicationLookSetup look;

    ZeltrinPilotApp app{[] {
        ZeltrinPilotApp::Dependencies deps;
        deps.flightStorePath = FlightStore::defaultPath();
        OfflineMaps::Options offline;
        offline.cacheDirectory = OfflineMaps::defaultCacheDirectory();
        deps.offlineMapsOptions = offline;
        return deps;
    }()};
    QQmlApplicationEngine engine;
    setupEngine(engine);
    app.attachTo(engine);
    const QUrl mainUrl(QStringLiteral("qrc:/Zeltrin/app/qml/Main.qml"));
    {
        // The engine's loader thread starts on the window's types (imports, compiled units)
        // while the fonts finish; the loads that follow pick up the same type data. The gate's
        // types too: it is the first screen unless a session is stored.
        QQmlComponent window(&engine, mainUrl, QQmlComponent::Asynchronous);
        QQmlComponent gate(&engine, QUrl(QStringLiteral("qrc:/Zeltrin/screens/auth/AuthGateView.qml")),
                           QQmlComponent::Asynchronous);
        look.finish();
    }
    engine.load(mainUrl);
    if (engine.rootObjects().isEmpty())
        return 1;

    if (auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        window && (options.onMilestone || options.quitAfterMilestone)) {
        using Milestone = RunOptions::Milestone;
        MRVAuthManager *auth = app.authManager();
        auto gatePainted = [auth, window] {
            return !auth->isCheckingSession() && !auth->isAuthenticated() && screenPainted(window, "AuthGateView");
        };
        auto reached = [&options, auth, window, gatePainted]() {
            switch (options.milestone) {
            case Milestone::firstFrame: return true;
            case Milestone::gate: return gatePainted();
            case Milestone::guestDashboard: return auth->isAuthenticated() && screenPainted(window, "DashboardView");
            }
            return false;
        };
        // Read while the GUI thread waits for the scene to be synchronised, so the items are
        // safe to look at on either render loop; the frame swapped next is the one that shows it.
        auto synced = std::make_shared<std::atomic<bool>>(false);
        auto gateSynced = std::make_shared<std::atomic<bool>>(false);
        QObject::connect(window, &QQuickWindow::beforeSynchronizing, &qapp, [synced, gateSynced, reached, gatePainted] {
            synced->store(reached());
            gateSynced->store(gatePainted());
        }, Qt::DirectConnection);
        QObject::connect(window, &QQuickWindow::frameSwapped, &qapp, [&options, synced, gateSynced, auth]() {
            static bool gateSeen = false;
            if (options.milestone == Milestone::guestDashboard && !gateSeen && gateSynced->load()) {
                gateSeen = true;
                if (options.onGate)
                    options.onGate();
                // The pilot's tap arrives on the GUI thread, whichever thread swapped the frame.
                QMetaObject::invokeMethod(auth, [&options, auth] {
                    QTimer::singleShot(options.guestTapDelayMs, auth, [&options, auth] {
                        if (options.onGuestTap)
                            options.onGuestTap();
                        auth->continueAsGuest();
                    });
                }, Qt::QueuedConnection);
                return;
            }
            static bool done = false;
            if (done || !synced->load())
                return;
            done = true;
            if (options.onMilestone)
                options.onMilestone();
            if (options.quitAfterMilestone)
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }, Qt::DirectConnection);
    }
    // The window icon is not needed for the first frame: it is set once that frame is out.
    if (auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst())) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(window, &QQuickWindow::frameSwapped, &qapp, [connection] {
            QObject::disconnect(*connection);
            BundledImageProvider icons;
            QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(
                icons.requestImage(QStringLiteral("app/assets/AppIconPreview-256"), nullptr, {}))));
        }, Qt::QueuedConnection);
    }
    return qapp.exec();
}

} // namespace zeltrin
