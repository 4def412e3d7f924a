import QtQuick
import Zeltrin

// A damaged file (cut off part way) refused with a message naming it.
Item {
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            plan.addWaypoint()
            plan.addWaypoint()
        }
    }
    Timer {
        interval: 200
        running: true
        onTriggered: screen.plan.openPlan(tour.writeSurveyPlan("Survey.plan", 50, 700))
    }
}
