import QtQuick
import QtQuick.Layouts
import Zeltrin

// One focus mode to pick: icon, title, and a green check when selected.
Item {
    id: card
    property var mode: ({title: "", icon: ""})
    property bool isSelected: false
    signal action()

    readonly property color tint: isSelected ? Theme.themeGold : "white"
    implicitHeight: row.implicitHeight + 28
    implicitWidth: row.implicitWidth + 28
    Accessible.role: Accessible.RadioButton
    Accessible.name: mode.title
    Accessible.checked: isSelected
    Accessible.onPressAction: action()

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: card.isSelected ? Theme.alpha(Theme.themeGold, 0.15) : Theme.themeSurface
        border.width: 2
        border.color: card.isSelected ? Theme.themeGold : "transparent"
        Behavior on color { ColorAnimation { duration: 300; easing.type: Easing.OutCubic } }
        Behavior on border.color { ColorAnimation { duration: 300; easing.type: Easing.OutCubic } }
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 14
        spacing: 14
        Icon {
            name: card.mode.icon
            size: 24
            color: card.tint
            Layout.preferredWidth: 44
        }
        Text {
            text: card.mode.title
            color: card.tint
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
        }
        Item { Layout.fillWidth: true }
        Icon {
            visible: card.isSelected
            name: "checkmark.circle.fill"
            size: 20
            color: Theme.themeGreen
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: card.action()
    }
}
