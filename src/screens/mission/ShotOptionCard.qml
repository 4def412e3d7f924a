import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// One cinematic shot to pick: icon, title and explanation; gold outline and a check when chosen.
T.AbstractButton {
    id: card
    property string title: ""
    property string iconName: ""
    property string description: ""
    property bool isSelected: false

    implicitHeight: row.implicitHeight + 28
    Accessible.role: Accessible.RadioButton
    Accessible.name: title
    Accessible.checkable: true
    Accessible.checked: isSelected
    Accessible.onPressAction: card.clicked()

    // Stand-in for the selection spring (response 0.3 s, damping 0.825).
    property real _on: isSelected ? 1 : 0
    Behavior on _on { NumberAnimation { duration: 300; easing.type: Easing.OutCubic } }

    background: Rectangle {
        radius: 12
        color: card.isSelected ? Theme.alpha(Theme.themeGold, 0.15) : Theme.themeSurface
        border.width: 2
        border.color: Theme.alpha(Theme.themeGold, card._on)
    }
    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: face
    Item {
        id: face
        RowLayout {
            id: row
            anchors.fill: parent
            anchors.margins: 14
            spacing: 8
            Item {
                Layout.preferredWidth: 44
                Layout.preferredHeight: 28
                Icon {
                    anchors.centerIn: parent
                    name: card.iconName
                    size: 24
                    color: card.isSelected ? Theme.themeGold : "white"
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    text: card.title
                    color: card.isSelected ? Theme.themeGold : "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                Text {
                    Layout.fillWidth: true
                    text: card.description
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                    wrapMode: Text.WordWrap
                }
            }
            Icon {
                visible: card.isSelected
                name: "checkmark.circle.fill"
                size: 20
                color: Theme.themeGreen
                scale: card._on
            }
        }
    }
}
