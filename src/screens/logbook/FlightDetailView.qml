import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import Zeltrin

// One flight: its track on the map with take-off and landing marks and a dot for each photo,
// the row's figures with the battery used and the photos taken, and its altitude and battery
// over time. The share button saves it as GPX or KML.
ZPage {
    id: page
    property FlightLogModel book
    property alias flightId: detail.flightId
    readonly property alias detail: detail
    readonly property alias exportFolderDialog: folderDialog
    property string _format: "gpx"

    title: detail.location
    trailingItems: [
        BarButton {
            objectName: "shareFlightButton"
            iconName: "square.and.arrow.up"
            color: Theme.themeGold
            Accessible.name: "Export Flight"
            onClicked: formatSheet.presented = true
        }
    ]

    FlightDetailModel {
        id: detail
        book: page.book
        elevation: App.elevation
    }

    function fitTrack() {
        const b = detail.bounds()
        if (b.length === 4 && map.width > 0 && map.height > 0)
            map.fitBounds(b[0], b[1], b[2], b[3], Qt.rect(24, 24, map.width - 48, map.height - 48))
    }

    readonly property bool wide: width > height && width >= 600
    // The area below the bar.
    readonly property real areaHeight: height - (showsNavigationBar ? navigationBar.height : 0)

    // The map stays put (it takes its own pans and pinches); the figures scroll beside or below it.
    Rectangle {
        id: mapCard
        x: 16
        y: 16
        width: page.wide ? Math.round((page.width - 48) * 0.55) : page.width - 32
        height: page.wide ? page.areaHeight - 32 : Math.round(Math.min(Math.max(page.areaHeight * 0.4, 160), 420))
        radius: 10
        clip: true
        color: Theme.themeSurface
        TileMapItem {
            id: map
            objectName: "flightMap"
            anchors.fill: parent
            visible: detail.pointCount > 0
            track: detail.track
            showsHome: detail.pointCount > 0
            homeLatitude: detail.takeoffLatitude
            homeLongitude: detail.takeoffLongitude
            showsAircraft: detail.pointCount > 1
            aircraftLatitude: detail.landingLatitude
            aircraftLongitude: detail.landingLongitude
            onWidthChanged: page.fitTrack()
            onHeightChanged: page.fitTrack()
            Component.onCompleted: page.fitTrack()
        }
        Text {
            anchors.centerIn: parent
            width: parent.width - 32
            visible: detail.pointCount === 0
            text: "No track recorded for this flight"
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.footnote
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }
    }

    Flickable {
        id: scroller
        objectName: "detailScroller"
        x: page.wide ? mapCard.x + mapCard.width : 0
        y: page.wide ? 0 : mapCard.y + mapCard.height
        width: page.width - x
        height: page.areaHeight - y
        contentWidth: width
        contentHeight: content.implicitHeight + 28
        clip: true
        boundsBehavior: Flickable.DragOverBounds
        ZScrollIndicator { flickable: scroller }

        ColumnLayout {
            id: content
            x: 16
            y: 12
            width: scroller.width - 32
            spacing: 12

            PlanFileBanner {
                objectName: "flightMessage"
                Layout.fillWidth: true
                text: detail.message
                isError: detail.messageIsError
                onDismissRequested: detail.clearMessage()
            }
            // The row's figures, then what the detail adds.
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: stats.implicitHeight + 24
                radius: 10
                color: Theme.themeSurface
                ColumnLayout {
                    id: stats
                    anchors.fill: parent
                    anchors.margins: 12
                    spacing: 8
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            text: detail.dateText
                            color: "white"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.headline
                            font.weight: Font.DemiBold
                            Layout.fillWidth: true
                            elide: Text.ElideRight
                        }
                        Text {
                            text: detail.timeText
                            color: Theme.secondaryText
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.caption
                        }
                    }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 16
                        LogStat { icon: "timer"; value: detail.durationText }
                        LogStat { icon: "arrow.up.to.line"; value: detail.altitudeText }
                        LogStat { icon: "speedometer"; value: detail.speedText }
                        LogStat { icon: "arrow.left.and.right"; value: detail.distanceText }
                        LogStat { objectName: "batteryUsed"; icon: "battery.75"; value: detail.batteryUsedText + " used" }
                        LogStat {
                            objectName: "photoCount"
                            visible: detail.photoCount > 0
                            icon: "camera.fill"
                            value: detail.photoCountText
                        }
                    }
                    Text {
                        visible: detail.endText !== ""
                        text: detail.endText
                        color: Theme.themeGold
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.caption
                    }
                }
            }

            FlightChartCard {
                objectName: "altitudeChart"
                Layout.fillWidth: true
                title: "Altitude"
                unit: "m"
                points: detail.altitudeSeries
                lineColor: Theme.themeBlue
                minimumValue: 0
            }
            FlightChartCard {
                objectName: "batteryChart"
                Layout.fillWidth: true
                title: "Battery"
                unit: "%"
                points: detail.batterySeries
                lineColor: Theme.themeGreen
                minimumValue: 0
                maximumValue: 100
            }
        }
    }

    ConfirmationDialog {
        id: formatSheet
        objectName: "exportFormatSheet"
        title: "Export Flight"
        message: "GPX opens in most mapping and fitness apps, KML in globe viewers."
        actions: ["Save as GPX…", "Save as KML…"]
        onActionTriggered: (index) => {
            page._format = index === 0 ? "gpx" : "kml"
            folderDialog.open()
        }
        onDismissed: presented = false
    }

    FolderDialog {
        id: folderDialog
        title: "Export Flight To"
        parentWindow: page.Window.window
        onAccepted: detail.exportFlight(page._format, selectedFolder)
    }
}
