import QtQuick
import Zeltrin

// The welcome screen with two ways in: sign in with an account, or continue as a guest.
Rectangle {
    id: gate
    color: Theme.themeBackground
    property bool showLogin: false
    // Pushed from Settings, over the main screens the guest is already in: "Continue as Guest"
    // asks to go back there (the session is left as it is).
    property bool pushed: false
    signal leaveRequested()
    readonly property var loginSheet: sheetLoader.item

    // Header centred in the space above the buttons; buttons 28 from the sides, 48 from the bottom.
    // A window too short for both (a phone on its side) puts them side by side.
    readonly property bool sideBySide: width > height && header.implicitHeight + buttons.implicitHeight + 48 + 24 > height
    Column {
        id: header
        x: Math.round(((gate.sideBySide ? gate.width / 2 : gate.width) - width) / 2)
        y: gate.sideBySide ? Math.max(0, Math.round((gate.height - height) / 2))
                           : Math.max(0, Math.round((buttons.y - height) / 2))
        spacing: 12

        Item {
            objectName: "gateIcon"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 110
            height: 110
            // Gold glow: the icon's shape in gold at 30 %, blurred by a radius of 20 (pre-rendered).
            Image {
                anchors.centerIn: parent
                width: 170
                height: 170
                source: "image://zeltrin/screens/auth/assets/GateGlow" + (Screen.devicePixelRatio > 1 ? "?dpr=2" : "")
                Accessible.ignored: true
            }
            Image {
                anchors.fill: parent
                source: "image://zeltrin/app/assets/AppIconPreview-110" + (Screen.devicePixelRatio > 1 ? "?dpr=2" : "")
                fillMode: Image.PreserveAspectFit
                smooth: true
                Accessible.ignored: true
            }
        }
        Text {
            objectName: "gateTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Zeltrin Pilot"
            color: Theme.themeGold
            font.family: Theme.fontFamily
            font.pixelSize: 32
            font.bold: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Made by Morvane for drone pilots"
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
    }

    // Placed by position rather than by anchors that change with the layout: a gate that starts
    // with no height (pushed onto a page not laid out yet) is side by side at first, and anchors
    // swapped at once leave the block where it was.
    Column {
        id: buttons
        x: gate.sideBySide ? Math.round(gate.width / 2) : 28
        width: gate.width - 28 - x
        y: gate.sideBySide ? Math.round((gate.height - height) / 2) : gate.height - 48 - height
        spacing: 12
        // A session kept after a network failure (or a skipped check): tried again on request.
        GhostButtonStyle {
            objectName: "resumeSavedSession"
            width: parent.width
            visible: App.authManager.hasStoredSession && !App.authManager.hasCurrentUser
            enabled: !App.authManager.isLoading
            text: App.authManager.isLoading ? "Checking Saved Session\u2026" : "Resume Saved Session"
            onClicked: App.authManager.resumeStoredSession()
        }
        GoldButtonStyle {
            objectName: "signInWithAccount"
            width: parent.width
            text: "Sign In with MRV Account"
            onClicked: gate.showLogin = true
        }
        GhostButtonStyle {
            objectName: "gateContinueAsGuest"
            width: parent.width
            text: "Continue as Guest"
            onClicked: gate.pushed ? gate.leaveRequested() : App.authManager.continueAsGuest()
        }
    }

    // The sheet, with the controls types it is built on, is loaded the first time it is asked
    // for; the gate's first frame does not wait for it.
    Loader {
        id: sheetLoader
        property bool made: false
        active: gate.showLogin || made
        source: "qrc:/Zeltrin/screens/auth/LoginSheet.qml"
        onLoaded: {
            made = true
            item.presented = Qt.binding(() => gate.showLogin)
        }
    }
    Connections {
        target: sheetLoader.item
        function onDismissed() { gate.showLogin = false }
    }
}
