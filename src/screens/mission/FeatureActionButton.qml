import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// A tile of the feature row that opens something.
T.AbstractButton {
    id: control
    property string label: ""
    property string iconName: ""

    Layout.fillWidth: true
    implicitHeight: content.implicitHeight + 20
    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.onPressAction: control.clicked()

    background: Rectangle {
        radius: 10
        color: Theme.alpha(Theme.themeGold, control.down ? 0.2 : 0.12)
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
                Icon { anchors.centerIn: parent; name: control.iconName; size: 18; color: Theme.themeGold }
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: control.label
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: 9
                font.weight: Font.Medium
            }
        }
    }
}
