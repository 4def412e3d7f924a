import QtQuick
import Zeltrin

// The simulated aircraft two minutes into a survey: rendered from the flight at that time.
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        tour.simMission([
            { latitude: 43.0004, longitude: -84.0021 }, { latitude: 43.0004, longitude: -83.9987 },
            { latitude: 43.0019, longitude: -83.9987 }, { latitude: 43.0019, longitude: -84.0021 }], 60, 9)
        tour.simFly(126)
    }
}
