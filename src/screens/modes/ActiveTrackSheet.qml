pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Follow a moving subject. The tracking flag is the presenter's; mode, speed, distance and
// obstacle avoidance are this sheet's and start afresh each time it opens.
FeatureSheetFrame {
    id: sheet
    property alias link: track.link
    readonly property alias model: track
    signal dismissRequested()

    icon: "location.fill.viewfinder"
    title: "ActiveTrack Mode"
    description: "Automatically follow a moving subject while maintaining distance and avoiding obstacles"
    descriptionInset: 16
    onDoneClicked: track.done()
    notice: track.refusal

    ActiveTrackSheetModel {
        id: track
        onDismissRequested: sheet.dismissRequested()
    }

    FeatureSection {
        heading: "Tracking Mode"
        spacing: 12
        Repeater {
            model: track.modeOptions
            TrackingModeCard {
                required property var modelData
                required property int index
                mode: modelData
                isSelected: track.trackingMode === index
                onAction: track.trackingMode = index
            }
        }
    }

    FeatureSection {
        heading: "Tracking Settings"
        spacing: 16
        TrackSettingSlider {
            label: "Speed"; unit: "m/s"; icon: "speedometer"
            range: track.speedRange
            value: track.trackingSpeed
            onMoved: (v) => track.trackingSpeed = v
        }
        TrackSettingSlider {
            label: "Distance"; unit: "m"; icon: "arrow.left.and.right"
            range: track.distanceRange
            value: track.trackingDistance
            onMoved: (v) => track.trackingDistance = v
        }
        ModeToggleCard {
            icon: "shield.checkered"
            text: "Obstacle Avoidance"
            detail: "Auto-navigate around obstacles"
            iconBesideBothLines: true
            checked: track.obstacleAvoidance
            onToggled: (on) => track.obstacleAvoidance = on
        }
    }

    ModeStartStopButton {
        title: track.actionTitle
        isDestructive: track.isDestructive
        onClicked: track.startStop()
    }
}
