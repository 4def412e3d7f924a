import QtQuick
import QtQuick.Layouts
import Zeltrin

// A circular flight boundary. The enabled flag and the radius are the presenter's and are
// edited in place; the two warning options are this sheet's.
FeatureSheetFrame {
    id: sheet
    property alias link: fence.link
    readonly property alias model: fence
    signal dismissRequested()

    icon: "map.circle"
    title: "Custom Geofence"
    description: "Set custom flight boundaries for safety"
    onDoneClicked: fence.done()
    notice: fence.refusal

    GeofenceSheetModel {
        id: fence
        onDismissRequested: sheet.dismissRequested()
    }

    FeatureSection {
        heading: "Geofence Settings"
        spacing: 16
        FeatureSlider {
            label: "Radius"; unit: "m"; icon: "circle.dashed"
            range: fence.radiusRange
            value: fence.radius
            onMoved: (v) => fence.radius = v
        }
        ModeToggleCard {
            icon: "bell.badge"
            text: "Alert When Approaching Boundary"
            checked: fence.alertWhenNear
            onToggled: (on) => fence.alertWhenNear = on
        }
        ModeToggleCard {
            icon: "arrow.uturn.backward"
            text: "Auto-Return at Boundary"
            detail: "Automatically return when reaching geofence limit"
            checked: fence.autoReturn
            onToggled: (on) => fence.autoReturn = on
        }
    }

    EnableToggleCard {
        text: "Enable Custom Geofence"
        checked: fence.isEnabled
        onToggled: (on) => fence.isEnabled = on
    }
}
