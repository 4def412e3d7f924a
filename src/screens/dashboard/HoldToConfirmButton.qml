import QtQuick
import Zeltrin

// A command that must not go by a stray tap: it fires only after the finger (or the mouse)
// has held it for `holdMs`, with the fill showing how far along the hold is. Letting go early
// cancels. Keyboard and assistive technology confirm with one deliberate action.
Item {
    id: control
    property string text: ""
    property color color: Theme.themeGreen
    property int holdMs: 1000
    readonly property real progress: fill.progress
    signal confirmed()

    implicitWidth: 220
    implicitHeight: 52
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: control.confirmed()
    activeFocusOnTab: true
    Keys.onReturnPressed: control.confirmed()
    Keys.onSpacePressed: control.confirmed()

    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Theme.alpha(control.color, 0.18)
    }
    // The fill is the button's own rounded shape, uncovered from the left: its corners stay
    // inside the border at every step of the hold.
    Item {
        id: fill
        objectName: "holdFill"
        property real progress: 0
        width: control.width * progress
        height: control.height
        clip: true
        Rectangle {
            width: control.width
            height: control.height
            radius: 14
            color: Theme.alpha(control.color, 0.55)
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: 14
        color: "transparent"
        border.color: control.color
        border.width: 1
    }
    Text {
        anchors.centerIn: parent
        text: control.text
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: 16
        font.weight: Font.DemiBold
    }
    NumberAnimation {
        id: grow
        target: fill; property: "progress"; to: 1
        duration: Math.max(1, (1 - fill.progress) * control.holdMs)
        onFinished: if (fill.progress >= 1) { control.confirmed(); fill.progress = 0 }
    }
    NumberAnimation {
        id: shrink
        target: fill; property: "progress"; to: 0; duration: 150
    }
    // A pointer handler, so a finger holds it directly (it grabs on press and keeps the point
    // from anything behind the button).
    TapHandler {
        gesturePolicy: TapHandler.WithinBounds
        onPressedChanged: {
            if (pressed) {
                shrink.stop()
                grow.restart()
            } else {
                grow.stop()
                if (fill.progress > 0)
                    shrink.restart()
            }
        }
    }
}
