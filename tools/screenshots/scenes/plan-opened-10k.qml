import QtQuick
import Zeltrin

// A 10,000-waypoint survey opened from a file and fitted on the map.
Item {
    property int settleMs: 1500
    FlightPlanView {
        id: screen
        anchors.fill: parent
    }
    Timer {
        interval: 200
        running: true
        onTriggered: screen.plan.openPlan(tour.writeSurveyPlan("Survey.plan", 10000))
    }
}
