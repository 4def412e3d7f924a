import QtQuick
import Zeltrin

// The welcome screen with two ways in: sign in with an account, or continue as a guest.
Rectangle {
    id: gate
    color: Theme.themeBackground
    property bool showLogin: false
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

    Column {
        id: buttons
        anchors.left: gate.sideBySide ? parent.horizontalCenter : parent.left
        anchors.right: parent.right
        anchors.bottom: gate.sideBySide ? undefined : parent.bottom
        anchors.verticalCenter: gate.sideBySide ? parent.verticalCenter : undefined
        anchors.leftMargin: gate.sideBySide ? 0 : 28
        anchors.rightMargin: 28
        anchors.bottomMargin: 48
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
            onClicked: App.authManager.continueAsGuest()
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
