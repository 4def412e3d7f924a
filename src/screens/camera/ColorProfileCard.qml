import QtQuick
import QtQuick.Layouts
import Zeltrin

// One colour profile to pick: title and description, and a green check when selected.
Item {
    id: card
    property var profile: ({title: "", description: ""})
    property bool isSelected: false
    signal action()

    implicitHeight: row.implicitHeight + 28
    implicitWidth: row.implicitWidth + 28
    Accessible.role: Accessible.RadioButton
    Accessible.name: profile.title
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
        ColumnLayout {
            spacing: 4
            Layout.fillWidth: true
            Text {
                text: card.profile.title
                color: card.isSelected ? Theme.themeGold : "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.headline
                font.weight: Font.DemiBold
            }
            Text {
                text: card.profile.description
                color: Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
                wrapMode: Text.WordWrap
                Layout.fillWidth: true
            }
        }
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
