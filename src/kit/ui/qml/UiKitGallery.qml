pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin.Kit

// Every piece of the UI kit on one page (the screenshot tour renders it).
Rectangle {
    id: gallery
    color: Theme.themeBackground
    property var swatches: [
        ["themeBackground", Theme.themeBackground], ["themeSurface", Theme.themeSurface],
        ["themeSurfaceRaised", Theme.themeSurfaceRaised], ["themeGold", Theme.themeGold],
        ["themeBlue", Theme.themeBlue], ["themeRed", Theme.themeRed],
        ["themeGreen", Theme.themeGreen], ["themeGrey", Theme.themeGrey]]
    // The status badges to show, as {text, color}: the drone link's states, which the app knows.
    property var connectionStates: []

    component Caption: Text {
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 8

        Caption { text: "Palette" }
        GridLayout {
            columns: 4
            columnSpacing: 6
            rowSpacing: 4
            Layout.fillWidth: true
            Repeater {
                model: gallery.swatches
                ColumnLayout {
                    id: swatch
                    required property var modelData
                    spacing: 2
                    Layout.fillWidth: true
                    Rectangle {
                        Layout.fillWidth: true
                        Layout.preferredHeight: 24
                        radius: 6
                        color: swatch.modelData[1]
                        border.width: 1
                        border.color: Theme.alpha("white", 0.15)
                    }
                    Text {
                        text: swatch.modelData[0]
                        color: "white"
                        font.family: Theme.fontFamily
                        font.pixelSize: 9
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                    }
                }
            }
        }

        ZeltrinCard {
            Layout.fillWidth: true
            padding: 12
            RowLayout {
                spacing: 8
                Icon { name: "airplane"; size: 20; color: Theme.themeGold }
                Text {
                    text: "ZeltrinCard"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                }
            }
        }

        GridLayout {
            columns: 2
            columnSpacing: 8
            rowSpacing: 6
            Layout.fillWidth: true
            GoldButtonStyle { Layout.fillWidth: true; text: "Gold" ; Layout.preferredWidth: 1 }
            GoldButtonStyle { Layout.fillWidth: true; text: "Gold pressed"; down: true ; Layout.preferredWidth: 1 }
            GhostButtonStyle { Layout.fillWidth: true; text: "Ghost" ; Layout.preferredWidth: 1 }
            GhostButtonStyle { Layout.fillWidth: true; text: "Ghost pressed"; down: true ; Layout.preferredWidth: 1 }
        }

        Flow {
            Layout.fillWidth: true
            spacing: 6
            Repeater {
                model: gallery.connectionStates
                StatusBadge {
                    required property var modelData
                    label: modelData.text
                    color: modelData.color
                }
            }
            StatusBadge { label: ""; color: Theme.themeBlue }
        }

        Caption { text: "Icons" }
        GridView {
            id: icons
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            interactive: false
            cellWidth: width / 5
            cellHeight: 26
            model: Icons.allIds()
            delegate: Item {
                id: iconCell
                required property string modelData
                width: icons.cellWidth
                height: icons.cellHeight
                Icon {
                    id: glyph
                    name: iconCell.modelData
                    size: 16
                    color: Theme.themeGold
                    width: 18
                    anchors.verticalCenter: parent.verticalCenter
                }
                Text {
                    anchors.left: glyph.right
                    anchors.leftMargin: 2
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: iconCell.modelData
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: 7
                    wrapMode: Text.WrapAnywhere
                    maximumLineCount: 3
                }
            }
        }
    }
}
