import QtQuick
import QtQuick.Layouts
import Zeltrin

// Take off, land, return home, the mission planner, and the ActiveTrack control with its
// tracking indicator.
ZeltrinCard {
    id: card
    required property DashboardModel model
    padding: 16

    ColumnLayout {
        width: card.availableWidth
        spacing: 12

        CardHeading { text: "Quick Actions" }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Take Off"; icon: "airplane.departure"; color: Theme.themeGreen
                available: card.model.takeOffBlockedReason === ""
                onAction: card.model.requestTakeOff()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Land"; icon: "airplane.arrival"; color: Theme.themeBlue
                available: card.model.landBlockedReason === ""
                onAction: card.model.land()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "RTH"; icon: "house.circle.fill"; color: Theme.themeGold
                available: card.model.rthBlockedReason === ""
                onAction: card.model.returnToHome()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Mission"; icon: "map.fill"; color: Theme.themeGrey
                onAction: card.model.openMission()
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            Layout.topMargin: 4
            Layout.bottomMargin: 4
            color: Theme.themeSurfaceRaised
        }

        // Laid out by hand: the indicator comes and goes, and the button takes what it leaves.
        Item {
            id: trackRow
            Layout.fillWidth: true
            implicitHeight: Math.max(trackButton.implicitHeight, indicatorBox.implicitHeight)
            readonly property bool tracking: card.model.activeTrackEnabled

            QuickActionButton {
                id: trackButton
                anchors.verticalCenter: parent.verticalCenter
                width: trackRow.tracking ? trackRow.width - indicatorBox.width - 10 : trackRow.width
                label: card.model.activeTrackLabel
                icon: "location.fill.viewfinder"
                color: card.model.activeTrackColor
                isActive: card.model.activeTrackEnabled
                onAction: card.model.openActiveTrack()
            }
            Rectangle {
                id: indicatorBox
                visible: trackRow.tracking
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: indicator.implicitWidth
                height: indicator.implicitHeight + 16
                implicitHeight: height
                radius: 10
                color: Theme.alpha(Theme.themeGreen, 0.1)
                Accessible.role: Accessible.StaticText
                Accessible.name: "Tracking Active, Target locked"
                Column {
                    id: indicator
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 4
                    Row {
                        spacing: 4
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 6; height: 6; radius: 3
                            color: Theme.themeGreen
                        }
                        Text {
                            text: "Tracking Active"
                            color: Theme.themeGreen
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.caption2
                            font.weight: Font.DemiBold
                        }
                    }
                    Text {
                        text: "Target locked"
                        color: Theme.secondaryText
                        font.family: Theme.fontFamily
                        font.pixelSize: 9
                    }
                }
            }
        }
    }
}
