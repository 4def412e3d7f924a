import QtQuick
import QtQuick.Layouts
import Zeltrin

// Circular shots around a subject. The enabled flag is the presenter's; radius, speed and
// altitude hold are this sheet's.
FeatureSheetFrame {
    id: sheet
    property alias link: orbit.link
    readonly property alias model: orbit
    signal dismissRequested()

    icon: "circle.dotted.and.circle"
    title: "Orbit Mode"
    description: "Create perfect circular shots around subjects"
    onDoneClicked: orbit.done()
    notice: orbit.refusal

    OrbitSheetModel {
        id: orbit
        onDismissRequested: sheet.dismissRequested()
    }

    FeatureSection {
        heading: "Orbit Settings"
        spacing: 16
        FeatureSlider {
            label: "Radius"; unit: "m"; icon: "circle"
            range: orbit.radiusRange
            value: orbit.orbitRadius
            onMoved: (v) => orbit.orbitRadius = v
        }
        FeatureSlider {
            label: "Speed"; unit: "\u00B0/s"; icon: "speedometer"
            range: orbit.speedRange
            value: orbit.rotationSpeed
            onMoved: (v) => orbit.rotationSpeed = v
        }
        ModeToggleCard {
            icon: "arrow.up.and.down.circle"
            text: "Maintain Altitude"
            checked: orbit.maintainAltitude
            onToggled: (on) => orbit.maintainAltitude = on
        }
    }

    ModeStartStopButton {
        title: orbit.actionTitle
        isDestructive: orbit.isDestructive
        onClicked: orbit.startStop()
    }
}
