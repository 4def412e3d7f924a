pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Window
import Zeltrin

// Settings' "Elevation Data": the ground kept on the device, each area with its zoom, resolution,
// vertical datum and source, deletable; "Import Elevation Model…" for a GeoTIFF (a DTM or DSM in
// any projection), with its progress while it runs.
Rectangle {
    id: section
    property ElevationData elevation: App.elevation
    property var pendingDelete: null
    readonly property alias importDialog: importDialog

    implicitHeight: column.implicitHeight
    radius: 10
    color: Theme.themeSurface

    component RowText: Text {
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.body
        elide: Text.ElideRight
    }
    component Separator: Rectangle {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.preferredHeight: 0.5
        color: Theme.separator
    }

    ColumnLayout {
        id: column
        width: parent.width
        spacing: 0

        RowText {
            objectName: "elevationUnavailable"
            visible: section.elevation === null || (!section.elevation.ready && section.elevation.errorText !== "")
            Layout.fillWidth: true
            Layout.margins: 16
            wrapMode: Text.Wrap
            color: Theme.secondaryText
            text: section.elevation === null ? "Elevation data is not available."
                                             : "Elevation data cannot be used: " + section.elevation.errorText
        }
        RowText {
            objectName: "elevationEmpty"
            visible: section.elevation !== null && section.elevation.ready && section.elevation.areas.count === 0
            Layout.fillWidth: true
            Layout.margins: 16
            wrapMode: Text.Wrap
            color: Theme.secondaryText
            font.pixelSize: Theme.subheadline
            text: "No elevation data yet: terrain follow needs it. Import an elevation model (GeoTIFF)."
        }
        Repeater {
            model: section.elevation ? section.elevation.areas : null
            delegate: ColumnLayout {
                id: row
                required property int index
                required property var areaId
                required property string name
                required property string detail
                Layout.fillWidth: true
                spacing: 0
                Separator { visible: row.index > 0 }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.minimumHeight: 60
                    Layout.leftMargin: 16
                    Layout.rightMargin: 4
                    spacing: 8
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.topMargin: 8
                        Layout.bottomMargin: 8
                        spacing: 2
                        RowText { Layout.fillWidth: true; text: row.name }
                        RowText {
                            objectName: "elevationAreaDetail"
                            Layout.fillWidth: true
                            text: row.detail
                            wrapMode: Text.Wrap
                            elide: Text.ElideNone
                            color: Theme.secondaryText
                            font.pixelSize: Theme.footnote
                        }
                    }
                    ButtonBase {
                        objectName: "deleteElevationArea"
                        implicitWidth: 48
                        implicitHeight: 48
                        iconName: "trash.fill"
                        foreground: Theme.platformRed
                        opacity: down ? 0.5 : 1
                        Accessible.name: "Delete " + row.name
                        onClicked: section.pendingDelete = { id: row.areaId, name: row.name }
                    }
                }
            }
        }
        Separator {}
        // The import row: its label, or while it runs the progress and a way to stop it.
        Item {
            id: importRow
            objectName: "importElevation"
            readonly property bool running: section.elevation !== null && section.elevation.importing
            Layout.fillWidth: true
            implicitHeight: 44
            enabled: section.elevation !== null && section.elevation.ready
            Accessible.role: Accessible.Button
            Accessible.name: running ? "Cancel the import" : "Import Elevation Model\u2026"
            Accessible.onPressAction: importRow.activate()
            function activate() {
                if (running)
                    section.elevation.cancelImport()
                else
                    importDialog.open()
            }
            Rectangle {
                anchors.fill: parent
                radius: 10
                color: importTap.pressed ? Theme.alpha("white", 0.06) : "transparent"
            }
            RowText {
                anchors.left: parent.left
                anchors.leftMargin: 16
                anchors.right: importState.left
                anchors.verticalCenter: parent.verticalCenter
                text: importRow.running ? "Importing\u2026 " + Math.round(section.elevation.importProgress * 100) + " %"
                                        : "Import Elevation Model\u2026"
                color: importRow.enabled ? Theme.themeGold : Theme.secondaryText
            }
            RowText {
                id: importState
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                visible: importRow.running
                text: "Cancel"
                color: Theme.platformRed
            }
            TapHandler { id: importTap; onTapped: importRow.activate() }
        }
        Rectangle {
            id: notice
            objectName: "elevationNotice"
            readonly property string text: section.elevation ? section.elevation.notice : ""
            property string lastText: ""
            property bool lastError: false
            function remember() {
                if (text !== "") {
                    lastText = text
                    lastError = section.elevation.noticeIsError
                }
            }
            onTextChanged: remember()
            Component.onCompleted: remember()
            opacity: text !== "" ? 1 : 0
            visible: opacity > 0
            Behavior on opacity { NumberAnimation { duration: 300 } }
            Layout.fillWidth: true
            Layout.margins: 12
            implicitHeight: noticeText.implicitHeight + 20
            radius: 8
            color: "transparent"
            border.width: 1
            border.color: notice.lastError ? Theme.platformRed : Theme.themeGold
            Accessible.role: Accessible.AlertMessage
            Accessible.name: notice.text
            RowText {
                id: noticeText
                anchors.fill: parent
                anchors.margins: 10
                wrapMode: Text.Wrap
                elide: Text.ElideNone
                font.pixelSize: Theme.footnote
                text: notice.text !== "" ? notice.text : notice.lastText
                color: notice.lastError ? Theme.platformRed : Theme.themeGold
            }
            TapHandler { onTapped: section.elevation.clearNotice() }
        }
    }

    FileDialog {
        id: importDialog
        title: "Import Elevation Model"
        parentWindow: section.Window.window
        fileMode: FileDialog.OpenFile
        nameFilters: ["GeoTIFF elevation models (*.tif *.tiff)", "All files (*)"]
        onAccepted: section.elevation.importModel(selectedFile)
    }

    ConfirmationDialog {
        objectName: "deleteElevationConfirm"
        presented: section.pendingDelete !== null
        title: "Delete this elevation data?"
        message: section.pendingDelete
                 ? "\u201c" + section.pendingDelete.name + "\u201d will be removed from this device. Terrain follow over its ground will need it again."
                 : ""
        destructiveText: "Delete"
        onDestructiveTriggered: {
            section.elevation.deleteArea(section.pendingDelete.id)
            section.pendingDelete = null
        }
        onDismissed: section.pendingDelete = null
    }
}
