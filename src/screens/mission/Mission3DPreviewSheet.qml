import QtQuick
import QtQuick.Layouts
import Zeltrin

// A schematic side view of the mission: one dot per waypoint lifted by the altitude, an
// aircraft that runs along them while playing, and three summary figures.
ZPage {
    id: page
    readonly property alias preview: preview
    signal done()

    title: "3D Mission Preview"
    backgroundColor: Theme.themeBackground
    trailingItems: [
        SheetTextButton {
            objectName: "doneButton"
            text: "Done"
            onClicked: {
                preview.isAnimating = false
                page.done()
            }
        }
    ]

    Mission3DPreviewModel { id: preview }

    // Where even the smallest scene leaves the cards no room (a phone on its side), the sheet
    // scrolls rather than cover them.
    Flickable {
        id: body
        anchors.fill: parent
        contentWidth: width
        contentHeight: Math.max(height, previewArea.Layout.minimumHeight + controlsArea.implicitHeight)
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        ColumnLayout {
            width: body.width
            height: body.contentHeight
            spacing: 0

            // Preview area
            Rectangle {
                id: previewArea
                Layout.fillWidth: true
                Layout.fillHeight: true
                // The stack below at its smallest: margins, picker, the scene's least room, cards.
                Layout.minimumHeight: 16 + viewPicker.implicitHeight + 4 * 8 + 96 + stats.implicitHeight + 16
                gradient: Gradient {
                    GradientStop { position: 0; color: Theme.themeBackground }
                    GradientStop { position: 1; color: Theme.themeSurface }
                }

                ColumnLayout {
                    anchors.fill: parent
                    anchors.topMargin: 16
                    spacing: 8

                    SegmentedPicker {
                        id: viewPicker
                        objectName: "viewPicker"
                        Layout.fillWidth: true
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        model: preview.viewAngles
                        currentIndex: preview.viewAngle
                        onActivated: (index) => preview.viewAngle = index
                        Accessible.name: "View"
                    }

                    Item { Layout.fillHeight: true }

                    // The scene's place in the stack: 200 high where the sheet has the room; on a
                    // small phone it gives way (the scene itself stays 200 high, centred on it, and
                    // draws nothing but the dots and the aircraft) so the summary cards stay in view.
                    Item {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        Layout.preferredHeight: 200
                        Layout.maximumHeight: 200
                        Layout.minimumHeight: 96
                        Item {
                            id: scene
                            objectName: "scene"
                            anchors.centerIn: parent
                            width: parent.width
                            height: 200
                            // All dots in one node; only the aircraft moves each frame.
                            PreviewDotsItem {
                                objectName: "dots"
                                anchors.fill: parent
                                preview: page.preview
                                color: Theme.themeGold
                            }
                            Icon {
                                objectName: "aircraft"
                                visible: preview.isAnimating
                                name: "airplane"
                                size: 32
                                color: Theme.themeGold
                                width: 32; height: 32
                                x: scene.width / 2 - width / 2 + preview.aircraftOffsetX
                                y: scene.height / 2 - height / 2 + preview.lift
                                rotation: preview.aircraftRotation
                            }
                        }
                    }

                    Item { Layout.fillHeight: true }

                    RowLayout {
                        id: stats
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        Layout.bottomMargin: 16
                        spacing: 16
                        Preview3DStatCard { Layout.preferredWidth: 1; label: "Waypoints"; value: preview.waypointCountText; icon: "mappin.and.ellipse" }
                        Preview3DStatCard { Layout.preferredWidth: 1; label: "Altitude"; value: preview.altitudeText; icon: "arrow.up.to.line" }
                        Preview3DStatCard { Layout.preferredWidth: 1; label: "Est. Time"; value: preview.estimatedTimeText; icon: "clock" }
                    }
                }
            }

            // Controls
            Rectangle {
                id: controlsArea
                Layout.fillWidth: true
                implicitHeight: controls.implicitHeight + 32
                color: Theme.themeSurface
                ColumnLayout {
                    id: controls
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.top: parent.top
                    anchors.topMargin: 16
                    spacing: 16

                    ColumnLayout {
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        spacing: 8
                        Text {
                            text: "Preview Progress"
                            color: Theme.secondaryText
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.caption
                            font.weight: Font.DemiBold
                        }
                        ZSlider {
                            objectName: "progressSlider"
                            Layout.fillWidth: true
                            from: 0; to: 1; stepSize: 0
                            value: preview.animationProgress
                            enabled: !preview.isAnimating
                            tint: Theme.themeGold
                            label: "Preview Progress"
                            onMoved: preview.animationProgress = value
                        }
                    }

                    RowLayout {
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        spacing: 12
                        PreviewToggleButton {
                            text: "Path"
                            iconName: "line.diagonal"
                            isOn: preview.showPath
                            onToggledTo: (v) => preview.showPath = v
                        }
                        PreviewToggleButton {
                            text: "Altitude"
                            iconName: "arrow.up.and.down"
                            isOn: preview.showAltitude
                            onToggledTo: (v) => preview.showAltitude = v
                        }
                        Item { Layout.fillWidth: true }
                    }

                    GoldButtonStyle {
                        Layout.fillWidth: true
                        objectName: "playButton"
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        Layout.bottomMargin: 16
                        text: preview.playButtonText
                        iconName: preview.playButtonIcon
                        onClicked: preview.togglePlayback()
                    }
                }
            }
        }
    }
}
