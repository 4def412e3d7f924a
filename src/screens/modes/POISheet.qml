import QtQuick
import QtQuick.Layouts
import Zeltrin

// Circle a target with the camera on it. The enabled flag and the target are the presenter's
// (its link for this mode); direction, radius, altitude and speed are this sheet's.
FeatureSheetFrame {
    id: sheet
    property alias link: poi.link
    readonly property alias model: poi
    signal dismissRequested()

    icon: "scope"
    title: "Point of Interest"
    description: "Circle around a target automatically while keeping camera focused on it"
    onDoneClicked: poi.done()
    notice: poi.refusal

    POISheetModel {
        id: poi
        onDismissRequested: sheet.dismissRequested()
    }

    FeatureSection {
        heading: "Orbit Direction"
        spacing: 12
        SegmentedPicker {
            Layout.fillWidth: true
            Accessible.name: "Direction"
            model: poi.directionOptions
            currentIndex: poi.direction
            onActivated: (index) => poi.direction = index
        }
    }

    FeatureSection {
        heading: "POI Settings"
        spacing: 16
        FeatureSlider {
            label: "Radius"; unit: "m"; icon: "arrow.left.and.right"
            range: poi.radiusRange
            value: poi.radius
            onMoved: (v) => poi.radius = v
        }
        FeatureSlider {
            label: "Altitude"; unit: "m"; icon: "arrow.up.to.line"
            range: poi.altitudeRange
            value: poi.altitude
            onMoved: (v) => poi.altitude = v
        }
        FeatureSlider {
            label: "Speed"; unit: "m/s"; icon: "speedometer"
            range: poi.speedRange
            value: poi.speed
            onMoved: (v) => poi.speed = v
        }
    }

    ModeStartStopButton {
        title: poi.actionTitle
        isDestructive: poi.isDestructive
        onClicked: poi.startStop()
    }
}
