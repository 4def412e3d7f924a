import QtQuick
import Zeltrin

// A sign-in in flight: the service does not answer yet.
AuthGateView {
    id: gate
    property var extraSizes: ["320x568", "844x390"]
    property int settleMs: 1300
    showLogin: true
    Timer {
        interval: 500
        running: true
        onTriggered: {
            tour.accountStalls = true
            const login = gate.loginSheet.sheetItem.model
            login.email = "pilot@zeltrin.dev"
            login.password = "skyward-demo"
            login.signIn()
        }
    }
}
