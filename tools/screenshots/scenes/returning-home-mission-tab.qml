import QtQuick
import Zeltrin

// A mission flown from the Mission tab, and the battery down to its return level on the way:
// the aircraft turns home by itself, and the banner and the mission panel both say why.
MainTabView {
    id: tabs
    property int settleMs: 700
    Component.onCompleted: {
        App.appState.selectedTab = 1 // Mission
        tour.simConnect()
        tour.simBattery(27)
        fly.start()
    }
    // Once the Mission tab is built: its plan, uploaded, and the flight until the return.
    Timer {
        id: fly
        interval: 50
        onTriggered: {
            const screen = tabs.screenAt(1)
            for (let i = 0; i < 4; ++i)
                screen.plan.addWaypoint()
            screen.plan.uploadDurationMs = 0
            screen.plan.executeMission()
            tour.simFly(30)
            frame.start()
        }
    }
    // The aircraft, its home and the plan framed above the panel, once it has its place.
    Timer {
        id: frame
        interval: 50
        onTriggered: {
            const screen = tabs.screenAt(1)
            const d = App.droneManager
            let s = d.homeLatitude, n = s, w = d.homeLongitude, e = w
            for (let i = 0; i < screen.plan.waypointCount; ++i) {
                const lat = screen.plan.waypoints.latitudeAt(i), lon = screen.plan.waypoints.longitudeAt(i)
                s = Math.min(s, lat); n = Math.max(n, lat); w = Math.min(w, lon); e = Math.max(e, lon)
            }
            screen.showBounds(s, w, n, e)
        }
    }
}
