import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// A tile that switches a mission feature on and off.
T.AbstractButton {
    id: control
    property string label: ""
    property string iconName: ""
    property bool isEnabled: false
    signal toggledTo(bool value)

    Layout.fillWidth: true
    implicitHeight: content.implicitHeight + 20
    Accessible.role: Accessible.CheckBox
    Accessible.name: label
    Accessible.checkable: true
    Accessible.checked: isEnabled
    Accessible.onPressAction: control.clicked()
    onClicked: toggledTo(!isEnabled)

    // Stand-in for a spring (response 0.3 s, damping 0.825): a short ease-out.
    property real _on: isEnabled ? 1 : 0
    Behavior on _on { NumberAnimation { duration: 300; easing.type: Easing.OutCubic } }

    background: Rectangle {
        radius: 10
        color: Theme.alpha(Theme.themeGold, 0.12 + 0.08 * control._on)
        border.width: 1.5
        border.color: Theme.alpha(Theme.themeGold, control._on)
    }
    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: face
    Item {
        id: face
        Column {
            id: content
            anchors.centerIn: parent
            spacing: 5
            Item {
                width: 22; height: 22
                anchors.horizontalCenter: parent.horizontalCenter
                Icon {
                    anchors.centerIn: parent
                    name: control.iconName
                    size: 18
                    color: control.isEnabled ? Theme.themeGold : "white"
                }
                Icon {
                    visible: control.isEnabled
                    name: "checkmark.circle.fill"
                    size: 10
                    color: Theme.themeGreen
                    // At the glyph's top-right corner, 4 right and 4 up.
                    x: parent.width / 2 + 9 - width / 2 + 4
                    y: parent.height / 2 - 9 - height / 2 - 4
                    scale: control._on
                }
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: control.label
                color: control.isEnabled ? Theme.themeGold : "white"
                font.family: Theme.fontFamily
                font.pixelSize: 9
                font.weight: Font.Medium
            }
        }
    }
}
