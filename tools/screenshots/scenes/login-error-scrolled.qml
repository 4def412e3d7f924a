import QtQuick
import Zeltrin

// A refused sign-in on a short window, scrolled to its end: the message and "Sign In" in reach.
AuthGateView {
    id: gate
    property var extraSizes: ["320x568", "844x390"]
    property int settleMs: 2200
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
    Timer {
        interval: 1700
        running: true
        onTriggered: {
            const s = gate.loginSheet.sheetItem.item.scroller
            s.contentY = Math.max(0, s.contentHeight - s.height)
        }
    }
}
