import QtQuick
import Zeltrin

// A message after a file was opened or saved (or failed to): red-tinted for a failure, gold
// otherwise. It shows at once; once its model clears it (by itself after a while, or at a tap),
// it fades out with its last words.
Rectangle {
    id: banner
    property string text: ""
    property bool isError: false
    signal dismissRequested()

    // What the banner said last, kept while it fades.
    property string _lastText: ""
    property bool _lastError: false
    function _remember() {
        if (text !== "") {
            _lastText = text
            _lastError = isError
        }
    }
    onTextChanged: _remember()
    onIsErrorChanged: _remember()
    Component.onCompleted: _remember()
    readonly property string shownText: text !== "" ? text : _lastText
    readonly property bool shownError: text !== "" ? isError : _lastError

    // Absent from the start when there is nothing to say; fades out once cleared.
    opacity: text !== "" ? 1 : 0
    visible: opacity > 0
    Behavior on opacity {
        enabled: banner.opacity > 0.5 // shows at once, fades out
        NumberAnimation { duration: 300 }
    }

    implicitHeight: label.implicitHeight + 20
    radius: 10
    color: Theme.alpha(Theme.themeSurface, 0.94)
    border.width: 1
    border.color: shownError ? Theme.platformRed : Theme.themeGold
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

    Text {
        id: label
        anchors.fill: parent
        anchors.margins: 10
        text: banner.shownText
        color: banner.shownError ? Theme.platformRed : Theme.themeGold
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
