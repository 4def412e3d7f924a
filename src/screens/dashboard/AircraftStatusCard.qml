import QtQuick
import QtQuick.Layouts
import Zeltrin

// Identity, link state and the four status figures.
ZeltrinCard {
    id: card
    required property DashboardModel model
    padding: 16

    component VDivider: Rectangle {
        Layout.preferredWidth: 1
        Layout.fillHeight: true
        color: Theme.themeSurfaceRaised
    }

    ColumnLayout {
        width: card.availableWidth
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true
                Text {
                    Layout.fillWidth: true
                    text: card.model.title
                    color: "white"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                Text {
                    text: "DJI Phantom 4 Pro"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
            }
            StatusBadge {
                label: card.model.connectionText
                color: card.model.connectionColor
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.themeSurfaceRaised
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            DroneStatItem {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                value: card.model.batteryText
                label: "Battery"
                icon: "battery.75"
                color: card.model.batteryColor
            }
            VDivider {}
            DroneStatItem {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                value: card.model.signalText
                label: "Signal"
                icon: "wifi"
                color: card.model.signalColor
            }
            VDivider {}
            DroneStatItem {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                value: card.model.gpsText
                label: "GPS"
                icon: "location.fill"
                color: card.model.gpsColor
            }
            VDivider {}
            DroneStatItem {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                value: card.model.statusText
                label: "Status"
                icon: "airplane"
                color: card.model.statusColor
            }
        }
    }
}
