import QtQuick
import QtQuick.Layouts
import Zeltrin

// Every control of the kit in its platform look.
ZPage {
    property int settleMs: 700
    title: "Controls"

    component Caption: Text {
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnote
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 16
        spacing: 14

        Caption { text: "SLIDER (30 to 400, step 10)" }
        ZSlider { Layout.fillWidth: true; from: 30; to: 400; stepSize: 10; value: 120; label: "Max Altitude" }
        ZSlider { Layout.fillWidth: true; from: 0; to: 1; value: 0.8; label: "Speed" }

        Caption { text: "TOGGLE" }
        RowLayout {
            spacing: 16
            ZToggle { checked: true; text: "On" }
            ZToggle { checked: false; text: "Off" }
            ZToggle { checked: true; enabled: false; text: "Disabled" }
        }

        Caption { text: "SEGMENTED" }
        SegmentedPicker {
            Layout.fillWidth: true
            model: ["Photo", "Video", "Timelapse"]
            currentIndex: 1
        }
        SegmentedPicker {
            Layout.fillWidth: true
            model: [{ text: "Auto", icon: "wand.and.stars" }, { text: "Manual", icon: "slider.horizontal.3" }]
            currentIndex: 0
        }

        Caption { text: "WHEEL" }
        WheelPicker {
            Layout.fillWidth: true
            model: ["1/30", "1/60", "1/125", "1/250", "1/500", "1/1000", "1/2000"]
            currentIndex: 3
            label: "Shutter"
        }

        Caption { text: "SPINNER" }
        RowLayout {
            spacing: 24
            Spinner { color: Theme.themeGold }
            Spinner { color: "white" }
            Rectangle {
                width: 120; height: 44; radius: 12; color: Theme.themeGold
                Spinner { anchors.centerIn: parent; color: Theme.themeBackground }
            }
        }
        Item { Layout.fillHeight: true }
    }
}
