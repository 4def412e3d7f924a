import QtQuick
import Zeltrin

// One figure of the status row: icon in its colour, value, label.
Item {
    id: item
    property string value: ""
    property string label: ""
    property string icon: ""
    property color color: Theme.themeGrey

    implicitWidth: column.implicitWidth
    implicitHeight: column.implicitHeight
    Accessible.role: Accessible.StaticText
    Accessible.name: label + " " + value

    Column {
        id: column
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 4
        Icon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: item.icon
            size: 16
            color: item.color
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: item.value
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: item.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: 10
        }
    }
}
