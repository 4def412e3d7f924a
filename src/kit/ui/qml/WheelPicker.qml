pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A wheel of text rows (32 high); the row at the centre sits on a rounded band and the rows
// above and below fade away. `model` is an array of strings. `activated(index)` is emitted when
// the pilot turns the wheel to a new row, or taps a row in view (the wheel then turns to it).
// The mouse wheel turns it only once the pilot has chosen it (pressed it, for as long as the
// pointer stays on it, or given it keyboard focus); until then the wheel scrolls the page.
Item {
    id: picker

    property var model: []
    property alias currentIndex: tumbler.currentIndex
    property int visibleRowCount: 5
    property string label: ""
    readonly property int rowHeight: 32
    readonly property bool moving: tumbler.moving
    readonly property bool chosen: activeFocus || _pressChosen
    property bool _pressChosen: false

    signal activated(int index)

    implicitWidth: 200
    implicitHeight: rowHeight * visibleRowCount

    activeFocusOnTab: true
    Accessible.role: Accessible.List
    Accessible.name: label

    WheelGate {
        target: wheel
        open: picker.chosen
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        height: picker.rowHeight
        radius: 8
        color: Theme.alpha("white", 0.1)
    }

    T.Tumbler {
        id: tumbler
        anchors.fill: parent
        model: picker.model
        visibleItemCount: picker.visibleRowCount
        wrap: false
        onCurrentIndexChanged: if (moving) picker.activated(currentIndex)

        // Given by id rather than written in place: ids inside an object set on a deferred property
        // would build it at once anyway.
        contentItem: wheel
        ListView {
            id: wheel
            model: tumbler.model
            delegate: tumbler.delegate
            clip: true
            snapMode: ListView.SnapToItem
            highlightRangeMode: ListView.StrictlyEnforceRange
            preferredHighlightBegin: height / 2 - picker.rowHeight / 2
            preferredHighlightEnd: height / 2 + picker.rowHeight / 2
            // The view keeps its offset when the owner resizes the wheel after setting the row
            // (a three-row wheel starts five rows high): bring the current row back to the band.
            function recentre() {
                if (!moving && currentIndex >= 0)
                    positionViewAtIndex(currentIndex, ListView.SnapPosition)
            }
            onHeightChanged: recentre()
            Component.onCompleted: recentre()
        }

        delegate: Text {
            id: row
            required property int index
            required property var modelData
            width: tumbler.width
            height: picker.rowHeight
            text: modelData
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title3
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            readonly property real distance: Math.abs(T.Tumbler.displacement)
            opacity: Math.max(0.1, 1 - distance / (picker.visibleRowCount / 2 + 0.5))
            // A hint of the wheel's curve: rows squash as they turn away.
            transform: Scale {
                origin.x: row.width / 2
                origin.y: row.height / 2
                yScale: Math.max(0.6, 1 - row.distance * row.distance * 0.05)
                xScale: Math.max(0.85, 1 - row.distance * 0.03)
            }
            Accessible.role: Accessible.ListItem
            Accessible.name: text
            Accessible.selected: index === tumbler.currentIndex
        }
    }

    // While a finger or the mouse is down on the wheel, the scroll views around it hold still:
    // they would otherwise take a vertical drag meant to turn the wheel.
    property var heldScrollers: []
    function holdScrollers() {
        for (let p = picker.parent; p; p = p.parent) {
            if (p.flickableDirection !== undefined && p.interactive) {
                p.interactive = false
                heldScrollers.push(p)
            }
        }
    }
    function releaseScrollers() {
        for (const p of heldScrollers)
            p.interactive = true
        heldScrollers = []
    }
    Component.onDestruction: releaseScrollers()

    // Above the wheel, the handlers take only passive grabs: the wheel still drags and flicks,
    // and a stroke past the drag threshold cancels the tap.
    Item {
        anchors.fill: parent
        HoverHandler {
            id: hover
            onHoveredChanged: if (!hovered && !press.active) picker._pressChosen = false
        }
        PointHandler {
            id: press
            onActiveChanged: {
                if (active) {
                    picker._pressChosen = true
                    picker.holdScrollers()
                } else {
                    picker.releaseScrollers()
                    // A finger leaves nothing hovering: the choice ends with its touch.
                    if (!hover.hovered)
                        picker._pressChosen = false
                }
            }
        }
        TapHandler {
            objectName: "rowTap"
            onTapped: (point) => {
                const at = picker.mapToItem(wheel.contentItem, point.position.x, point.position.y)
                const row = wheel.indexAt(wheel.width / 2, at.y)
                if (row < 0 || row === tumbler.currentIndex)
                    return
                picker.activated(row)
                // Turn to the row unless the owner's binding already did; written to the view,
                // so the owner's binding on currentIndex stays.
                if (tumbler.currentIndex !== row)
                    wheel.currentIndex = row
            }
        }
    }
}
