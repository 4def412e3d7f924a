import QtQuick
import Zeltrin

// Stands in for a tab whose screen is not built yet.
Rectangle {
    property string title: ""
    property string icon: ""
    color: Theme.themeBackground
    Column {
        anchors.centerIn: parent
        spacing: 10
        Icon { anchors.horizontalCenter: parent.horizontalCenter; name: parent.parent.icon; size: 44; color: Theme.themeGrey }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: parent.parent.title
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
        }
    }
}
