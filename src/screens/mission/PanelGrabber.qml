import QtQuick

// The mission panel's grabber as a finger finds it: 44 high over the strip above the panel's
// first row and a little of the map above the panel. A tap asks to fold or open the panel; a
// drag moves it with the finger and lets it settle at the nearer end.
MouseArea {
    id: grabber
    // The panel's state: folded, and how far open it is now (0 folded, 1 open).
    property bool collapsed: false
    property real openness: 1
    // How far the panel's height moves between folded and open.
    property real travel: 1
    // The press has moved past a tap: the panel follows the finger.
    property bool moved: false
    property real pressY: 0
    property real pressOpenness: 1
    signal toggleRequested()
    // While dragged: how far open the panel should be drawn.
    signal dragTo(real openness)
    // The drag ended: folded or open, the nearer end.
    signal dropped(bool collapse)

    objectName: "panelGrabber"
    anchors.horizontalCenter: parent.horizontalCenter
    y: -20
    width: Math.min(parent.width, 160)
    height: 44
    preventStealing: true
    Accessible.role: Accessible.Button
    Accessible.name: collapsed ? "Open mission panel" : "Fold mission panel"
    Accessible.onPressAction: toggleRequested()

    // In the window's coordinates: the handle itself moves with the panel's top.
    function windowY(mouse) { return mapToItem(null, 0, mouse.y).y }
    onPressed: (mouse) => {
        pressY = windowY(mouse)
        pressOpenness = openness
        moved = false
    }
    onPositionChanged: (mouse) => {
        const dy = windowY(mouse) - pressY
        if (!moved && Math.abs(dy) < 8)
            return
        moved = true
        dragTo(Math.max(0, Math.min(1, pressOpenness - dy / Math.max(1, travel))))
    }
    onReleased: {
        if (!moved) {
            toggleRequested()
            return
        }
        moved = false
        dropped(openness < 0.5)
    }
    onCanceled: {
        if (moved) {
            moved = false
            dropped(openness < 0.5)
        }
    }
}
