import QtQuick
import Zeltrin

// The start/stop look: gold with a play icon while idle, red with a stop icon while running.
Rectangle {
    id: look
    property string title: ""
    property bool isDestructive: false

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight + 28
    radius: 12
    color: isDestructive ? Theme.themeRed : Theme.themeGold

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8
        Icon {
            anchors.verticalCenter: parent.verticalCenter
            name: look.isDestructive ? "stop.circle.fill" : "play.circle.fill"
            size: 16
            color: Theme.themeBackground
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: look.title
            color: Theme.themeBackground
            font.family: Theme.fontFamily
            font.pixelSize: 16
            font.weight: Font.DemiBold
        }
    }
}
