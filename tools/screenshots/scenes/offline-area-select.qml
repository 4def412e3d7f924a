import QtQuick
import Zeltrin

// "Download Map Area…" over the map near Zurich: the frame, the zoom range and the estimate.
Item {
    property int settleMs: 1800
    property var extraSizes: ["320x568", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            map.labelsUrlTemplate = ""
            map.imageryUrlTemplate = typeof tour !== "undefined" ? tour.tileUrlTemplate : ""
        }
    }
    // Once the screen has its size.
    Timer {
        interval: 50
        running: true
        onTriggered: {
            screen.map.fitBounds(47.360, 8.515, 47.395, 8.570)
            screen.beginAreaDownload()
        }
    }
}
