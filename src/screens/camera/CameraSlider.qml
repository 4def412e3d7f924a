import QtQuick
import QtQuick.Layouts
import QtQuick.Controls
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

    Slider {
        id: slider
        objectName: row.label + "Slider"
        Layout.fillWidth: true
        from: row.from
        to: row.to
        stepSize: row.step
        snapMode: Slider.SnapAlways
        value: row.value
        Accessible.name: row.label
        onMoved: row.edited(value)
        onPressedChanged: row.change()

        background: Item {
            x: slider.leftPadding
            y: slider.topPadding + slider.availableHeight / 2 - 2
            implicitWidth: 200
            implicitHeight: 4
            width: slider.availableWidth
            height: 4
            Rectangle {
                anchors.fill: parent
                radius: 2
                color: Theme.alpha("white", 0.2)
            }
            Rectangle {
                width: slider.visualPosition * parent.width
                height: parent.height
                radius: 2
                color: Theme.themeGold
            }
        }
        handle: Rectangle {
            x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            implicitWidth: 28
            implicitHeight: 28
            radius: 14
            color: "white"
            border.width: 0.5
            border.color: Theme.alpha("black", 0.12)
        }
    }

    Text {
        text: Fmt.f("%.0f%@", row.value, row.unit)
        color: Theme.themeGold
        font.family: Theme.monoFamily
        font.pixelSize: 12
        font.weight: Font.DemiBold
        horizontalAlignment: Text.AlignRight
        Layout.preferredWidth: 50
    }
}
