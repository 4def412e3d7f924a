import QtQuick
import Zeltrin.Kit

// A thin bar showing which part of a Flickable is in view, faded in while it moves. Declare it
// inside the Flickable with `flickable: <its id>`; it sits on the Flickable, not on the content.
// Drawn here rather than taken from the controls library, whose style plugins a screen would
// otherwise load just for this.
Rectangle {
    id: indicator
    property Flickable flickable: null
    // Shown even at rest.
    property bool active: false
    readonly property real _ratio: flickable ? Math.min(1, flickable.visibleArea.heightRatio) : 1
    readonly property real _track: flickable ? flickable.height - 4 : 0

    parent: flickable
    visible: flickable !== null && _ratio < 1
    x: flickable ? flickable.width - width - 2 : 0
    width: 3
    height: Math.max(12, _ratio * _track)
    y: 2 + Math.max(0, Math.min(_track - height, (flickable ? flickable.visibleArea.yPosition : 0) * _track))
    radius: width / 2
    color: Theme.secondaryText
    opacity: flickable && (active || flickable.moving) ? 0.75 : 0
    Behavior on opacity { NumberAnimation { duration: 450 } }
    Accessible.ignored: true
}
