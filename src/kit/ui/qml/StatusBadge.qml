import QtQuick
import Zeltrin.Kit

// A small pill: dot and label in one colour over a 12 % fill of it.
Item {
    id: badge
    property string label: ""
    property color color: Theme.themeGrey

    implicitWidth: row.implicitWidth + 20
    implicitHeight: row.implicitHeight + 8
    Accessible.role: Accessible.StaticText
    Accessible.name: label

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(badge.color, 0.12)
    }
    Row {
        id: row
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 5
        Rectangle {
            width: 7
            height: 7
            radius: 3.5
            color: badge.color
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            text: badge.label
            color: badge.color
            font.family: Theme.fontFamily
            font.pixelSize: 11
            font.weight: Font.DemiBold
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
