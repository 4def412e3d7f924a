import QtQuick
import Zeltrin

// The simulated aircraft two minutes into a survey: rendered from the flight at that time.
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        App.droneManager.executeMission([
            { latitude: 47.3995, longitude: 8.5456 }, { latitude: 47.3995, longitude: 8.5490 },
            { latitude: 47.4010, longitude: 8.5490 }, { latitude: 47.4010, longitude: 8.5456 }], 60, 9)
        tour.simFly(126)
    }
}
