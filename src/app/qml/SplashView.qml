import QtQuick
import Zeltrin

// Shown while the stored session is checked; fades in over 0.4 s each time it is made.
Rectangle {
    id: splash
    objectName: "splashView"
    color: Theme.themeBackground
    opacity: 0.0

    Component.onCompleted: fadeIn.start()
    NumberAnimation {
        id: fadeIn
        target: splash
        property: "opacity"
        to: 1.0
        duration: 400
        easing.type: Easing.InQuad
    }

    // Centred; lifted clear of the way-on button where the window is short.
    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        y: Math.max(0, Math.min(Math.round((splash.height - height) / 2),
                                wayOn.visible ? wayOn.y - height - 16 : splash.height))
        spacing: 16

        // The artwork's own corners are rounded to match a radius of 26 at this size.
        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 120
            height: 120
            source: "image://zeltrin/app/assets/AppIconPreview-120" + (Screen.devicePixelRatio > 1 ? "?dpr=2" : "")
            fillMode: Image.Stretch
            smooth: true
            Accessible.ignored: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Zeltrin Pilot"
            color: Theme.themeGold
            font.family: Theme.fontFamily
            font.pixelSize: 28
            font.bold: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "by Morvane"
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 20
            height: 28
            Spinner {
                anchors.bottom: parent.bottom
                anchors.horizontalCenter: parent.horizontalCenter
                color: Theme.themeGold
            }
        }
    }

    // A check that takes long (a locked keyring, a slow network) does not hold the pilot here:
    // after a few seconds the splash offers a way on; a stored token stays stored.
    property int offerWayOnAfterMs: 3000
    Timer {
        id: wayOnTimer
        interval: splash.offerWayOnAfterMs
        running: true
    }
    GhostButtonStyle {
        id: wayOn
        objectName: "splashContinueAsGuest"
        visible: !wayOnTimer.running
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.leftMargin: 28
        anchors.rightMargin: 28
        anchors.bottomMargin: 48
        text: "Continue as Guest"
        onClicked: {
            App.authManager.skipSessionCheck()
            App.authManager.continueAsGuest()
        }
    }
}
