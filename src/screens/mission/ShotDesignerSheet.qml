pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls
import Zeltrin

// Picks a cinematic shot and its duration, distance and height. Every change goes straight into
// the screen's settings, so closing the sheet in any way keeps it.
ZPage {
    id: page
    required property ShotDesignerSettings settings
    signal done()

    title: ""
    backgroundColor: Theme.themeBackground
    trailingItems: [
        SheetTextButton {
            objectName: "doneButton"
            text: "Done"
            onClicked: page.done()
        }
    ]

    Flickable {
        id: scroll
        anchors.fill: parent
        contentWidth: width
        contentHeight: content.implicitHeight
        clip: true
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

        ColumnLayout {
            id: content
            width: scroll.width
            spacing: 24

            ColumnLayout {
                Layout.topMargin: 16
                Layout.alignment: Qt.AlignHCenter
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 8
                Icon {
                    Layout.alignment: Qt.AlignHCenter
                    name: "wand.and.stars"
                    size: 44
                    color: Theme.themeGold
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Shot Designer"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title2
                    font.weight: Font.Bold
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.maximumWidth: scroll.width - 32
                    text: "Create cinematic camera movements automatically"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadline
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                }
            }

            ColumnLayout {
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 12
                Text {
                    text: "Cinematic Shot"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                Repeater {
                    model: page.settings.shots
                    ShotOptionCard {
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        title: modelData.title
                        iconName: modelData.icon
                        description: modelData.description
                        isSelected: page.settings.selectedShot === index
                        onClicked: page.settings.selectedShot = index
                    }
                }
            }

            ColumnLayout {
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 16
                Text {
                    text: "Shot Settings"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
                ShotSettingSlider {
                    Layout.fillWidth: true
                    label: "Duration"; unit: "sec"; from: 10; to: 120
                    value: page.settings.duration
                    onValueEdited: (v) => page.settings.duration = v
                }
                ShotSettingSlider {
                    Layout.fillWidth: true
                    label: "Distance"; unit: "m"; from: 5; to: 50
                    value: page.settings.distance
                    onValueEdited: (v) => page.settings.distance = v
                }
                ShotSettingSlider {
                    Layout.fillWidth: true
                    label: "Height"; unit: "m"; from: 5; to: 50
                    value: page.settings.height
                    onValueEdited: (v) => page.settings.height = v
                }
            }

            GoldButtonStyle {
                Layout.fillWidth: true
                objectName: "applyButton"
                Layout.bottomMargin: 32
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                text: "Apply to Mission"
                iconName: "checkmark.circle.fill"
                onClicked: page.done()
            }
        }
    }
}
