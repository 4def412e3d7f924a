import QtQuick
import Zeltrin

// Four waypoints planned by tapping the map, handed to the aircraft as the upload step does,
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
            const points = []
            for (let i = 0; i < plan.waypointCount; ++i)
                points.push({ latitude: plan.waypoints.latitudeAt(i), longitude: plan.waypoints.longitudeAt(i) })
            tour.simConnect()
            App.droneManager.executeMission(points, plan.missionAltitude, plan.missionSpeed)
            tour.simFly(150)
        }
    }
}
