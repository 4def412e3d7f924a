import QtQuick
import QtQuick.Layouts
import Zeltrin

// The mission the aircraft is flying, at the top of the control panel: "WP 3 of 12", with pause
// or resume, and stop. Shown only while a mission runs.
RowLayout {
    id: row
    objectName: "missionProgress"
    readonly property var drone: App.droneManager
    readonly property bool running: drone !== null
        && (drone.missionState === "executing" || drone.missionState === "paused")
    readonly property bool paused: running && drone.missionState === "paused"
    visible: running
    spacing: 4

    Text {
        objectName: "missionProgressText"
        Layout.fillWidth: true
        text: row.running
              ? "WP " + (row.drone.missionWaypoint + 1) + " of " + row.drone.missionWaypointCount
                + (row.paused ? " \u2014 Paused" : "")
              : ""
        color: "white"
        elide: Text.ElideRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.subheadline
        font.weight: Font.DemiBold
    }
    // A mapping mission's photos, counted as the camera reports them.
    Text {
        objectName: "missionPhotoCount"
        visible: row.running && row.drone.photoCount > 0
        text: row.drone !== null ? (row.drone.photoCount === 1 ? "1 photo" : row.drone.photoCount + " photos") : ""
        color: Theme.alpha("white", 0.75)
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnote
    }
    BarButton {
        objectName: "pauseMission"
        iconName: row.paused ? "play.circle.fill" : "pause.circle.fill"
        color: Theme.themeGold
        Accessible.name: row.paused ? "Resume mission" : "Pause mission"
        onClicked: row.paused ? row.drone.resumeMission() : row.drone.pauseMission()
    }
    BarButton {
        objectName: "stopMission"
        iconName: "stop.circle.fill"
        color: Theme.platformRed
        Accessible.name: "Stop mission"
        onClicked: row.drone.stopMission()
    }
}
