import QtQuick
import Zeltrin

// A 10,000-waypoint survey opened from a file and fitted on the map.
Item {
    property int settleMs: 2000
    FlightPlanView {
        id: screen
        anchors.fill: parent
    }
    Timer {
        interval: 600
        running: true
        onTriggered: screen.plan.openPlan(tour.writeSurveyPlan("Survey.plan", 10000))
    }
}
