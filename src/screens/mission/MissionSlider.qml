import QtQuick
import QtQuick.Layouts
import Zeltrin

// A labelled continuous slider with its whole-number read-out ("50 m").
RowLayout {
    id: row
    property string label: ""
    property real value: 0
    property real from: 0
    property real to: 1
    property string unit: ""
    // Written on every move; the owner stores it (two-way binding).
    signal valueEdited(real value)

    spacing: 8

    Text {
        Layout.preferredWidth: 70
        text: row.label
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption
        horizontalAlignment: Text.AlignLeft
    }
    ZSlider {
        id: slider
        Layout.fillWidth: true
        from: row.from
        to: row.to
        stepSize: 0
        value: row.value
        tint: Theme.themeGold
        label: row.label
        onMoved: row.valueEdited(value)
    }
    Text {
        Layout.preferredWidth: 55
        text: Fmt.f("%.0f %@", row.value, row.unit)
        color: Theme.themeGold
        font.family: Theme.monoFamily
        font.pixelSize: 12
        font.weight: Font.DemiBold
        horizontalAlignment: Text.AlignRight
    }
}
