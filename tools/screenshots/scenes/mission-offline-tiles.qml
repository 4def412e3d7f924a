import QtQuick
import Zeltrin

// The flight plan map with the network gone, drawn whole from an area downloaded earlier (the
// local tile server's tiles, each labelled with its zoom/x/y).
Item {
    property int settleMs: 1500
    // Landscape: the map beside the card, not at its window's origin.
    property var extraSizes: ["844x390", "1180x820"]
    Component.onCompleted: {
        if (!tour.downloadArea(47.355, 8.505, 47.400, 8.580, 12, 15))
            console.error("the area did not download")
        tour.stopTileServer()
        loader.active = true
    }
    Loader {
        id: loader
        anchors.fill: parent
        active: false
        sourceComponent: FlightPlanView {
            id: screen
            Component.onCompleted: {
                map.labelsUrlTemplate = ""
                map.imageryUrlTemplate = tour.tileUrlTemplate
            }
            Timer {
                interval: 50
                running: true
                onTriggered: {
                    screen.map.fitBounds(47.368, 8.530, 47.386, 8.555)
                    screen.plan.addWaypoint()
                }
            }
        }
    }
}
