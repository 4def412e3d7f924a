import QtQuick
import Zeltrin

// "Take Off" with the checklist on: the battery is under the 25 % return level, so that item
// fails; the pilot has checked the propellers but not yet the area.
DashboardView {
    id: view
    property int settleMs: 900
    Component.onCompleted: {
        tour.simConnect()
        tour.simBattery(22)
        tour.simFly(1)
        view.model.requestTakeOff()
        view.model.checklist.setTicked("propellers", true)
    }
}
