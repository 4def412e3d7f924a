import QtQuick
import QtQuick.Layouts
import Zeltrin

// A labelled slider card. Dragging reports every intermediate value through moved(); the
// owner writes it into its field, which flows back through `value`.
ZeltrinCard {
    id: card
    property string label: ""
    property real value: 0
    property var range: ({ from: 0, to: 1 })
    property string unit: ""
    property string icon: ""
    signal moved(real value)

    readonly property string valueText: Fmt.f("%.0f %@", value, unit)

    Layout.fillWidth: true
    padding: 14

    ColumnLayout {
        width: card.availableWidth
        spacing: 8
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Icon {
                Layout.preferredWidth: 20
                name: card.icon
                color: Theme.themeGold
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
            from: card.range.from
            to: card.range.to
            stepSize: 0
            value: card.value
            label: card.label
            onMoved: card.moved(slider.value)
        }
    }
}
