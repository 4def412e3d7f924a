#include "ZeltrinPilotApp.h"

#include "BundledImageProvider.h"
#include "PlanLibrary.h"
#include "QmlSetup.h"
#include "SettingsModel.h"
#include "SimulatedDJISDK.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {
constexpr char kEngineProperty[] = "_zeltrinApp";
}

ZeltrinPilotApp::ZeltrinPilotApp(Dependencies deps, QObject *parent)
    : QObject(parent), m_ownedKeychain(std::move(deps.keychain)),
      m_keychain(m_ownedKeychain ? m_ownedKeychain.get() : &KeychainHelper::shared()),
      m_accountClient(deps.accountClient ? std::move(deps.accountClient) : std::make_unique<MRVNetworkClient>()),
      m_sdk(deps.sdk ? std::move(deps.sdk) : makeDefaultSDK()), m_flightStorePath(deps.flightStorePath),
      m_recorderClock(std::move(deps.recorderClock)), m_offlineMaps(std::move(deps.offlineMaps)),
      m_offlineMapsOptions(std::move(deps.offlineMapsOptions)), m_elevationStorePath(deps.elevationStorePath),
      m_planLibraryFolder(deps.planLibraryFolder.isEmpty() ? zeltrin::planio::PlanLibrary::defaultFolder()
                                                           : deps.planLibraryFolder)
{
    if (m_offlineMaps)
        QJSEngine::setObjectOwnership(m_offlineMaps.get(), QJSEngine::CppOwnership);
    // The auth manager comes first: its session check is scheduled before anything else exists.
    m_authManager = std::make_unique<MRVAuthManager>(m_accountClient.get(), m_keychain);
    m_droneManager = std::make_unique<DJIDroneManager>(m_sdk.get());
    // "Max Altitude" holds from the first connection on, whether or not the settings are opened.
    m_droneManager->setAltitudeCeiling(SettingsModel::storedMaxAltitude(QSettings()));
    m_appState = std::make_unique<AppState>();
    if (deps.elevation)
        useElevation(std::move(deps.elevation));
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
    m_multiBattery.reset();
    m_flightStore = std::move(store);
    QJSEngine::setObjectOwnership(m_flightStore.get(), QJSEngine::CppOwnership);
    m_recorder = std::make_unique<FlightRecorder>(m_droneManager.get(), m_flightStore.get(), m_recorderClock);
    m_multiBattery = std::make_unique<MultiBatteryMission>(m_droneManager.get(), m_flightStore.get());
    QJSEngine::setObjectOwnership(m_multiBattery.get(), QJSEngine::CppOwnership);
    Q_EMIT flightStoreChanged();
}

ZeltrinPilotApp::~ZeltrinPilotApp()
{
    // The recorder stops before what it watches; the manager lets go of the SDK before the SDK goes.
    m_recorder.reset();
    m_multiBattery.reset();
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
    if (!m_elevation && !m_elevationStorePath.isEmpty())
        useElevation(std::make_unique<ElevationData>(m_elevationStorePath));
    // Elevation downloaded with a map area joins the ground as it comes.
    if (m_offlineMaps && m_elevation)
        connect(m_offlineMaps.get(), &OfflineMaps::elevationChanged, m_elevation.get(), &ElevationData::refreshSoon,
                Qt::UniqueConnection);
    m_droneManager->startConnection();
}

void ZeltrinPilotApp::useElevation(std::unique_ptr<ElevationData> elevation)
{
    m_elevation = std::move(elevation);
    QJSEngine::setObjectOwnership(m_elevation.get(), QJSEngine::CppOwnership);
    // The simulated aircraft flies over the same ground the planner plans on.
    if (auto *sim = dynamic_cast<SimulatedDJISDK *>(m_sdk.get())) {
        sim->setGround([elevation = QPointer<ElevationData>(m_elevation.get())](double lat, double lon) {
            const ElevationSource *ground = elevation ? elevation->source() : nullptr;
            return ground ? ground->heightAt(lat, lon) : std::nullopt;
        });
    }
    Q_EMIT elevationChanged();
}

namespace zeltrin {

int runApp(int argc, char **argv, const RunHooks &hooks)
{
    tuneSceneGraph(); // before any thread that might read the environment
    QGuiApplication::setApplicationName(QStringLiteral("ZeltrinPilot"));
    QGuiApplication::setOrganizationName(QStringLiteral("Zeltrin"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("zeltrin.app"));
    QGuiApplication qapp(argc, argv);
    {
        // No options of its own: --help says so, anything else is refused before any window. Qt's
        // own options (-platform and the like) were taken by the application object.
        QCommandLineParser parser;
        parser.setApplicationDescription(QStringLiteral("Zeltrin Pilot: the companion app for camera-drone pilots."));
        parser.addHelpOption();
        parser.process(qapp);
        if (!parser.positionalArguments().isEmpty()) {
            std::fprintf(stderr, "%s: unexpected argument '%s'.\nTry '%s --help'.\n", argv[0],
                         qPrintable(parser.positionalArguments().constFirst()), argv[0]);
            return 2;
        }
    }
    // Font setup is the longest step before the QML runs and needs none of what follows, so
    // it goes to a second core while the shared objects and the engine are built.
    ApplicationLookSetup look;

    ZeltrinPilotApp app{[] {
        ZeltrinPilotApp::Dependencies deps;
        deps.flightStorePath = FlightStore::defaultPath();
        OfflineMaps::Options offline;
        offline.cacheDirectory = OfflineMaps::defaultCacheDirectory();
        deps.elevationStorePath = ElevationData::defaultStorePath();
        offline.elevationUrlTemplate = ElevationData::defaultUrlTemplate();
        offline.elevationStorePath = deps.elevationStorePath;
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

    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (window && hooks.windowCreated)
        hooks.windowCreated(*window, app);
    // The window icon is not needed for the first frame: it is set once that frame is out.
    if (window) {
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
