import QtQuick
import QtQuick.Layouts
import Zeltrin

// One ActiveTrack mode to pick: gold outline and fill, gold title and a green check when
// selected. `mode` is {title, icon, description}.
Item {
    id: card
    property var mode: ({ title: "", icon: "", description: "" })
    property bool isSelected: false
    signal action()

    // Sprung, like the selection change it shows.
    property real selectedness: isSelected ? 1 : 0
    // Response 0.3 s, damping fraction 0.825; see QuickActionButton for how these follow.
    Behavior on selectedness { SpringAnimation { spring: 5.341; damping: 0.4247; mass: 1; epsilon: 0.002 } }

    Layout.fillWidth: true
    implicitHeight: row.implicitHeight + 28
    Accessible.role: Accessible.RadioButton
    Accessible.name: mode.title
    Accessible.checked: isSelected
    Accessible.onPressAction: card.action()

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Theme.themeSurface
    }
    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Theme.alpha(Theme.themeGold, 0.15)
        border.width: 2
        border.color: Theme.themeGold
        opacity: Math.max(0, Math.min(1, card.selectedness))
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 14
        spacing: 14
        Icon {
            Layout.preferredWidth: 44
            name: card.mode.icon
            size: 24
            color: card.isSelected ? Theme.themeGold : "white"
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 4
            Text {
                text: card.mode.title
                color: card.isSelected ? Theme.themeGold : "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.headline
                font.weight: Font.DemiBold
            }
            Text {
                Layout.fillWidth: true
                text: card.mode.description
                color: Theme.secondaryText
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
            }
        }
        Icon {
            visible: card.isSelected
            name: "checkmark.circle.fill"
            size: 20
            color: Theme.themeGreen
        }
    }

    TapHandler { onTapped: card.action() }
}
