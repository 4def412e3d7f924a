import QtQuick
import Zeltrin

// Four waypoints planned by tapping the map, handed to the aircraft by the upload step,
// 150 s into the flight: the aircraft between waypoints, its home point, the track flown so
// far, and the progress in the control panel.
Item {
    property int settleMs: 600
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 4; ++i)
                plan.addWaypoint()
            let r = plan.mapPosition
            r.centerLatitude = 43.0025
            r.centerLongitude = -83.9975
            r.latitudeSpan = 0.02
            r.longitudeSpan = 0.02
            plan.mapPosition = r
            tour.simConnect()
            // The upload step without its wait: the plan goes to the aircraft on the first tick.
            plan.uploadDurationMs = 0
            plan.executeMission()
            tour.simFly(150)
            frame.start()
        }
        // Framed once the panel has its place, so the path clears it and the tools at every size.
        // Started after the flight: the flight turns the event loop, and on a busy machine the
        // panel is not yet in its place when it has run 50 ms.
        Timer {
            id: frame
            interval: 50
            onTriggered: {
                const d = App.droneManager
                let s = d.homeLatitude, n = s, w = d.homeLongitude, e = w
                for (let i = 0; i < view.plan.waypointCount; ++i) {
                    const lat = view.plan.waypoints.latitudeAt(i), lon = view.plan.waypoints.longitudeAt(i)
                    s = Math.min(s, lat); n = Math.max(n, lat); w = Math.min(w, lon); e = Math.max(e, lon)
                }
                view.showBounds(s, w, n, e)
            }
        }
    }
}
