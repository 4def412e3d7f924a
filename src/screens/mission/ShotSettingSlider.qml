import QtQuick
import QtQuick.Layouts
import Zeltrin

// A shot setting in a card: label and whole-number read-out over a continuous slider.
ZeltrinCard {
    id: card
    property string label: ""
    property real value: 0
    property real from: 0
    property real to: 1
    property string unit: ""
    signal valueEdited(real value)

    padding: 14
    ColumnLayout {
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 8
        RowLayout {
            Layout.fillWidth: true
            Text {
                text: card.label
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
            }
            Item { Layout.fillWidth: true }
            Text {
                text: Fmt.f("%.0f %@", card.value, card.unit)
                color: Theme.themeGold
                font.family: Theme.monoFamily
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
        }
        ZSlider {
            Layout.fillWidth: true
            from: card.from
            to: card.to
            stepSize: 0
            value: card.value
            tint: Theme.themeGold
            label: card.label
            onMoved: card.valueEdited(value)
        }
    }
}
