import QtQuick
import Zeltrin

// The area's download under way behind a hidden card: the small mark in the bar shows its progress.
Item {
    property int settleMs: 1200
    property var extraSizes: ["320x568", "844x390"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            map.labelsUrlTemplate = ""
            map.imageryUrlTemplate = tour.tileUrlTemplate
        }
    }
    // Once the screen has its size.
    Timer {
        interval: 50
        running: true
        onTriggered: {
            screen.map.fitBounds(47.360, 8.515, 47.395, 8.570)
            screen.beginAreaDownload()
            if (!tour.downloadArea(screen.areaSelect.south, screen.areaSelect.west, screen.areaSelect.north,
                                   screen.areaSelect.east, screen.areaSelect.minZoom, screen.areaSelect.maxZoom,
                                   Math.floor(screen.areaSelect.tileCount * 0.6)))
                console.error("the download did not start")
            screen.choosingArea = false
        }
    }
}
