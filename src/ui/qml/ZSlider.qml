import QtQuick
import QtQuick.Templates as T
import Zeltrin

// A slider with the platform look: a 4-high track, the tint on the filled part, a white thumb.
// With a stepSize the value always lands on from + n * stepSize.
T.Slider {
    id: control
    property color tint: Theme.themeGold
    property string label: ""

    implicitWidth: 200
    implicitHeight: 32
    padding: 0
    snapMode: stepSize > 0 ? T.Slider.SnapAlways : T.Slider.NoSnap

    Accessible.role: Accessible.Slider
    Accessible.name: label

    background: Item {
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        width: control.availableWidth
        height: 4
        Rectangle {
            anchors.fill: parent
            radius: 2
            color: Theme.alpha("white", 0.2)
        }
        Rectangle {
            // Up to the thumb's centre; the thumb travels inside the track, as the slider maps touches.
            width: 14 + control.visualPosition * (parent.width - 28)
            height: parent.height
            radius: 2
            color: control.tint
        }
    }

    handle: Item {
        x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
        y: control.topPadding + (control.availableHeight - height) / 2
        width: 28
        height: 28
        // A soft shadow: a few faint, widening discs under the thumb.
        Repeater {
            model: 3
            Rectangle {
                required property int index
                anchors.centerIn: parent
                anchors.verticalCenterOffset: 2
                width: 28 + 2 * (index + 1)
                height: width
                radius: width / 2
                color: Theme.alpha("black", 0.12 - index * 0.035)
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: 14
            color: control.pressed ? "#EDEDED" : "white"
        }
    }
}
