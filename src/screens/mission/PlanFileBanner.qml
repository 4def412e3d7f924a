import QtQuick
import Zeltrin

// The message after opening or saving a plan file: red-tinted for a failure, gold otherwise.
// A tap dismisses it.
Rectangle {
    id: banner
    property string text: ""
    property bool isError: false
    signal dismissRequested()

    visible: text !== ""
    implicitHeight: label.implicitHeight + 20
    radius: 10
    color: Theme.alpha(Theme.themeSurface, 0.94)
    border.width: 1
    border.color: isError ? Theme.platformRed : Theme.themeGold
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

    Text {
        id: label
        anchors.fill: parent
        anchors.margins: 10
        text: banner.text
        color: banner.isError ? Theme.platformRed : Theme.themeGold
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnote
        wrapMode: Text.Wrap
        verticalAlignment: Text.AlignVCenter
    }
    // The banner's own: no touch on it reaches the map. The handler sits on the shield, which
    // takes the touch only after the handler has seen it.
    PointerShield {
        anchors.fill: parent
        blocksWheel: true
        TapHandler { onTapped: banner.dismissRequested() }
    }
}
