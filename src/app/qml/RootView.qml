import QtQuick
import Zeltrin

// Chooses what fills the window from the auth manager: the splash while the stored session is
// checked, the tabs once signed in or entered as a guest, the sign-in gate otherwise.
Item {
    id: root
    readonly property var auth: App.authManager
    // 0 splash, 1 main tab view, 2 sign-in gate
    readonly property int screen: auth.isCheckingSession ? 0 : (auth.isAuthenticated ? 1 : 2)
    property ScreenHolder current: null
    // The screen now showing (splash, tab view or gate).
    readonly property Item currentScreen: current ? current.item as Item : null
    property ScreenHolder leaving: null
    // The tab view, built out of sight while the sign-in gate is up. Both ways out of the gate
    // lead to the tabs, so the pilot's first tap finds them ready instead of waiting on them.
    property ScreenHolder standby: null
    // True while the splash, the first decision, waits for the event loop to turn. When the
    // check ends first, the splash is never built, and the next screen still fades in as it
    // would over the splash, which starts transparent.
    property bool splashPending: false

    // Screens are loaded by address when first chosen, so the first frame (the splash) does not
    // wait for the tab view's and the gate's types.
    readonly property var screenUrls: [
        "qrc:/Zeltrin/app/qml/SplashView.qml",
        "qrc:/Zeltrin/app/qml/MainTabView.qml",
        "qrc:/Zeltrin/screens/auth/AuthGateView.qml",
    ]
    // Holds one screen; the cross-fade animates the holder, so a screen's own opacity
    // (the splash's fade-in) stays its own.
    component ScreenHolder: Item {
        property alias source: loader.source
        property alias item: loader.item
        property alias asynchronous: loader.asynchronous
        anchors.fill: parent
        Loader { id: loader; anchors.fill: parent }
        // Ends a build still running in the background here and now.
        function finish() { loader.asynchronous = false }
    }
    Component {
        id: holderComponent
        ScreenHolder {}
    }

    // Each decision makes its screen anew and cross-fades from the previous one over 0.35 s.
    function show(which) {
        if (leaving) {
            leaving.destroy()
            leaving = null
        }
        let next = null
        const fades = current !== null || (splashPending && which !== 0)
        splashPending = false
        if (which === 1 && standby) {
            next = standby
            standby = null
            next.finish()
            next.opacity = fades ? 0 : 1
            next.enabled = true
            next.visible = true
        } else {
            next = holderComponent.createObject(root, { "source": screenUrls[which], "opacity": fades ? 0 : 1 })
        }
        if (current) {
            leaving = current
            fadeOut.target = leaving
            fadeIn.target = next
            crossFade.restart()
        } else if (fades) {
            soloFadeIn.target = next
            soloFadeIn.restart()
        }
        current = next
        if (which === 2) {
            gateShown.framesSinceSeen = -1
            gateShown.arm()
        }
    }
    onScreenChanged: show(screen)

    // Built in slices between frames once the gate shows, also while it still fades in: a pilot
    // may tap before that fade ends, and a tap that finds no build under way waits for the whole
    // tab view.
    function buildStandby() {
        if (screen !== 2 || standby)
            return
        standby = holderComponent.createObject(root, {
            "source": screenUrls[1], "asynchronous": true, "visible": false, "enabled": false
        })
    }
    FrameWatch {
        id: gateShown
        // The gate fades in from transparent, and the frame that starts the fade paints nothing of
        // it. The build's first slices took the GUI thread for some 30 ms and held back the fade's
        // first step, the first the pilot sees of the gate, so they wait until a frame has
        // painted it. Once the gate is seen above opacity 0, the next frame to come out may have
        // been synced before that (the render thread runs a frame behind); the one after it was
        // not, and paints the gate.
        property int framesSinceSeen: -1
        onPresented: {
            if (root.screen !== 2)
                return
            if (framesSinceSeen < 0 && (root.current === null || root.current.opacity <= 0)) {
                arm()
                return
            }
            if (++framesSinceSeen < 2) {
                arm()
                return
            }
            root.buildStandby()
        }
    }
    Component.onCompleted: {
        // The splash fades in from transparent, so a check that ends before the event loop
        // first runs (nothing stored) would build it only to throw it away before any frame.
        if (screen === 0) {
            splashPending = true
            // Qt 6.4 declares Qt.callLater as a QJSValue property, which qmllint's type check takes
            // for a value that may not be callable.
            Qt.callLater(showSplashIfStillChecking) // qmllint disable type
        }
        else
            show(screen)
        // The store, the offline maps and the link start once the first frame is out.
        App.rootViewShown(Window.window)
    }
    function showSplashIfStillChecking() {
        if (screen === 0 && !current)
            show(0)
    }

    NumberAnimation {
        id: soloFadeIn
        property: "opacity"; to: 1; duration: 350; easing.type: Easing.InOutQuad
    }
    ParallelAnimation {
        id: crossFade
        NumberAnimation { id: fadeOut; property: "opacity"; to: 0; duration: 350; easing.type: Easing.InOutQuad }
        NumberAnimation { id: fadeIn; property: "opacity"; to: 1; duration: 350; easing.type: Easing.InOutQuad }
        onFinished: {
            if (root.leaving) {
                root.leaving.destroy()
                root.leaving = null
            }
            root.buildStandby()
        }
    }
}
