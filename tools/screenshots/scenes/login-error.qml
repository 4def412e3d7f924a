import QtQuick
import Zeltrin

// A refused sign-in: the service answers 401 and the message shows above the button.
AuthGateView {
    id: gate
    property var extraSizes: ["320x568", "844x390"]
    property int settleMs: 1800
    showLogin: true
    Timer {
        interval: 500
        running: true
        onTriggered: {
            const login = gate.loginSheet.sheetItem.model
            login.email = "pilot@zeltrin.dev"
            login.password = "wrong-password"
            login.signIn()
        }
    }
}
