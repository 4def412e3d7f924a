#pragma once

#include "AppState.h"
#include "DJIDroneManager.h"
#include "ElevationData.h"
#include "FlightRecorder.h"
#include "FlightStore.h"
#include "KeychainHelper.h"
#include "MRVAuthManager.h"
#include "MRVNetworkClient.h"
#include "MultiBatteryMission.h"
#include "OfflineMaps.h"
#include "TrackLine.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>

#include <functional>
#include <memory>
#include <optional>

class QJSEngine;
class QQuickWindow;

// Creates and owns the shared state objects for the whole run and makes them reachable from
// every screen as the QML singleton App (App.authManager, App.droneManager, App.appState).
class ZeltrinPilotApp : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(App)
    QML_SINGLETON
    Q_PROPERTY(MRVAuthManager *authManager READ authManager CONSTANT)
    Q_PROPERTY(DJIDroneManager *droneManager READ droneManager CONSTANT)
    Q_PROPERTY(AppState *appState READ appState CONSTANT)
    // The current (or last) flight's track, kept while the pilot switches screens.
    Q_PROPERTY(TrackLine *flownTrack READ flownTrack CONSTANT)
    // The logbook's store, with every flight recorded into it; null where none was handed in.
    Q_PROPERTY(FlightStore *flightStore READ flightStore NOTIFY flightStoreChanged)
    // The mission flown a battery at a time, its breakpoint kept in the store; null without one.
    Q_PROPERTY(MultiBatteryMission *multiBattery READ multiBattery NOTIFY flightStoreChanged)
    // The offline map areas; null where none were handed in or asked for.
    Q_PROPERTY(OfflineMaps *offlineMaps READ offlineMaps NOTIFY offlineMapsChanged)
    // The ground kept on the device (null until the session starts, or when none is kept).
    Q_PROPERTY(ElevationData *elevation READ elevation NOTIFY elevationChanged)
    // The folder of the plans the pilot saves in the app.
    Q_PROPERTY(QString planLibraryFolder READ planLibraryFolder CONSTANT)

public:
    // What the platform supplies; tests and tools hand in their own.
    struct Dependencies {
        std::unique_ptr<DJISDKManager> sdk; // default: makeDefaultSDK()
        // default: KeychainHelper::shared() (Secret Service, else the encrypted file store)
        std::unique_ptr<KeychainHelper> keychain;
        // default: a client for the build's account service address
        std::unique_ptr<MRVNetworkClient> accountClient;
        // The logbook store; without one, flights are not recorded and the logbook shows its
        // samples (the app hands in the one in its data folder).
        std::unique_ptr<FlightStore> flightStore;
        // Or where to open one when the root view is first shown (the app's own, after its
        // first frame: a large file takes a moment to check).
        QString flightStorePath;
        // The recorder's time; the wall clock unless a tool flies on a clock of its own.
        FlightRecorder::Clock recorderClock;
        // The offline maps, or how to open them when the root view is first shown.
        std::unique_ptr<OfflineMaps> offlineMaps;
        std::optional<OfflineMaps::Options> offlineMapsOptions;
        // Given, or opened at this path when the session starts (neither: no elevation data).
        std::unique_ptr<ElevationData> elevation;
        QString elevationStorePath;
        // The plan library's folder; default: "plans" in the app's data folder.
        QString planLibraryFolder;
    };

    // Not default-constructible on purpose: QML must take the instance attached to its engine.
    explicit ZeltrinPilotApp(Dependencies deps, QObject *parent = nullptr);
    ~ZeltrinPilotApp() override;

    MRVAuthManager *authManager() const { return m_authManager.get(); }
    KeychainHelper *keychain() const { return m_keychain; }
    MRVNetworkClient *accountClient() const { return m_accountClient.get(); }
    DJIDroneManager *droneManager() const { return m_droneManager.get(); }
    AppState *appState() const { return m_appState.get(); }
    TrackLine *flownTrack() const { return m_flownTrack.get(); }
    DJISDKManager *sdk() const { return m_sdk.get(); }
    FlightStore *flightStore() const { return m_flightStore.get(); }
    MultiBatteryMission *multiBattery() const { return m_multiBattery.get(); }
    FlightRecorder *flightRecorder() const { return m_recorder.get(); }
    OfflineMaps *offlineMaps() const { return m_offlineMaps.get(); }
    ElevationData *elevation() const { return m_elevation.get(); }
    QString planLibraryFolder() const { return m_planLibraryFolder; }

    // Screens of this engine will see this instance as App.
    void attachTo(QQmlEngine &engine);
    static ZeltrinPilotApp *create(QQmlEngine *qmlEngine, QJSEngine *jsEngine);

    // The root view calls this when it is first built. Once per launch it opens the flight store
    // and the offline maps, then starts the drone link. Given the root view's window, it waits
    // for that window's first frame (or a second at most, for a window that never draws one):
    // opening the store takes milliseconds that the first frame need not wait for.
    Q_INVOKABLE void rootViewShown(QObject *window = nullptr);
    int startConnectionCount() const { return m_startConnectionCount; }

Q_SIGNALS:
    void flightStoreChanged();
    void offlineMapsChanged();
    void elevationChanged();

private:
    void useFlightStore(std::unique_ptr<FlightStore> store);

    // Declared before the auth manager, which uses them until it is gone.
    std::unique_ptr<KeychainHelper> m_ownedKeychain;
    KeychainHelper *m_keychain = nullptr;
    std::unique_ptr<MRVNetworkClient> m_accountClient;
    std::unique_ptr<MRVAuthManager> m_authManager;
    std::unique_ptr<DJISDKManager> m_sdk;
    std::unique_ptr<DJIDroneManager> m_droneManager;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<TrackLine> m_flownTrack;
    std::unique_ptr<FlightStore> m_flightStore;
    std::unique_ptr<FlightRecorder> m_recorder;
    std::unique_ptr<MultiBatteryMission> m_multiBattery;
    QString m_flightStorePath;
    FlightRecorder::Clock m_recorderClock;
    std::unique_ptr<OfflineMaps> m_offlineMaps;
    std::optional<OfflineMaps::Options> m_offlineMapsOptions;
    std::unique_ptr<ElevationData> m_elevation;
    QString m_elevationStorePath;
    void useElevation(std::unique_ptr<ElevationData> elevation);
    QString m_planLibraryFolder;
    int m_startConnectionCount = 0;
    bool m_startPending = false;
    void startSession();
};

namespace zeltrin {

// What a caller of runApp may add to the run; main() adds nothing. Benchmarks use it to watch
// the window's frames.
struct RunHooks {
    // Called once, when the root window is created and before the event loop starts.
    std::function<void(QQuickWindow &window, ZeltrinPilotApp &app)> windowCreated;
};

// The whole app: what main() runs.
int runApp(int argc, char **argv, const RunHooks &hooks = {});

} // namespace zeltrin
