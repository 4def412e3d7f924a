pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Focus, exposure, white balance and colour profile. Every control writes the camera screen's
// model at once; "Done" and "Apply Settings" only ask the presenter to close the sheet.
ZPage {
    id: sheet
    required property CameraModel camera
    property alias contentY: scroller.contentY
    // Scrolls to the end (the tour shows the lower sections this way).
    function scrollToEnd() { scroller.contentY = Math.max(0, scroller.contentHeight - scroller.height) }
    signal dismissRequested()

    title: ""
    leadingItems: [
        BarButton {
            objectName: "resetButton"
            text: "Reset"
            color: Theme.themeRed
            onClicked: sheet.camera.resetAdvanced()
        }
    ]
    trailingItems: [
        BarButton {
            objectName: "doneButton"
            text: "Done"
            color: Theme.themeGold
            onClicked: sheet.dismissRequested()
        }
    ]

    component Heading: Text {
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headline
        font.weight: Font.DemiBold
    }

    Flickable {
        id: scroller
        objectName: "advancedScroller"
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: content.implicitHeight
        ZScrollIndicator { flickable: scroller }

        ColumnLayout {
            id: content
            width: scroller.width
            spacing: 24

            // Header
            ColumnLayout {
                Layout.fillWidth: true
                Layout.topMargin: 16
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 8
                Icon {
                    Layout.alignment: Qt.AlignHCenter
                    name: "camera.aperture"
                    size: 44
                    color: Theme.themeGold
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Advanced Camera Controls"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title2
                    font.weight: Font.Bold
                }
                Text {
                    Layout.fillWidth: true
                    text: "Professional camera settings for precise control"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadline
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                }
            }

            // Focus
            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 12
                Heading { text: "Focus Mode" }
                Repeater {
                    model: sheet.camera.focusModes
                    FocusModeCard {
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        objectName: modelData.title
                        mode: modelData
                        isSelected: sheet.camera.focusModeIndex === index
                        onAction: sheet.camera.focusModeIndex = index
                    }
                }
            }

            // Exposure
            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 16
                Heading { text: "Exposure Settings" }
                AdvancedCameraSlider {
                    Layout.fillWidth: true
                    label: "Aperture"
                    icon: "camera.aperture"
                    valueText: sheet.camera.apertureText
                    position: sheet.camera.apertureIndex
                    positionCount: sheet.camera.apertureCount
                    onPositionEdited: (p) => sheet.camera.apertureIndex = p
                }
                AdvancedCameraSlider {
                    Layout.fillWidth: true
                    label: "Exposure Comp."
                    icon: "circle.lefthalf.filled"
                    valueText: sheet.camera.exposureText
                    position: sheet.camera.exposureIndex
                    positionCount: sheet.camera.exposureCount
                    onPositionEdited: (p) => sheet.camera.exposureIndex = p
                }
            }

            // White balance
            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 12
                RowLayout {
                    spacing: 8
                    Icon {
                        name: "thermometer.sun"
                        size: 17
                        color: Theme.themeGold
                    }
                    Heading { text: "White Balance" }
                }
                ZeltrinCard {
                    Layout.fillWidth: true
                    Layout.preferredHeight: 120
                    // Clipped to the card's 120-high frame.
                    Item {
                        anchors.fill: parent
                        clip: true
                        WheelPicker {
                            objectName: "whiteBalanceWheel"
                            anchors.centerIn: parent
                            width: parent.width
                            label: "White Balance"
                            model: sheet.camera.whiteBalanceTexts
                            currentIndex: sheet.camera.whiteBalanceIndex
                            onActivated: (index) => sheet.camera.whiteBalanceIndex = index
                        }
                    }
                }
            }

            // Colour profile
            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 12
                Heading { text: "Color Profile" }
                Repeater {
                    model: sheet.camera.colorProfiles
                    ColorProfileCard {
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        objectName: modelData.title
                        profile: modelData
                        isSelected: sheet.camera.colorProfileIndex === index
                        onAction: sheet.camera.colorProfileIndex = index
                    }
                }
            }

            GoldButtonStyle {
                objectName: "applyButton"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                Layout.bottomMargin: 32
                text: "Apply Settings"
                iconName: "checkmark.circle.fill"
                onClicked: sheet.dismissRequested()
            }
        }
    }
}
