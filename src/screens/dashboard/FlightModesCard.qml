import QtQuick
import QtQuick.Layouts
import Zeltrin

// The other intelligent flight modes: each tile opens its sheet and stays marked while on.
ZeltrinCard {
    id: card
    required property DashboardModel model
    padding: 16

    ColumnLayout {
        width: card.availableWidth
        spacing: 12

        CardHeading { text: "Flight Modes" }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "POI"; icon: "scope"; color: Theme.themeGold
                isActive: card.model.poiEnabled
                onAction: card.model.openPOI()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Orbit"; icon: "circle.dotted.and.circle"; color: Theme.themeGold
                isActive: card.model.orbitEnabled
                onAction: card.model.openOrbit()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Smart RTH"; icon: "battery.100.bolt"; color: Theme.themeGold
                isActive: card.model.rthEnabled
                onAction: card.model.openRTH()
            }
            QuickActionButton {
                Layout.fillWidth: true; Layout.preferredWidth: 1
                label: "Geofence"; icon: "map.circle"; color: Theme.themeGold
                isActive: card.model.geofenceEnabled
                onAction: card.model.openGeofence()
            }
        }
    }
}
