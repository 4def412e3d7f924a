import QtQuick
import Zeltrin

// The window's only content. Starts the drone link when first shown.
Rectangle {
    id: content
    color: Theme.themeBackground

    Component.onCompleted: App.rootViewShown()

    Column {
        anchors.centerIn: parent
        spacing: 12
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Zeltrin Pilot"
            color: Theme.themeGold
            font.family: Theme.fontFamily
            font.pixelSize: 28
            font.bold: true
        }
        StatusBadge {
            anchors.horizontalCenter: parent.horizontalCenter
            label: App.droneManager.connectionStateText
            color: App.droneManager.connectionStateColor
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: App.droneManager.aircraft.model
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
        }
    }
}
