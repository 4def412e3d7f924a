import QtQuick
import QtQuick.Layouts
import Zeltrin

// Six live values in two equal columns.
ZeltrinCard {
    id: card
    required property DashboardModel model
    padding: 16
    // After the link drops these are the last values received, not live ones.
    opacity: card.model.drone && card.model.drone.valuesAreStale ? 0.45 : 1

    ColumnLayout {
        width: card.availableWidth
        spacing: 12

        CardHeading { text: "Live Telemetry" }

        GridLayout {
            Layout.fillWidth: true
            columns: 2
            columnSpacing: 10
            rowSpacing: 10
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "Altitude"; value: card.model.altitudeText; icon: "arrow.up.to.line" }
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "Ground Speed"; value: card.model.groundSpeedText; icon: "speedometer" }
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "Heading"; value: card.model.headingText; icon: "safari.fill" }
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "V. Speed"; value: card.model.verticalSpeedText; icon: "arrow.up.arrow.down" }
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "Home Dist."; value: card.model.homeDistanceText; icon: "house.fill" }
            TelemetryCell { Layout.fillWidth: true; Layout.preferredWidth: 1; label: "Flight Time"; value: card.model.flightTimeText; icon: "timer" }
        }
    }
}
