import QtQuick
import Zeltrin

// Three survey flights of the simulated aircraft on three mornings, recorded as they flew:
// the list shows them newest first in the logbook's own rows.
Item {
    property int settleMs: 900
    property var extraSizes: ["320x568", "844x390"]
    FlightLogView {
        anchors.fill: parent
        Component.onCompleted: {
            tour.simSurveyFlight(4, 160, 40)
            tour.simSkip(86400)
            tour.simSurveyFlight(4, 120, 45)
            tour.simSkip(86400)
            tour.simSurveyFlight(2, 150, 30)
        }
    }
}
