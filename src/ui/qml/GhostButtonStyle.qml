import QtQuick
import Zeltrin

// Secondary action: faint gold fill, gold outline and label; pressing only deepens the fill.
ButtonBase {
    id: control

    implicitWidth: row.implicitWidth
    implicitHeight: label.implicitHeight + 28
    // The fill, under the label.
    readonly property Item background: fill
    font.family: Theme.fontFamily
    font.pixelSize: 16
    font.weight: Font.Medium

    Rectangle {
        id: fill
        anchors.fill: parent
        radius: 12
        color: Theme.alpha(Theme.themeGold, control.down ? 0.12 : 0.06)
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
    }
    Rectangle {
        anchors.fill: parent
        anchors.margins: -0.5
        radius: 12.5
        color: "transparent"
        border.width: 1
        border.color: Theme.alpha(Theme.themeGold, 0.4)
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8
        // Made only for a button with an icon: an empty icon would still load the icon font.
        Loader {
            active: control.iconName !== ""
            visible: active
            anchors.verticalCenter: parent.verticalCenter
            sourceComponent: Icon {
                name: control.iconName
                size: 18
                color: Theme.themeGold
            }
        }
        Text {
            id: label
            text: control.text
            font: control.font
            color: Theme.themeGold
        }
    }
}
