import QtQuick
import QtQuick.Templates as T
import Zeltrin

// A toggle drawn as a button: gold tint, highlighted while on.
T.AbstractButton {
    id: control
    property string iconName: ""
    property bool isOn: false
    signal toggledTo(bool value)

    implicitWidth: row.implicitWidth + 24
    implicitHeight: row.implicitHeight + 14
    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: isOn
    Accessible.onPressAction: control.clicked()
    onClicked: toggledTo(!isOn)

    background: Rectangle {
        radius: 8
        color: control.isOn ? Theme.themeGold : Theme.alpha(Theme.themeGold, control.down ? 0.25 : 0.15)
    }
    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: face
    Item {
        id: face
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 4
            Icon {
                name: control.iconName
                size: Theme.caption
                color: control.isOn ? Theme.themeBackground : Theme.themeGold
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                text: control.text
                color: control.isOn ? Theme.themeBackground : Theme.themeGold
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
}
