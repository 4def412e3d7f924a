import QtQuick
import QtQuick.Layouts
import Zeltrin

// One slider row: label, gold slider, value text. `change` fires when a drag starts and when it
// ends, never for the values passed in between.
RowLayout {
    id: row
    property string label: ""
    property real value: 0
    property real from: 0
    property real to: 1
    property real step: 1
    property string unit: ""
    signal change()
    // The user moved the slider to a new stepped value; the owner writes it into its field.
    signal edited(real value)

    spacing: 8

    Text {
        text: row.label
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption
        horizontalAlignment: Text.AlignLeft
        Layout.preferredWidth: 60
    }

    // The row stays as high as the 32-high slider, but the slider takes touches 6 above and
    // below it as well, so a fingertip has a 44-high target.
    Item {
        Layout.fillWidth: true
        Layout.preferredHeight: slider.implicitHeight
        ZSlider {
            id: slider
            objectName: row.label + "Slider"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            height: 44
            from: row.from
            to: row.to
            stepSize: row.step
            value: row.value
            label: row.label
            onMoved: row.edited(value)
            onPressedChanged: row.change()
        }
    }

    Text {
        objectName: row.label + "Value"
        text: Fmt.f("%.0f%@", row.value, row.unit)
        color: Theme.themeGold
        font.family: Theme.monoFamily
        font.pixelSize: 12
        font.weight: Font.DemiBold
        horizontalAlignment: Text.AlignRight
        Layout.preferredWidth: 50
    }
}
