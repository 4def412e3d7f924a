import QtQuick
import QtQuick.Layouts
import Zeltrin

// Battery-aware return home. The enable toggle edits the presenter's flag at once and the
// sheet stays open; trigger, reserve and wind are this sheet's; the figures are the aircraft's
// way home as it flies now ("—" without a live aircraft).
FeatureSheetFrame {
    id: sheet
    property alias link: rth.link
    readonly property alias model: rth
    signal dismissRequested()

    icon: "battery.100.bolt"
    title: "Intelligent Battery RTH"
    description: "Smart return-to-home with real-time battery calculations"
    onDoneClicked: rth.done()
    notice: rth.refusal

    RTHSheetModel {
        id: rth
        drone: App.droneManager
        onDismissRequested: sheet.dismissRequested()
    }

    FeatureSection {
        heading: "RTH Settings"
        spacing: 16
        FeatureSlider {
            label: "RTH Trigger"; unit: "%"; icon: "battery.25"
            range: rth.thresholdRange
            value: rth.batteryThreshold
            onMoved: (v) => rth.batteryThreshold = v
        }
        FeatureSlider {
            label: "Reserve Battery"; unit: "%"; icon: "shield.checkered"
            range: rth.reserveRange
            value: rth.reservePercentage
            onMoved: (v) => rth.reservePercentage = v
        }
        ModeToggleCard {
            icon: "wind"
            text: "Wind Calculation"
            detail: "Account for headwind when calculating return distance"
            checked: rth.includeWindCalculation
            onToggled: (on) => rth.includeWindCalculation = on
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        spacing: 12
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: "Current Calculations"
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
            Accessible.role: Accessible.Heading
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 16
            Repeater {
                model: rth.calculations
                RTHStatCard {
                    required property var modelData
                    label: modelData.label
                    value: modelData.value
                    icon: modelData.icon
                }
            }
        }
    }

    EnableToggleCard {
        text: "Enable Intelligent RTH"
        checked: rth.isEnabled
        onToggled: (on) => rth.isEnabled = on
    }
}
