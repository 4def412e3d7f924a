import QtQuick
import QtQuick.Templates as T
import Zeltrin

// A text item of a sheet's navigation bar, in gold, dimmed while pressed.
T.AbstractButton {
    id: control
    property bool bold: false
    implicitWidth: label.implicitWidth
    implicitHeight: 44
    // A short word ("Edit") still takes a touch 44 wide.
    TouchTarget { id: hit }
    containmentMask: hit
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: control.clicked()
    opacity: down ? 0.35 : 1
    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: label
    Text {
        id: label
        text: control.text
        color: Theme.themeGold
        font.family: Theme.fontFamily
        font.pixelSize: Theme.body
        font.weight: control.bold ? Font.DemiBold : Font.Normal
        verticalAlignment: Text.AlignVCenter
    }
}
