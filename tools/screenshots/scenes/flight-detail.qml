import QtQuick
import Zeltrin

// A recorded survey flight opened from the logbook: its track between the take-off and landing
// marks, the row's figures with the battery used, and the altitude and battery curves.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390"]
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            tour.simSurveyFlight(6, 240, 50)
            view.openFlight(view.model.flightIdAt(0))
        }
    }
}
