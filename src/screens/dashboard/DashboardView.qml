import QtQuick
import QtQuick.Layouts
import Zeltrin

// The aircraft at a glance: status, live telemetry, quick actions and the flight modes.
// The link button in the bar starts the drone link. Mode sheets are presented from here.
Rectangle {
    id: view
    color: Theme.themeBackground
    readonly property alias model: dashboard

    // The content of the sheet that is up, if any (tests and the screenshot tour reach in).
    function presentedSheetContent() {
        for (const sheet of [activeTrackSheet, poiSheet, orbitSheet, rthSheet, geofenceSheet])
            if (sheet.shown && sheet.sheetItem)
                return sheet.sheetItem
        return null
    }

    DashboardModel {
        id: dashboard
        drone: App.droneManager
        appState: App.appState
    }

    NavigationContainer {
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                id: page
                // The bar shows the title as the gold, bold principal item instead.
                title: ""
                trailingItems: [
                    BarButton {
                        objectName: "linkButton"
                        iconName: dashboard.linkIcon
                        color: dashboard.linkColor
                        Accessible.name: dashboard.connectionText
                        onClicked: dashboard.toggleLink()
                    }
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
                        AircraftStatusCard { Layout.fillWidth: true; model: dashboard }
                        TelemetryGridCard { Layout.fillWidth: true; model: dashboard }
                        QuickActionsCard { Layout.fillWidth: true; model: dashboard }
                        FlightModesCard { Layout.fillWidth: true; model: dashboard }
                    }
                }
            }
        }
    }

    ModalSheet {
        id: activeTrackSheet
        presented: dashboard.showActiveTrack
        onDismissed: dashboard.showActiveTrack = false
        sheetContent: Component {
            ActiveTrackSheet {
                presenter: dashboard
                enabledField: "activeTrackEnabled"
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
                presenter: dashboard
                enabledField: "poiEnabled"
                targetField: "poiTarget"
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
                presenter: dashboard
                enabledField: "orbitEnabled"
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
                presenter: dashboard
                enabledField: "rthEnabled"
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
                presenter: dashboard
                enabledField: "geofenceEnabled"
                radiusField: "geofenceRadius"
                onDismissRequested: geofenceSheet.dismiss()
            }
        }
    }
}
