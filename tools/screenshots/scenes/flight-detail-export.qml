import QtQuick
import Zeltrin

// The flight page's share button: the choice between GPX and KML before the folder dialog.
Item {
    property int settleMs: 1200
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            tour.simSurveyFlight(4, 160, 40)
            const page = view.openFlight(view.model.flightIdAt(0))
            page.detail.exportFlight("gpx", tour.sceneFolderUrl())
        }
    }
}
