import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A navigation-bar item: a text or icon button in the tint colour that dims while pressed.
T.AbstractButton {
    id: control
    property string iconName: ""
    property color color: Theme.themeGold

    implicitWidth: Math.max(row.implicitWidth, 22) + leftPadding + rightPadding
    implicitHeight: 44
    leftPadding: 0
    rightPadding: 0
    font.family: Theme.fontFamily
    font.pixelSize: Theme.body
    opacity: enabled ? (down ? 0.35 : 1) : 0.4
    Behavior on opacity { NumberAnimation { duration: 120 } }

    // An icon is drawn 22 wide; the finger gets 44 × 44 around it.
    TouchTarget { id: hit }
    containmentMask: hit

    Accessible.role: Accessible.Button
    // Icon-only items should set Accessible.name to what the icon means.
    Accessible.name: text !== "" ? text : iconName
    Accessible.onPressAction: control.clicked()

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: content
    Item {
        id: content
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 4
            Icon {
                visible: control.iconName !== ""
                name: control.iconName
                size: 22
                color: control.color
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                visible: control.text !== ""
                text: control.text
                font: control.font
                color: control.color
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
}
