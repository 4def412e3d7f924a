import QtQuick
import Zeltrin.Kit

// What the app's push buttons share, on a plain Item: the label (an optional icon and the text,
// centred, 14 above and below), press feedback, a click by pointer, touch or keyboard, and the
// accessible button role. A style adds its fill behind the label. Nothing here needs the controls
// library, so the sign-in gate's first frame does not wait for those types to load.
Item {
    id: control
    property string text: ""
    property string iconName: ""
    property font font
    // Colour of the label and its icon.
    property color foreground: "white"
    // True while pressed; a style preview may also set it.
    property bool down: area.pressed
    readonly property bool pressed: area.pressed
    signal clicked()

    function click() {
        if (enabled)
            clicked()
    }

    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.onPressAction: click()
    Keys.onSpacePressed: click()
    Keys.onReturnPressed: click()
    Keys.onEnterPressed: click()

    implicitWidth: row.implicitWidth
    implicitHeight: label.implicitHeight + 28
    font.family: Theme.fontFamily
    font.pixelSize: 16

    MouseArea {
        id: area
        anchors.fill: parent
        onClicked: control.click()
        // A second tap soon after the first is a tap too (Pause, then Resume), not a lost one.
        onDoubleClicked: control.click()
    }

    Row {
        id: row
        z: 1 // above the style's fill
        anchors.centerIn: parent
        spacing: 8
        // Made only for a button with an icon: an empty icon would still load the icon font.
        // In Qt 6.4 a Loader cannot make a component bound to its file (pragma
        // ComponentBehavior: Bound), so qmllint cannot know `control` there: that check is off
        // on those lines.
        Loader {
            active: control.iconName !== ""
            visible: active
            anchors.verticalCenter: parent.verticalCenter
            sourceComponent: Icon {
                name: control.iconName // qmllint disable unqualified
                size: 18
                color: control.foreground // qmllint disable unqualified
            }
        }
        Text {
            id: label
            text: control.text
            font: control.font
            color: control.foreground
        }
    }
}
