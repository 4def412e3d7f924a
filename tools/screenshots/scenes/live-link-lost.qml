import QtQuick
import Zeltrin

// The link dropped mid-flight: the last values stay, dimmed, and the state reads "Disconnected".
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        tour.simMission([{ latitude: 43.0029, longitude: -83.9997 }], 50, 10)
        tour.simFly(40)
        tour.simDropLink()
        tour.simFly(5)
    }
}
