import QtQuick
import Zeltrin

// A small icon and value pair in a flight row.
Row {
    id: stat
    property string icon: ""
    property string value: ""
    spacing: 3
    Icon {
        anchors.verticalCenter: parent.verticalCenter
        name: stat.icon
        size: 10
        color: Theme.themeGold
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: stat.value
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: 11
    }
}
