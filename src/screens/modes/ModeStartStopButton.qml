import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// The last child of a sheet with a start/stop action: the ModeActionButton look in a plain
// button that dims while pressed, inset 16 at the sides and 32 at the bottom.
T.AbstractButton {
    id: button
    property string title: ""
    property bool isDestructive: false

    Layout.fillWidth: true
    Layout.leftMargin: 16
    Layout.rightMargin: 16
    Layout.bottomMargin: 32
    implicitWidth: look.implicitWidth
    implicitHeight: look.implicitHeight
    text: title
    Accessible.name: title

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway.
    contentItem: look
    ModeActionButton {
        id: look
        title: button.title
        isDestructive: button.isDestructive
        opacity: button.down ? 0.7 : 1
    }
}
