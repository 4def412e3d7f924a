import QtQuick
import QtQuick.Templates as T
import Zeltrin

// Typing the password with an on-screen keyboard up: the sheet rides above the keys (drawn here
// as a plain panel) with the focused field in view.
AuthGateView {
    id: gate
    property var extraSizes: ["320x568", "844x390"]
    property int settleMs: 2000
    showLogin: true
    Timer {
        interval: 600
        running: true
        onTriggered: {
            const login = gate.loginSheet.sheetItem.model
            login.email = "pilot@zeltrin.dev"
            login.focused = 1
            keys.open()
            tour.showKeyboard(keys.height, gate.width, gate.height)
        }
    }
    // Above the sheet: a popup opened after it.
    T.Popup {
        id: keys
        x: 0
        y: gate.height - height
        z: 10
        width: gate.width
        height: Math.round(Math.min(gate.height * 0.42, 300))
        padding: 0
        closePolicy: T.Popup.NoAutoClose
        background: Rectangle { color: "#2C2C30" }
        contentItem: Item {
            Grid {
                anchors.centerIn: parent
                columns: 10
                spacing: 6
                Repeater {
                    model: 30
                    Rectangle {
                        width: Math.floor((keys.width - 80) / 10)
                        height: Math.floor((keys.height - 40) / 4)
                        radius: 5
                        color: "#5A5A60"
                    }
                }
            }
        }
    }
}
