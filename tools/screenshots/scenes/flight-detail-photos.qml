import QtQuick
import Zeltrin

// A recorded mapping flight opened from the logbook: the survey's lines flown with a dot for
// each photo the camera took along them, and the photo count among the figures.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            if (tour.simMappingFlight(240, 160, 60) === 0)
                console.error("the mapping flight took no photos")
            view.openFlight(view.model.flightIdAt(0))
        }
    }
}
