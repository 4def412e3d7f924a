import QtQuick
import Zeltrin

// The logbook saved as CSV into the folder picked in the export dialog: the banner names the
// file written.
Item {
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            tour.simSurveyFlight(4, 160, 40)
            view.model.exportLogbook(tour.sceneFolderUrl())
        }
    }
}
