import QtQuick
import QtQuick.Layouts
import Zeltrin

// The camera tab: feed placeholder, mode switch, exposure and gimbal, capture and record.
Rectangle {
    id: screen
    color: Theme.themeBackground
    property alias model: cam
    readonly property alias advancedSheet: advancedSheet

    CameraModel {
        id: cam
        drone: App.droneManager
    }

    NavigationContainer {
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                title: "Camera"

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    // Feed placeholder: 16:9, always shown.
                    Rectangle {
                        Layout.fillWidth: true
                        Layout.preferredHeight: width * 9 / 16
                        color: Theme.themeSurface
                        Column {
                            anchors.centerIn: parent
                            spacing: 8
                            Icon {
                                anchors.horizontalCenter: parent.horizontalCenter
                                name: "video.slash.fill"
                                size: Theme.largeTitle
                                color: Theme.themeGrey
                            }
                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: "Connect drone to view feed"
                                color: Theme.themeGrey
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.caption
                            }
                        }
                    }

                    Flickable {
                        id: scroller
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        contentWidth: width
                        contentHeight: content.implicitHeight
                        boundsBehavior: Flickable.DragOverBounds
                        ZScrollIndicator { flickable: scroller }

                        ColumnLayout {
                            id: content
                            width: scroller.width
                            spacing: 14

                            // Mode switch: Photo / Video.
                            SegmentedPicker {
                                Layout.fillWidth: true
                                Layout.leftMargin: 16
                                Layout.rightMargin: 16
                                Layout.topMargin: 14
                                Accessible.name: "Mode"
                                model: [{text: "Photo"}, {text: "Video"}]
                                currentIndex: cam.isPhotoMode ? 0 : 1
                                onActivated: (index) => cam.isPhotoMode = index === 0
                            }

                            // Advanced button: plain, no highlight of its own.
                            Rectangle {
                                objectName: "advancedButton"
                                Layout.fillWidth: true
                                Layout.leftMargin: 16
                                Layout.rightMargin: 16
                                Layout.preferredHeight: advancedRow.implicitHeight + 24
                                radius: 10
                                color: Theme.alpha(Theme.themeGold, 0.15)
                                Accessible.role: Accessible.Button
                                Accessible.name: "Advanced Camera Controls"
                                Accessible.onPressAction: cam.showAdvancedControls = true
                                RowLayout {
                                    id: advancedRow
                                    anchors.fill: parent
                                    anchors.margins: 12
                                    spacing: 8
                                    Icon {
                                        name: "slider.horizontal.3"
                                        size: 17
                                        color: Theme.themeGold
                                    }
                                    Text {
                                        text: "Advanced Camera Controls"
                                        color: "white"
                                        font.family: Theme.fontFamily
                                        font.pixelSize: Theme.subheadline
                                        font.weight: Font.DemiBold
                                    }
                                    Item { Layout.fillWidth: true }
                                }
                                MouseArea {
                                    anchors.fill: parent
                                    onClicked: cam.showAdvancedControls = true
                                }
                            }

                            // Exposure card.
                            ZeltrinCard {
                                Layout.fillWidth: true
                                Layout.leftMargin: 16
                                Layout.rightMargin: 16
                                padding: 16
                                ColumnLayout {
                                    width: parent.width
                                    spacing: 12
                                    CameraSlider {
                                        Layout.fillWidth: true
                                        label: "ISO"
                                        value: cam.iso
                                        from: cam.isoMin
                                        to: cam.isoMax
                                        step: cam.isoStep
                                        unit: ""
                                        onEdited: (v) => cam.iso = v
                                    }
                                    RowLayout {
                                        Layout.fillWidth: true
                                        spacing: 8
                                        Text {
                                            text: "Shutter"
                                            color: Theme.secondaryText
                                            font.family: Theme.fontFamily
                                            font.pixelSize: Theme.caption
                                            Layout.preferredWidth: 60
                                        }
                                        // The wheel shows a little more than its 80-high frame; clip it.
                                        Item {
                                            Layout.fillWidth: true
                                            Layout.preferredHeight: 80
                                            clip: true
                                            WheelPicker {
                                                anchors.centerIn: parent
                                                width: parent.width
                                                height: rowHeight * 3
                                                visibleRowCount: 3
                                                label: "Shutter"
                                                model: cam.shutterSpeeds
                                                currentIndex: cam.shutterIndex
                                                onActivated: (index) => cam.shutterIndex = index
                                            }
                                        }
                                    }
                                    CameraSlider {
                                        Layout.fillWidth: true
                                        label: "Gimbal"
                                        value: cam.gimbalPitch
                                        from: cam.gimbalMin
                                        to: cam.gimbalMax
                                        step: cam.gimbalStep
                                        unit: "\u00B0"
                                        onEdited: (v) => cam.gimbalPitch = v
                                        onChange: cam.sendGimbalPitch()
                                    }
                                }
                            }

                            // Capture and record.
                            Row {
                                Layout.alignment: Qt.AlignHCenter
                                Layout.topMargin: 8
                                Layout.bottomMargin: 8
                                spacing: 24

                                Item {
                                    id: captureButton
                                    width: 72
                                    height: 72
                                    opacity: captureArea.pressed ? 0.6 : 1
                                    Accessible.role: Accessible.Button
                                    Accessible.name: "Capture"
                                    Accessible.onPressAction: cam.capturePhoto()
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 64
                                        height: 64
                                        radius: 32
                                        color: "white"
                                    }
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 72
                                        height: 72
                                        radius: 36
                                        color: "transparent"
                                        border.width: 3
                                        border.color: Theme.themeGold
                                    }
                                    MouseArea {
                                        id: captureArea
                                        anchors.fill: parent
                                        onClicked: cam.capturePhoto()
                                    }
                                }

                                Item {
                                    id: recordButton
                                    width: 72
                                    height: 72
                                    opacity: recordArea.pressed ? 0.6 : 1
                                    Accessible.role: Accessible.Button
                                    Accessible.name: cam.isRecording ? "Stop Recording" : "Record"
                                    Accessible.onPressAction: cam.toggleRecording()
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 64
                                        height: 64
                                        radius: 32
                                        color: cam.recordFillColor
                                    }
                                    Icon {
                                        anchors.centerIn: parent
                                        name: cam.recordIcon
                                        size: Theme.title
                                        color: cam.recordIconColor
                                    }
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 72
                                        height: 72
                                        radius: 36
                                        color: "transparent"
                                        border.width: 2
                                        border.color: Theme.themeSurfaceRaised
                                    }
                                    MouseArea {
                                        id: recordArea
                                        anchors.fill: parent
                                        onClicked: cam.toggleRecording()
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }

    ModalSheet {
        id: advancedSheet
        presented: cam.showAdvancedControls
        detents: ["large"]
        onDismissed: cam.showAdvancedControls = false
        sheetContent: Component {
            AdvancedCameraControlsSheet {
                objectName: "advancedSheet"
                camera: cam
                onDismissRequested: advancedSheet.dismiss()
            }
        }
    }
}
