import QtQuick
import Zeltrin

// A tile that runs its action. While active it takes its colour as an outline and a faint
// fill, the label turns that colour and a green dot marks the icon; the change springs.
Item {
    id: button
    property string label: ""
    property string icon: ""
    property color color: Theme.themeGold
    property bool isActive: false
    signal action()

    // 0 idle .. 1 active, sprung so the look settles like a released spring.
    property real activeness: isActive ? 1 : 0
    Behavior on activeness { SpringAnimation { spring: 4.5; damping: 0.32; epsilon: 0.005 } }

    implicitWidth: Math.max(column.implicitWidth, 60)
    implicitHeight: column.implicitHeight + 24

    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.checked: isActive
    Accessible.onPressAction: button.action()

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Theme.themeBackground
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Theme.alpha(button.color, 0.15)
        opacity: Math.max(0, Math.min(1, button.activeness))
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: "transparent"
        border.width: 1.5
        border.color: button.color
        opacity: Math.max(0, Math.min(1, button.activeness))
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: "white"
        opacity: tap.pressed ? 0.06 : 0
    }

    Column {
        id: column
        anchors.centerIn: parent
        spacing: 6
        Icon {
            id: glyph
            anchors.horizontalCenter: parent.horizontalCenter
            name: button.icon
            size: 20
            color: button.color
            Rectangle {
                width: 8
                height: 8
                radius: 4
                color: Theme.themeGreen
                x: parent.width - width / 2 + 6
                y: -height / 2 - 6
                visible: button.activeness > 0.01
                scale: Math.max(0, button.activeness)
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: button.label
            color: button.isActive ? button.color : Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: 10
            font.weight: Font.Medium
        }
    }

    TapHandler {
        id: tap
        onTapped: button.action()
    }
}
