import QtQuick
import QtQuick.Layouts
import Zeltrin

// The aircraft at a glance: status, live telemetry, quick actions and the flight modes.
// The link button in the bar starts the drone link. Mode sheets are presented from here.
// This file's components are not bound to it (pragma ComponentBehavior: Bound): a Loader in
// Qt 6.4 cannot make a bound component, and a Loader makes the sheets. qmllint then cannot know
// the ids reached from inside a component, so that check is off around those parts.
Rectangle {
    id: view
    color: Theme.themeBackground
    readonly property alias model: dashboard

    // The content of the sheet that is up, if any (tests and the screenshot tour reach in).
    function presentedSheetContent() {
        for (const sheet of [activeTrackSheet, poiSheet, orbitSheet, rthSheet, geofenceSheet, checklistSheet])
            if (sheet.shown && sheet.sheetItem)
                return sheet.sheetItem
        return null
    }

    DashboardModel {
        id: dashboard
        drone: App.droneManager
        appState: App.appState
        // Take-off goes by a hold, after the checklist when the settings ask for one.
        onTakeOffHoldRequested: takeOffConfirm.open = true
    }

    NavigationContainer {
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                id: page
                // The bar shows the title as the gold, bold principal item instead.
                title: ""
                trailingItems: [
                    // qmllint disable unqualified
                    BarButton {
                        objectName: "linkButton"
                        iconName: dashboard.linkIcon
                        color: dashboard.linkColor
                        Accessible.name: dashboard.connectionText
                        onClicked: dashboard.toggleLink()
                    }
                    // qmllint enable unqualified
                ]

                Text {
                    parent: page.navigationBar
                    anchors.centerIn: parent
                    text: "Zeltrin Pilot"
                    color: Theme.themeGold
                    font.family: Theme.fontFamily
                    font.pixelSize: 17
                    font.bold: true
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }

                Flickable {
                    id: flick
                    anchors.fill: parent
                    contentWidth: width
                    contentHeight: column.implicitHeight + 32
                    boundsBehavior: Flickable.DragOverBounds
                    ZScrollIndicator { flickable: flick }

                    ColumnLayout {
                        id: column
                        x: 16
                        y: 16
                        width: flick.width - 32
                        spacing: 16
                        // qmllint disable unqualified
                        // A mission flown a battery at a time waits on the ground: a tap opens
                        // the plan, where one more carries it on.
                        Rectangle {
                            id: changeBattery
                            objectName: "changeBatteryBanner"
                            readonly property string text: App.multiBattery ? App.multiBattery.changeBatteryText : ""
                            visible: text !== ""
                            Layout.fillWidth: true
                            implicitHeight: Math.max(44, changeRow.implicitHeight + 24)
                            radius: 12
                            color: Theme.alpha(Theme.themeGold, 0.12)
                            border.color: Theme.themeGold
                            Accessible.role: Accessible.Button
                            Accessible.name: text
                            Accessible.onPressAction: dashboard.openMission()
                            RowLayout {
                                id: changeRow
                                anchors.fill: parent
                                anchors.margins: 12
                                spacing: 8
                                Icon { name: "battery.100.bolt"; size: Theme.subheadline; color: Theme.themeGold }
                                Text {
                                    Layout.fillWidth: true
                                    text: changeBattery.text
                                    wrapMode: Text.Wrap
                                    color: Theme.themeGold
                                    font.family: Theme.fontFamily
                                    font.pixelSize: Theme.subheadline
                                    font.weight: Font.DemiBold
                                }
                                Icon { name: "chevron.right"; size: Theme.caption; color: Theme.themeGold }
                            }
                            TapHandler { onTapped: dashboard.openMission() }
                        }
                        AircraftStatusCard { Layout.fillWidth: true; model: dashboard }
                        TelemetryGridCard { Layout.fillWidth: true; model: dashboard }
                        QuickActionsCard { Layout.fillWidth: true; model: dashboard }
                        FlightModesCard { Layout.fillWidth: true; model: dashboard }
                        // qmllint enable unqualified
                    }
                }
            }
        }
    }

    readonly property DroneNoticeModel notice: dashboard.notice

    // A refused command, an aircraft alert, or why a quick action cannot act, for a few seconds
    // under the bar; a tap dismisses it.
    Rectangle {
        id: toast
        objectName: "droneNotice"
        visible: opacity > 0
        opacity: view.notice.shown ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 200 } }
        anchors.horizontalCenter: parent.horizontalCenter
        y: 52
        z: 5
        width: Math.min(parent.width - 32, 480)
        height: noticeText.implicitHeight + 24
        radius: 12
        color: view.notice.isError ? Theme.alpha(Theme.themeRed, 0.92) : Theme.alpha(Theme.themeGold, 0.92)
        Accessible.role: Accessible.AlertMessage
        Accessible.name: view.notice.text
        Text {
            id: noticeText
            anchors.fill: parent
            anchors.margins: 12
            text: view.notice.text
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            color: view.notice.isError ? "white" : Theme.themeBackground
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
            font.weight: Font.DemiBold
        }
        TapHandler { onTapped: view.notice.dismiss() }
    }

    // Take-off goes only after a deliberate hold, as flight apps ask.
    Item {
        id: takeOffConfirm
        objectName: "takeOffConfirm"
        property bool open: false
        anchors.fill: parent
        z: 6
        visible: open
        Rectangle {
            id: confirmBackdrop
            anchors.fill: parent
            color: Theme.alpha("black", 0.5)
            // A tap beside the card cancels; one on the card (not on its buttons) does nothing.
            TapHandler {
                onTapped: (point) => {
                    const p = confirmCard.mapFromItem(confirmBackdrop, point.position)
                    if (!confirmCard.contains(p))
                        takeOffConfirm.open = false
                }
            }
        }
        Rectangle {
            id: confirmCard
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 24
            width: Math.min(parent.width - 32, 420)
            height: confirmColumn.implicitHeight + 40
            radius: 16
            color: Theme.themeSurface
            Column {
                id: confirmColumn
                anchors.centerIn: parent
                width: parent.width - 40
                spacing: 14
                Text {
                    width: parent.width
                    text: "Take off and hover at 1.2 m?"
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                HoldToConfirmButton {
                    objectName: "holdToTakeOff"
                    width: parent.width
                    text: "Hold to Take Off"
                    color: Theme.themeGreen
                    onConfirmed: {
                        takeOffConfirm.open = false
                        dashboard.takeOff()
                    }
                }
                GhostButtonStyle {
                    width: parent.width
                    text: "Cancel"
                    onClicked: takeOffConfirm.open = false
                }
            }
        }
    }

    // qmllint disable unqualified
    ModalSheet {
        id: checklistSheet
        objectName: "checklistSheet"
        presented: App.appState !== null && App.appState.showingPreFlight
        // Every assignment notifies: only a sheet closed by the pilot writes the flag.
        onDismissed: if (App.appState && App.appState.showingPreFlight) App.appState.showingPreFlight = false
        sheetContent: Component {
            PreflightChecklistSheet {
                checklist: dashboard.checklist
                onContinueRequested: dashboard.continueFromChecklist()
                onDismissRequested: checklistSheet.dismiss()
            }
        }
    }
    ModalSheet {
        id: activeTrackSheet
        presented: dashboard.showActiveTrack
        onDismissed: dashboard.showActiveTrack = false
        sheetContent: Component {
            ActiveTrackSheet {
                link: dashboard.activeTrackLink
                onDismissRequested: activeTrackSheet.dismiss()
            }
        }
    }
    ModalSheet {
        id: poiSheet
        presented: dashboard.showPOI
        onDismissed: dashboard.showPOI = false
        sheetContent: Component {
            POISheet {
                link: dashboard.poiLink
                onDismissRequested: poiSheet.dismiss()
            }
        }
    }
    ModalSheet {
        id: orbitSheet
        presented: dashboard.showOrbit
        onDismissed: dashboard.showOrbit = false
        sheetContent: Component {
            OrbitModeSheet {
                link: dashboard.orbitLink
                onDismissRequested: orbitSheet.dismiss()
            }
        }
    }
    ModalSheet {
        id: rthSheet
        presented: dashboard.showRTH
        onDismissed: dashboard.showRTH = false
        sheetContent: Component {
            IntelligentRTHSheet {
                link: dashboard.rthLink
                onDismissRequested: rthSheet.dismiss()
            }
        }
    }
    ModalSheet {
        id: geofenceSheet
        presented: dashboard.showGeofence
        onDismissed: dashboard.showGeofence = false
        sheetContent: Component {
            CustomGeofenceSheet {
                link: dashboard.geofenceLink
                onDismissRequested: geofenceSheet.dismiss()
            }
        }
    }
    // qmllint enable unqualified
}
