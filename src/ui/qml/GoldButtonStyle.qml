import QtQuick
import Zeltrin

// Primary action: gold fill, dark semibold label, full width, 14 above and below the label.
ButtonBase {
    id: control

    implicitWidth: row.implicitWidth
    implicitHeight: label.implicitHeight + 28
    // The fill, under the label.
    readonly property Item background: fill
    font.family: Theme.fontFamily
    font.pixelSize: 16
    font.weight: Font.DemiBold

    Rectangle {
        id: fill
        anchors.fill: parent
        radius: 12
        color: control.down ? Theme.alpha(Theme.themeGold, 0.75) : Theme.themeGold
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
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
                color: Theme.themeBackground
            }
        }
        Text {
            id: label
            text: control.text
            font: control.font
            color: Theme.themeBackground
        }
    }
}
