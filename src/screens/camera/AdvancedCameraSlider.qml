import QtQuick
import QtQuick.Layouts
import Zeltrin

// A stepped setting on a card: icon, label, value text (unit first), and a gold slider.
// The slider moves over step positions; the owner turns a position into the value, so values
// never drift by repeated adding.
ZeltrinCard {
    id: card
    property string label: ""
    property string icon: ""
    property string valueText: ""
    property int position: 0
    property int positionCount: 2
    signal positionEdited(int position)

    padding: 14

    ColumnLayout {
        width: parent.width
        spacing: 8
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Icon {
                name: card.icon
                size: 17
                color: Theme.themeGold
                Layout.preferredWidth: 20
            }
            Text {
                text: card.label
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
            }
            Item { Layout.fillWidth: true }
            Text {
                text: card.valueText
                color: Theme.themeGold
                font.family: Theme.monoFamily
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
        }
        ZSlider {
            id: slider
            Layout.fillWidth: true
            from: 0
            to: card.positionCount - 1
            stepSize: 1
            value: card.position
            label: card.label
            onMoved: card.positionEdited(Math.round(value))
        }
    }
}
