import QtQuick
import Zeltrin

// The welcome screen with two ways in: sign in with an account, or continue as a guest.
Rectangle {
    id: gate
    color: Theme.themeBackground
    property bool showLogin: false
    readonly property var loginSheet: sheetLoader.item

    // Header centred in the space above the buttons; buttons 28 from the sides, 48 from the bottom.
    Column {
        id: header
        anchors.horizontalCenter: parent.horizontalCenter
        y: Math.max(0, Math.round((buttons.y - height) / 2))
        spacing: 12

        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 110
            height: 110
            // Gold glow: soft rings of fading gold standing in for a blurred shadow.
            Repeater {
                model: 10
                Rectangle {
                    required property int index
                    anchors.centerIn: parent
                    width: 110 + 4 * (index + 1)
                    height: width
                    radius: 24 + 2 * (index + 1)
                    color: Theme.alpha(Theme.themeGold, 0.3 * Math.pow(1 - (index + 1) / 11, 2) / 4)
                }
            }
            Image {
                anchors.fill: parent
                source: "qrc:/Zeltrin/app/assets/AppIconPreview-110.png"
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
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.leftMargin: 28
        anchors.rightMargin: 28
        anchors.bottomMargin: 48
        spacing: 12
        GoldButtonStyle {
            width: parent.width
            text: "Sign In with MRV Account"
            onClicked: gate.showLogin = true
        }
        GhostButtonStyle {
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
