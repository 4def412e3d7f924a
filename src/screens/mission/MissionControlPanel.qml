pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// The card along the bottom of the flight plan screen. It keeps nothing of its own: it shows
// and edits the screen's model and hands the three actions back to the screen.
Item {
    id: panel
    required property FlightPlanModel plan
    // The pilot may fold the card to its title row (and open it again) by its grabber: by a tap,
    // or by dragging it down (up). A folded card opens again by a tap anywhere on it, too.
    property bool collapsible: true
    property bool collapsed: false
    signal showWaypoints()
    signal showShotDesigner()
    signal executeMission()

    // 1 open, 0 folded to the title row; between while it moves or follows a finger.
    property real openness: collapsed ? 0 : 1
    Behavior on openness {
        enabled: !grabber.moved
        NumberAnimation { duration: 250; easing.type: Easing.OutCubic }
    }
    // Down to the title row's foot, and the same margin under it as between the rows.
    readonly property real foldedHeight: titleRow.y + titleRow.height + stack.spacing
    implicitHeight: foldedHeight + (card.implicitHeight - foldedHeight) * openness
    onCollapsibleChanged: if (!collapsible) collapsed = false

    // Nothing on the card reaches the map under it: its title, labels, gaps and disabled buttons
    // take the touch themselves. A folded card opens at a tap.
    PointerShield {
        anchors.fill: parent
        blocksWheel: true
        TapHandler {
            enabled: panel.collapsed
            onTapped: panel.collapsed = false
        }
    }

    Rectangle {
        id: card
        anchors.fill: parent
        implicitHeight: stack.implicitHeight
        radius: 20
        color: Theme.themeSurface

        // The card's body again, square and opaque: a rounded rectangle is drawn blended, so the
        // renderer would still shade every map pixel under it. An opaque one hides them before
        // they are shaded. Two bands leave the rounded corners to the card.
        Rectangle {
            anchors { fill: parent; topMargin: card.radius; bottomMargin: card.radius }
            color: card.color
        }
        Rectangle {
            anchors { fill: parent; leftMargin: card.radius; rightMargin: card.radius }
            color: card.color
        }
    }

    // Scrolls only when the screen gives the card less height than it needs (a phone on its
    // side with the feature rows showing).
    Flickable {
        id: scroller
        objectName: "panelScroller"
        anchors.fill: parent
        contentHeight: stack.implicitHeight
        // A folding card shows its top and scrolls nothing.
        interactive: panel.openness >= 1 && contentHeight > height + 0.5
        boundsBehavior: Flickable.StopAtBounds
        clip: interactive || panel.openness < 1
        onInteractiveChanged: if (!interactive) contentY = 0

        ColumnLayout {
            id: stack
            width: scroller.width
            spacing: 12

            // Grabber, 8 below the top edge.
            Rectangle {
                Layout.topMargin: 8
                Layout.alignment: Qt.AlignHCenter
                width: 40; height: 4; radius: 2
                color: Theme.themeSurfaceRaised
            }

            ReturnHomeStrip {
                objectName: "panelAutoReturn"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                horizontalPadding: 12
                radius: 8
                text: panel.plan.autoReturnText
            }

            MissionProgressRow {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 8
            }

            RowLayout {
                id: titleRow
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 4
                Text {
                    text: "Mission Plan"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                Item { Layout.fillWidth: true }
                Text {
                    objectName: "waypointCount"
                    text: panel.plan.waypointCountText
                    color: Theme.themeGold
                    font.family: Theme.monoFamily
                    font.pixelSize: Theme.caption
                }
                Text {
                    text: "waypoints"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
                T.AbstractButton {
                    objectName: "showWaypointsButton"
                    implicitWidth: 20
                    implicitHeight: 20
                    // Drawn 20 wide; the finger gets 44 × 44 around it.
                    TouchTarget { id: showHit }
                    containmentMask: showHit
                    Accessible.role: Accessible.Button
                    Accessible.name: "Show waypoints"
                    Accessible.onPressAction: panel.showWaypoints()
                    onClicked: panel.showWaypoints()
                    contentItem: Icon { name: "chevron.right"; size: Theme.caption; color: Theme.secondaryText }
                }
            }

            ColumnLayout {
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 10
                MissionSlider {
                    Layout.fillWidth: true
                    label: "Altitude"
                    value: panel.plan.missionAltitude
                    from: 5; to: 120
                    unit: "m"
                    onValueEdited: (v) => panel.plan.missionAltitude = v
                }
                MissionSlider {
                    Layout.fillWidth: true
                    label: "Speed"
                    value: panel.plan.missionSpeed
                    from: 1; to: 15
                    unit: "m/s"
                    onValueEdited: (v) => panel.plan.missionSpeed = v
                }
            }

            RowLayout {
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 10
                FeatureToggleButton {
                    Layout.preferredWidth: 1
                    label: "Terrain Follow"
                    iconName: "mountain.2.fill"
                    isEnabled: panel.plan.terrainFollowEnabled
                    onToggledTo: (v) => panel.plan.terrainFollowEnabled = v
                }
                FeatureToggleButton {
                    Layout.preferredWidth: 1
                    label: "Multi-Battery"
                    iconName: "battery.100.bolt"
                    isEnabled: panel.plan.multiBatteryEnabled
                    onToggledTo: (v) => panel.plan.multiBatteryEnabled = v
                }
                FeatureActionButton {
                    Layout.preferredWidth: 1
                    label: "Shot Designer"
                    iconName: "pencil.and.ruler.fill"
                    onClicked: panel.showShotDesigner()
                }
            }

            ColumnLayout {
                visible: panel.plan.banners.length > 0
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 6
                Repeater {
                    model: panel.plan.banners
                    Rectangle {
                        id: banner
                        required property var modelData
                        Layout.fillWidth: true
                        implicitHeight: bannerRow.implicitHeight + 12
                        radius: 8
                        color: Theme.alpha(Theme.themeGold, 0.1)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: modelData.text
                        // When the plan keeps it from doing what it says, the check gives way to
                        // a warning and the reason follows the text.
                        readonly property bool holds: banner.modelData.note === ""
                        Accessible.description: banner.modelData.note
                        GridLayout {
                            id: bannerRow
                            anchors.fill: parent
                            anchors.leftMargin: 12
                            anchors.rightMargin: 12
                            columns: 3
                            columnSpacing: 6
                            rowSpacing: 2
                            Icon { name: banner.modelData.icon; size: Theme.caption; color: Theme.themeGold }
                            Text {
                                text: banner.modelData.text
                                color: Theme.themeGold
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.caption
                                Layout.fillWidth: true
                            }
                            Icon {
                                name: banner.holds ? "checkmark.circle.fill" : "exclamationmark.triangle.fill"
                                size: Theme.caption
                                color: banner.holds ? Theme.themeGreen : Theme.themeRed
                            }
                            Text {
                                objectName: "bannerNote"
                                visible: !banner.holds
                                Layout.row: 1
                                Layout.column: 1
                                Layout.columnSpan: 2
                                Layout.fillWidth: true
                                text: banner.modelData.note
                                color: Theme.themeRed
                                wrapMode: Text.Wrap
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.caption
                            }
                            Text {
                                objectName: "bannerInfo"
                                visible: banner.holds && (banner.modelData.info ?? "") !== ""
                                Layout.row: 1
                                Layout.column: 1
                                Layout.columnSpan: 2
                                Layout.fillWidth: true
                                text: banner.modelData.info ?? ""
                                color: Theme.themeGold
                                opacity: 0.8
                                wrapMode: Text.Wrap
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.caption
                            }
                        }
                    }
                }
            }

            ClearanceProfileCard {
                visible: panel.plan.terrain.active
                terrain: panel.plan.terrain
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
            }

            // The aircraft's refusal of the last upload (or of flying it): the plan stays as it was.
            Rectangle {
                objectName: "uploadRefusal"
                visible: panel.plan.uploadMessage !== ""
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                implicitHeight: refusalRow.implicitHeight + 12
                radius: 8
                color: Theme.alpha(Theme.themeRed, 0.15)
                Accessible.role: Accessible.AlertMessage
                Accessible.name: panel.plan.uploadMessage
                RowLayout {
                    id: refusalRow
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    spacing: 6
                    Icon { name: "xmark.circle.fill"; size: Theme.caption; color: Theme.themeRed }
                    Text {
                        objectName: "uploadRefusalText"
                        Layout.fillWidth: true
                        text: panel.plan.uploadMessage
                        color: "white"
                        wrapMode: Text.WordWrap
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.caption
                    }
                }
                TapHandler { onTapped: panel.plan.dismissUploadMessage() }
            }

            // A mission flown a battery at a time waits for its next part: one tap carries it on.
            GoldButtonStyle {
                objectName: "resumeButton"
                visible: panel.plan.resumable
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                text: "Resume Mission"
                iconName: "arrow.clockwise"
                enabled: !panel.plan.isUploadingMission
                onClicked: panel.plan.resumeMission()
            }

            GoldButtonStyle {
                Layout.fillWidth: true
                id: upload
                objectName: "uploadButton"
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                Layout.bottomMargin: 24
                text: panel.plan.uploadButtonText
                iconName: panel.plan.isUploadingMission ? "" : "paperplane.fill"
                enabled: panel.plan.uploadEnabled
                // Disabled reads as disabled; the style itself has no such look.
                opacity: enabled || panel.plan.isUploadingMission ? 1 : 0.5
                onClicked: panel.executeMission()
                // While uploading, a white spinner takes the icon's place: spinner and label are
                // drawn here as one centred row, and the button's own label steps aside.
                foreground: panel.plan.isUploadingMission ? "transparent" : Theme.themeBackground
                Row {
                    objectName: "uploadingLabel"
                    visible: panel.plan.isUploadingMission
                    anchors.centerIn: parent
                    spacing: 8
                    z: 2
                    Spinner {
                        objectName: "uploadSpinner"
                        running: parent.visible
                        color: "white"
                        size: 18
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        objectName: "uploadingText"
                        anchors.verticalCenter: parent.verticalCenter
                        text: upload.text
                        font: upload.font
                        color: Theme.themeBackground
                    }
                }
            }

            T.AbstractButton {
                objectName: "clearButton"
                visible: panel.plan.showsClearButton
                Layout.alignment: Qt.AlignHCenter
                Layout.bottomMargin: 12
                implicitWidth: clearText.implicitWidth
                implicitHeight: clearText.implicitHeight
                // The caption-sized text takes a touch 44 high.
                TouchTarget { id: clearHit }
                containmentMask: clearHit
                Accessible.role: Accessible.Button
                Accessible.name: clearText.text
                Accessible.onPressAction: panel.plan.clearWaypoints()
                onClicked: panel.plan.clearWaypoints()
                // Given by id rather than written in place: ids inside an object set on a deferred
                // property would build it at once anyway.
                contentItem: clearText
                Text {
                    id: clearText
                    text: "Clear All Waypoints"
                    color: Theme.platformRed
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
            }
        }
    }
    // The grabber's handle, over the strip above the first row and a little of the map above it.
    PanelGrabber {
        id: grabber
        visible: panel.collapsible
        collapsed: panel.collapsed
        openness: panel.openness
        travel: card.implicitHeight - panel.foldedHeight
        onToggleRequested: panel.collapsed = !panel.collapsed
        onDragTo: (openness) => panel.openness = openness
        // Back to following the state, animated from where the finger left it.
        onDropped: (collapse) => {
            panel.collapsed = collapse
            panel.openness = Qt.binding(() => panel.collapsed ? 0 : 1)
        }
    }
}
