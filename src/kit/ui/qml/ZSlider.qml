import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A slider with the platform look: a 4-high track, the tint on the filled part, a white thumb.
// Only the thumb moves it: a tap on the track changes nothing (a stray touch must not rewrite a
// setting), and a drag that starts vertically is left to the scroll view around the slider.
// The keyboard still steps the value. With a stepSize the value always lands on from + n * stepSize.
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

    // Value under a scene x for the thumb's centre, snapped and bounded.
    function _valueAtSceneX(sceneX) {
        const travel = Math.max(1, availableWidth - handle.width)
        const local = mapFromItem(null, sceneX, 0).x - leftPadding - handle.width / 2
        let p = Math.max(0, Math.min(1, local / travel))
        if (mirrored)
            p = 1 - p
        let v = from + (to - from) * p
        if (stepSize > 0)
            v = from + Math.round((v - from) / stepSize) * stepSize
        const lo = Math.min(from, to)
        const hi = Math.max(from, to)
        return Math.max(lo, Math.min(hi, v))
    }

    // Takes presses on the track so the slider's own press handling never sees them; a
    // surrounding Flickable may still take a drag that starts here.
    MouseArea {
        anchors.fill: parent
        z: 0
        preventStealing: false
        TouchTarget { id: trackHit }
        containmentMask: trackHit
    }

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
            // Up to the thumb's centre; the thumb travels inside the track.
            width: 14 + control.visualPosition * (parent.width - 28)
            height: parent.height
            radius: 2
            color: control.tint
        }
    }

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    handle: thumb
    Item {
        id: thumb
        objectName: "thumb"
        z: 1
        x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
        y: control.topPadding + (control.availableHeight - height) / 2
        width: 28
        height: 28

        // A finger-sized grip around the 28-pt thumb.
        TouchTarget { id: grip }
        containmentMask: grip

        PointHandler {
            id: touchPoint
            enabled: control.enabled
            onActiveChanged: control.pressed = touchPoint.active || thumbDrag.active
        }
        DragHandler {
            id: thumbDrag
            target: null
            enabled: control.enabled
            yAxis.enabled: false
            // Once dragging, the scroll view around must not take the finger away.
            grabPermissions: PointerHandler.CanTakeOverFromAnything
            onActiveChanged: control.pressed = touchPoint.active || thumbDrag.active
            onCentroidChanged: {
                if (!active)
                    return
                const v = control._valueAtSceneX(centroid.scenePosition.x)
                if (v !== control.value) {
                    Theme.writeKeepingBinding(control, "value", v)
                    control.moved()
                }
            }
        }

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
