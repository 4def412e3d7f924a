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
                // The title, then the simulation's mark right after it; the title elides first.
                Item {
                    Layout.fillWidth: true
                    implicitHeight: titleText.implicitHeight
                    Text {
                        id: titleText
                        width: Math.min(implicitWidth, parent.width - (simMark.visible ? simMark.width + 6 : 0))
                        text: card.model.title
                        color: "white"
                        elide: Text.ElideRight
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.headline
                        font.weight: Font.DemiBold
                    }
                    // The aircraft behind the link is the built-in simulation.
                    Rectangle {
                        id: simMark
                        objectName: "simMark"
                        visible: card.model.drone && card.model.drone.isSimulated
                                 && card.model.title !== "\u2014" && card.model.title !== "No Aircraft"
                        x: titleText.width + 6
                        anchors.verticalCenter: titleText.verticalCenter
                        width: simText.implicitWidth + 10
                        height: simText.implicitHeight + 4
                        radius: 4
                        color: "transparent"
                        border.color: Theme.themeGold
                        border.width: 1
                        Accessible.role: Accessible.StaticText
                        Accessible.name: "Simulated aircraft"
                        Text {
                            id: simText
                            anchors.centerIn: parent
                            text: "SIM"
                            color: Theme.themeGold
                            font.family: Theme.fontFamily
                            font.pixelSize: 10
                            font.weight: Font.Bold
                        }
                    }
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
            // After the link drops these are the last values received, not live ones.
            opacity: card.model.drone && card.model.drone.valuesAreStale ? 0.45 : 1
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
