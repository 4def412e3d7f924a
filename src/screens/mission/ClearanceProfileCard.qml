import QtQuick
import QtQuick.Layouts
import Zeltrin

// With terrain follow on: the ground (grey), the planned path (gold) and the clearance between
// them along the whole mission, heights above the take-off point, with the lowest clearance and
// where it is. It follows every edit of the plan as it happens.
Rectangle {
    id: card
    required property MissionTerrain terrain

    objectName: "clearanceProfile"
    implicitHeight: column.implicitHeight + 16
    radius: 8
    color: Theme.alpha("white", 0.04)
    Accessible.role: Accessible.Graphic
    Accessible.name: "Clearance profile. " + card.terrain.lowestClearanceText

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 8
        spacing: 4
        Item {
            Layout.fillWidth: true
            Layout.preferredHeight: 64
            visible: card.terrain.pathProfile.length > 1
            LineChart {
                objectName: "groundProfile"
                anchors.fill: parent
                points: card.terrain.groundProfile
                color: Theme.themeGrey
                lineWidth: 1.5
                minimumValue: card.terrain.profileLow
                maximumValue: card.terrain.profileHigh
            }
            LineChart {
                objectName: "pathProfile"
                anchors.fill: parent
                points: card.terrain.pathProfile
                color: Theme.themeGold
                lineWidth: 2
                minimumValue: card.terrain.profileLow
                maximumValue: card.terrain.profileHigh
            }
        }
        Text {
            objectName: "lowestClearance"
            Layout.fillWidth: true
            text: card.terrain.lowestClearanceText
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
            wrapMode: Text.Wrap
        }
        Text {
            objectName: "terrainDatum"
            Layout.fillWidth: true
            text: card.terrain.datumText
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption2
            wrapMode: Text.Wrap
        }
    }
}
