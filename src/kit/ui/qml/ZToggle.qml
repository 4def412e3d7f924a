import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A 51 × 31 switch: the track fills with the tint when on, the white knob slides across.
// `text` is not drawn (screens lay out their own label) but names the switch for accessibility.
T.Switch {
    id: control
    property color tint: Theme.themeGold

    implicitWidth: 51
    implicitHeight: 31
    padding: 0
    spacing: 0

    TouchTarget { id: hit }
    containmentMask: hit

    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checked: checked

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    indicator: track
    Rectangle {
        id: track
        width: 51
        height: 31
        radius: 15.5
        color: control.checked ? control.tint : Theme.alpha("#787880", 0.32)
        Behavior on color { ColorAnimation { duration: 200 } }
        opacity: control.enabled ? 1 : 0.5

        Rectangle {
            // Shadow under the knob.
            x: knob.x
            y: knob.y + 1.5
            width: knob.width
            height: knob.height
            radius: knob.radius
            color: Theme.alpha("black", 0.18)
        }
        Rectangle {
            id: knob
            width: control.down ? 31 : 27
            height: 27
            radius: 13.5
            y: 2
            x: control.checked ? parent.width - width - 2 : 2
            color: "white"
            Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.OutCubic } }
            Behavior on width { NumberAnimation { duration: 150 } }
        }
    }
    contentItem: null
}
