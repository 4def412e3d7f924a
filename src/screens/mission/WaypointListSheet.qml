pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import Zeltrin

// The mission's waypoints in flight order. Edits go straight into the plan: a row tap selects
// and closes, swipe (or the edit mode's delete) removes, edit mode's handles reorder.
ZPage {
    id: page
    required property FlightPlanModel plan
    property bool editing: false
    readonly property alias list: list
    signal done()

    title: "Waypoints"
    backgroundColor: Theme.themeBackground
    leadingItems: [
        SheetTextButton {
            objectName: "editButton"
            text: page.editing ? "Done" : "Edit"
            bold: page.editing
            onClicked: page.editing = !page.editing
        }
    ]
    trailingItems: [
        SheetTextButton {
            objectName: "doneButton"
            text: "Done"
            onClicked: page.done()
        }
    ]

    ListView {
        id: list
        objectName: "waypointList"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        topMargin: 16
        bottomMargin: 16
        clip: true
        model: page.plan.waypoints
        boundsBehavior: Flickable.DragOverBounds
        interactive: !dragging
        property bool dragging: false
        readonly property real rowHeight: 52

        delegate: SwipeDelegate {
            id: row
            required property int index
            required property string latitudeText
            required property string longitudeText
            required property string batteryNote
            required property bool isSelected
            width: ListView.view.width
            height: list.rowHeight
            padding: 0
            z: handleArea.drag.active ? 2 : 1
            property real dragOffset: 0
            transform: Translate { y: row.dragOffset }
            Accessible.name: page.plan.waypoints.rowTitle(index)

            onClicked: {
                if (page.editing)
                    return
                page.plan.selectWaypoint(index)
                page.done()
            }
            // The swipe makes its action item without an owner: it would outlive the row.
            swipe.onRightItemChanged: Ownership.adopt(swipe.rightItem, row)
            swipe.right: Rectangle {
                objectName: "swipeDeleteButton"
                width: 88
                height: row.height
                anchors.right: parent.right
                color: Theme.platformRed
                radius: 0
                Text {
                    anchors.centerIn: parent
                    text: "Delete"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.body
                }
                // The row takes the presses on its swipe actions itself and reports a click
                // through this attached signal (a handler here never sees them).
                SwipeDelegate.onClicked: page.plan.deleteWaypoints([row.index])
            }

            background: Item {
                // Inset grouped section: round only the first and last rows.
                Rectangle {
                    anchors.fill: parent
                    color: Theme.themeSurface
                    radius: (row.index === 0 || row.index === list.count - 1) ? 10 : 0
                }
                Rectangle {
                    visible: list.count > 1 && row.index === 0
                    anchors.left: parent.left; anchors.right: parent.right; anchors.bottom: parent.bottom
                    height: 10
                    color: Theme.themeSurface
                }
                Rectangle {
                    visible: list.count > 1 && row.index === list.count - 1
                    anchors.left: parent.left; anchors.right: parent.right; anchors.top: parent.top
                    height: 10
                    color: Theme.themeSurface
                }
                Rectangle {
                    visible: row.index < list.count - 1
                    anchors.bottom: parent.bottom
                    anchors.right: parent.right
                    x: 16
                    width: parent.width - (page.editing ? 56 : 16)
                    height: 0.5
                    color: Theme.separator
                }
            }

            // Given by id rather than written in place: ids inside an object set on a deferred
            // property would build it at once anyway.
            contentItem: rowContent
            Item {
                id: rowContent
                // Edit mode: a red delete control at the left, a move handle at the right.
                T.AbstractButton {
                    id: minus
                    objectName: "deleteControl"
                    visible: page.editing
                    x: 12
                    anchors.verticalCenter: parent.verticalCenter
                    width: 28; height: 28
                    // Drawn 28 wide; the finger gets 44 × 44 around it.
                    TouchTarget { id: minusHit }
                    containmentMask: minusHit
                    Accessible.role: Accessible.Button
                    Accessible.name: "Delete " + page.plan.waypoints.rowTitle(row.index)
                    onClicked: row.swipe.open(SwipeDelegate.Right)
                    contentItem: Item {
                        Rectangle { anchors.centerIn: parent; width: 22; height: 22; radius: 11; color: Theme.platformRed }
                        Rectangle { anchors.centerIn: parent; width: 11; height: 2.5; radius: 1; color: "white" }
                    }
                }
                Text {
                    id: title
                    objectName: "rowTitle"
                    anchors.left: parent.left
                    anchors.leftMargin: page.editing ? 52 : 16
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.verticalCenterOffset: row.batteryNote !== "" ? -8 : 0
                    text: page.plan.waypoints.rowTitle(row.index)
                    color: row.isSelected ? Theme.themeGold : "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                // Multi-Battery: where a battery's part starts.
                Text {
                    objectName: "batteryNote"
                    visible: row.batteryNote !== ""
                    anchors.left: title.left
                    anchors.top: title.bottom
                    text: row.batteryNote
                    color: Theme.themeGold
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
                Column {
                    anchors.right: handle.visible ? handle.left : parent.right
                    anchors.rightMargin: handle.visible ? 8 : 16
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2
                    Text {
                        anchors.right: parent.right
                        text: row.latitudeText
                        color: Theme.secondaryText
                        // Monospaced digits keep the columns steady (no font features in Qt 6.4).
                        font.family: Theme.monoFamily
                        font.pixelSize: Theme.caption
                    }
                    Text {
                        anchors.right: parent.right
                        text: row.longitudeText
                        color: Theme.secondaryText
                        // Monospaced digits keep the columns steady (no font features in Qt 6.4).
                        font.family: Theme.monoFamily
                        font.pixelSize: Theme.caption
                    }
                }
                Item {
                    id: handle
                    objectName: "moveHandle"
                    visible: page.editing
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    width: 36
                    height: parent.height
                    Icon {
                        anchors.centerIn: parent
                        name: "line.3.horizontal"
                        size: 20
                        color: Theme.tertiaryText
                    }
                    MouseArea {
                        id: handleArea
                        anchors.fill: parent
                        // Drawn 36 wide; the finger gets 44 around it.
                        TouchTarget { id: handleHit }
                        containmentMask: handleHit
                        preventStealing: true
                        property real startY: 0
                        onPressed: (mouse) => {
                            startY = mapToItem(list.contentItem, mouse.x, mouse.y).y
                            list.dragging = true
                        }
                        onPositionChanged: (mouse) => {
                            row.dragOffset = mapToItem(list.contentItem, mouse.x, mouse.y).y - startY
                        }
                        onReleased: {
                            const steps = Math.round(row.dragOffset / list.rowHeight)
                            const target = Math.max(0, Math.min(list.count - 1, row.index + steps))
                            row.dragOffset = 0
                            list.dragging = false
                            // Destination counted in the list before the move.
                            if (target !== row.index)
                                page.plan.moveWaypoints([row.index], target > row.index ? target + 1 : target)
                        }
                        onCanceled: { row.dragOffset = 0; list.dragging = false }
                    }
                }
            }
        }
    }
}
