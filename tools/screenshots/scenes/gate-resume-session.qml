import QtQuick
import Zeltrin

// A session kept from an earlier run while the pilot is out: the gate offers to resume it.
AuthGateView {
    property int settleMs: 2200
    Component.onCompleted: tour.signInDemo()
    Timer {
        interval: 1200
        running: true
        onTriggered: App.authManager.continueAsGuest()
    }
}
