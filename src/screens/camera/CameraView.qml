import QtQuick
import QtQuick.Layouts
import Zeltrin

// The camera tab: feed placeholder, mode switch, exposure and gimbal, capture and record.
// Upright, the feed sits above the scrolling controls. In a window wider than it is tall the
// feed takes the left side and the controls a column on the right. Capture and record follow
// the controls where they fit, and are pinned under the scrolling part where they do not, so
// they never scroll out of reach.
// This file's components are not bound to it (pragma ComponentBehavior: Bound): a Loader in
// Qt 6.4 cannot make a bound component, and a Loader makes the sheet. qmllint then cannot know
// the ids reached from inside a component, so that check is off where they are.
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

                Item {
                    id: body
                    anchors.fill: parent

                    readonly property bool wide: width > height
                    readonly property real panelWidth: wide ? Math.round(Math.max(300, Math.min(440, width * 0.4))) : width
                    readonly property real feedAreaWidth: wide ? width - panelWidth : width
                    readonly property real feedWidth: wide ? Math.min(feedAreaWidth, height * 16 / 9) : width

                    // Feed placeholder: 16:9, always shown.
                    Rectangle {
                        id: feed
                        objectName: "feed"
                        width: body.feedWidth
                        height: width * 9 / 16
                        x: (body.feedAreaWidth - width) / 2
                        y: body.wide ? Math.max(0, (body.height - height) / 2) : 0
                        color: Theme.themeSurface
                        clip: true

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

                        // Elapsed recording time, so a pilot sees that the camera is rolling.
                        Rectangle {
                            objectName: "recordingTimer"
                            visible: cam.isRecording // qmllint disable unqualified
                            anchors.top: parent.top
                            anchors.topMargin: 10
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: timerRow.implicitWidth + 20
                            height: 26
                            radius: 13
                            color: Theme.alpha("black", 0.55)
                            Row {
                                id: timerRow
                                anchors.centerIn: parent
                                spacing: 6
                                Rectangle {
                                    anchors.verticalCenter: parent.verticalCenter
                                    width: 8
                                    height: 8
                                    radius: 4
                                    color: Theme.themeRed
                                }
                                Text {
                                    objectName: "recordingTimeText"
                                    text: cam.recordingTimeText // qmllint disable unqualified
                                    color: "white"
                                    font.family: Theme.monoFamily
                                    font.pixelSize: 13
                                    font.weight: Font.DemiBold
                                }
                            }
                        }

                        // A brief white flash when a photo is taken.
                        Rectangle {
                            id: captureFlash
                            objectName: "captureFlash"
                            anchors.fill: parent
                            color: "white"
                            opacity: 0
                            visible: opacity > 0
                            NumberAnimation {
                                id: flashAnim
                                target: captureFlash
                                property: "opacity"
                                from: 0.85
                                to: 0
                                duration: 350
                                easing.type: Easing.OutQuad
                            }
                        }
                        Connections {
                            target: cam // qmllint disable unqualified
                            function onPhotoCaptureRequested() { flashAnim.restart() }
                        }
                    }

                    Item {
                        id: panel
                        x: body.wide ? body.feedAreaWidth : 0
                        y: body.wide ? 0 : feed.height
                        width: body.panelWidth
                        height: body.height - y

                        Flickable {
                            id: scroller
                            objectName: "controlsScroller"
                            anchors.top: parent.top
                            anchors.left: parent.left
                            anchors.right: parent.right
                            // Upright, no taller than the controls, so capture and record follow them.
                            height: body.wide ? panel.height - footer.height
                                              : Math.min(contentHeight, panel.height - footer.height)
                            clip: true
                            contentWidth: width
                            contentHeight: content.implicitHeight
                            boundsBehavior: Flickable.DragOverBounds
                            ZScrollIndicator { flickable: scroller }

                            ColumnLayout {
                                id: content
                                // On a tablet held upright the controls keep a phone-like width.
                                width: Math.min(scroller.width, 600)
                                x: (scroller.width - width) / 2
                                spacing: 14

                                // Mode switch: Photo / Video. The track is 32 high; taps up to
                                // 6 above or below it still choose a segment.
                                Item {
                                    Layout.fillWidth: true
                                    Layout.leftMargin: 16
                                    Layout.rightMargin: 16
                                    Layout.topMargin: 14
                                    Layout.preferredHeight: modePicker.implicitHeight
                                    Item {
                                        objectName: "modeTarget"
                                        anchors.centerIn: parent
                                        width: parent.width
                                        height: 44
                                        TapHandler {
                                            onTapped: (point) => {
                                                const i = Math.max(0, Math.min(1, Math.floor(point.position.x / (width / 2))))
                                                cam.isPhotoMode = i === 0
                                            }
                                        }
                                        SegmentedPicker {
                                            id: modePicker
                                            objectName: "modePicker"
                                            anchors.centerIn: parent
                                            width: parent.width
                                            Accessible.name: "Mode"
                                            model: [{text: "Photo"}, {text: "Video"}]
                                            currentIndex: cam.isPhotoMode ? 0 : 1 // qmllint disable unqualified
                                            onActivated: (index) => cam.isPhotoMode = index === 0
                                        }
                                    }
                                }

                                // Advanced button: plain, no highlight of its own.
                                Rectangle {
                                    objectName: "advancedButton"
                                    Layout.fillWidth: true
                                    Layout.leftMargin: 16
                                    Layout.rightMargin: 16
                                    Layout.preferredHeight: Math.max(44, advancedRow.implicitHeight + 24)
                                    radius: 10
                                    color: Theme.alpha(Theme.themeGold, 0.15)
                                    Accessible.role: Accessible.Button
                                    Accessible.name: "Advanced Camera Controls"
                                    Accessible.onPressAction: cam.showAdvancedControls = true // qmllint disable unqualified
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
                                    TapHandler {
                                        onTapped: cam.showAdvancedControls = true // qmllint disable unqualified
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
                                            // qmllint disable unqualified
                                            value: cam.iso
                                            from: cam.isoMin
                                            to: cam.isoMax
                                            step: cam.isoStep
                                            // qmllint enable unqualified
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
                                                    objectName: "shutterWheel"
                                                    anchors.centerIn: parent
                                                    width: parent.width
                                                    height: rowHeight * 3
                                                    visibleRowCount: 3
                                                    label: "Shutter"
                                                    // qmllint disable unqualified
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
                                            // qmllint enable unqualified
                                        }
                                    }
                                }

                                // Upright, the column's spacing before capture and record.
                                Item {
                                    Layout.preferredHeight: 0
                                    visible: !body.wide
                                }
                            }
                        }

                        // Capture and record: under the controls, or at the panel's foot once
                        // the controls scroll (and always in a wide window).
                        Item {
                            id: footer
                            objectName: "shutterFooter"
                            anchors.left: parent.left
                            anchors.right: parent.right
                            y: body.wide ? panel.height - height : scroller.height
                            height: shutterRow.implicitHeight + 16
                        }

                        // Capture and record.
                        Row {
                            id: shutterRow
                            parent: footer
                            anchors.centerIn: parent
                            spacing: 24

                            Item {
                                id: captureButton
                                objectName: "captureButton"
                                width: 72
                                height: 72
                                opacity: captureTap.pressed ? 0.6 : 1
                                Accessible.role: Accessible.Button
                                Accessible.name: "Capture"
                                Accessible.onPressAction: cam.capturePhoto() // qmllint disable unqualified
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
                                TapHandler {
                                    id: captureTap
                                    // qmllint disable unqualified
                                    onTapped: cam.capturePhoto()
                                }
                            }

                            Item {
                                id: recordButton
                                objectName: "recordButton"
                                width: 72
                                height: 72
                                opacity: recordTap.pressed ? 0.6 : 1
                                Accessible.role: Accessible.Button
                                Accessible.name: cam.isRecording ? "Stop Recording" : "Record"
                                Accessible.onPressAction: cam.toggleRecording()
                                Rectangle {
                                    objectName: "recordFill"
                                    anchors.centerIn: parent
                                    width: 64
                                    height: 64
                                    radius: 32
                                    color: cam.recordFillColor
                                }
                                Icon {
                                    objectName: "recordIcon"
                                    anchors.centerIn: parent
                                    name: cam.recordIcon
                                    size: Theme.title
                                    color: cam.recordIconColor
                                    // qmllint enable unqualified
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
                                TapHandler {
                                    id: recordTap
                                    onTapped: cam.toggleRecording() // qmllint disable unqualified
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
                // qmllint disable unqualified
                camera: cam
                onDismissRequested: advancedSheet.dismiss()
                // qmllint enable unqualified
            }
        }
    }
}
