import QtQuick
import Zeltrin

// The link dropped mid-flight: the last values stay, dimmed, and the state reads "Disconnected".
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        App.droneManager.executeMission([{ latitude: 47.4020, longitude: 8.5480 }], 50, 10)
        tour.simFly(40)
        tour.simDropLink()
        tour.simFly(5)
    }
}
