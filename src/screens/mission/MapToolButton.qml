import QtQuick
import QtQuick.Templates as T
import Zeltrin

// One round button of the map's tool column.
T.AbstractButton {
    id: control
    property string iconName: ""
    property color color: Theme.themeGold

    implicitWidth: 44
    implicitHeight: 44
    Accessible.role: Accessible.Button
    Accessible.name: iconName
    Accessible.onPressAction: control.clicked()

    background: Item {
        // Shadow: black at 30 %, radius 4, 2 down.
        Rectangle {
            x: -2; y: 0
            width: 48; height: 48; radius: 24
            color: Qt.rgba(0, 0, 0, 0.10)
        }
        Rectangle {
            x: -1; y: 1.5
            width: 46; height: 46; radius: 23
            color: Qt.rgba(0, 0, 0, 0.2)
        }
        Rectangle {
            anchors.fill: parent
            radius: 22
            color: Theme.themeSurface
            opacity: control.down ? 0.8 : 1
        }
    }
    contentItem: Icon {
        name: control.iconName
        size: 20
        color: control.color
    }
}
