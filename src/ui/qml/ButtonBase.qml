import QtQuick
import Zeltrin

// What the app's push buttons share, on a plain Item: press feedback, a click by pointer, touch
// or keyboard, and the accessible button role. The button styles draw everything themselves,
// so they need nothing from the controls library, and the sign-in gate's first frame does not
// wait for those types to load.
Item {
    id: control
    property string text: ""
    property string iconName: ""
    property font font
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

    MouseArea {
        id: area
        anchors.fill: parent
        onClicked: control.click()
    }
}
