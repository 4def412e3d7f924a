pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Window
import Zeltrin

// Settings' "Offline Maps": the areas kept on the device, each deletable, the browsing cache
// with "Clear Cache", and "Open MBTiles…" for packs made elsewhere.
Rectangle {
    id: section
    property OfflineMaps maps: App.offlineMaps
    // The area a delete waits to be confirmed for (0: none).
    property var pendingDelete: null
    readonly property alias openDialog: openDialog
    readonly property alias deleteConfirm: deleteConfirm

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
    component ActionRow: Item {
        id: action
        property string label
        property color tint: Theme.themeGold
        property string value: ""
        signal activated()
        Layout.fillWidth: true
        implicitHeight: 44
        Accessible.role: Accessible.Button
        Accessible.name: label
        Accessible.onPressAction: action.activated()
        Rectangle {
            anchors.fill: parent
            radius: 10
            color: tap.pressed ? Theme.alpha("white", 0.06) : "transparent"
        }
        RowText {
            anchors.left: parent.left
            anchors.leftMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            text: action.label
            color: action.tint
        }
        TapHandler { id: tap; onTapped: action.activated() }
    }

    ColumnLayout {
        id: column
        width: parent.width
        spacing: 0

        RowText {
            objectName: "offlineMapsUnavailable"
            visible: section.maps === null || (section.maps.ready === false && section.maps.errorText !== "")
            Layout.fillWidth: true
            Layout.margins: 16
            wrapMode: Text.Wrap
            color: Theme.secondaryText
            text: section.maps === null ? "Offline maps are not available."
                                        : "Offline maps cannot be used: " + section.maps.errorText
        }
        RowText {
            objectName: "offlineMapsEmpty"
            visible: section.maps !== null && section.maps.ready && section.maps.areas.count === 0
            Layout.fillWidth: true
            Layout.margins: 16
            wrapMode: Text.Wrap
            color: Theme.secondaryText
            font.pixelSize: Theme.subheadline
            text: "No areas yet. Choose \u201cDownload Map Area\u2026\u201d in the Mission tab\u2019s Plan menu, or open an MBTiles pack."
        }
        Repeater {
            model: section.maps ? section.maps.areas : null
            delegate: ColumnLayout {
                id: row
                required property int index
                required property var areaId
                required property string name
                required property string detail
                required property string status
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
                            Layout.fillWidth: true
                            text: row.detail
                            color: Theme.secondaryText
                            font.pixelSize: Theme.footnote
                        }
                        RowText {
                            Layout.fillWidth: true
                            visible: row.status !== ""
                            text: row.status
                            color: Theme.themeGold
                            font.pixelSize: Theme.footnote
                        }
                    }
                    ButtonBase {
                        objectName: "deleteArea"
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
        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 44
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            RowText { text: "Browsing Cache"; Layout.fillWidth: true }
            RowText {
                objectName: "browsingCacheSize"
                text: section.maps ? section.maps.browsingCacheText : "\u2014"
                color: Theme.secondaryText
            }
        }
        Separator {}
        ActionRow {
            objectName: "clearCache"
            label: "Clear Cache"
            enabled: section.maps !== null
            onActivated: section.maps.clearBrowsingCache()
        }
        Separator {}
        ActionRow {
            objectName: "openMbtiles"
            label: "Open MBTiles\u2026"
            enabled: section.maps !== null && section.maps.ready
            onActivated: openDialog.open()
        }
        // Opening a pack or deleting an area says how it went; the notice goes by itself (or at
        // a tap) and fades out with its last words.
        Rectangle {
            id: notice
            objectName: "offlineMapsNotice"
            readonly property string text: section.maps ? section.maps.notice : ""
            property string lastText: ""
            property bool lastError: false
            function remember() {
                if (text !== "") {
                    lastText = text
                    lastError = section.maps.noticeIsError
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
            TapHandler { onTapped: section.maps.clearNotice() }
        }
    }

    FileDialog {
        id: openDialog
        title: "Open MBTiles"
        parentWindow: section.Window.window
        fileMode: FileDialog.OpenFile
        nameFilters: ["MBTiles packs (*.mbtiles)", "All files (*)"]
        onAccepted: section.maps.importPack(selectedFile)
    }

    ConfirmationDialog {
        id: deleteConfirm
        objectName: "deleteAreaConfirm"
        presented: section.pendingDelete !== null
        title: "Delete this area?"
        message: section.pendingDelete
                 ? "\u201c" + section.pendingDelete.name + "\u201d and the map tiles only it uses will be removed from this device."
                 : ""
        destructiveText: "Delete"
        onDestructiveTriggered: {
            section.maps.deleteArea(section.pendingDelete.id)
            section.pendingDelete = null
        }
        onDismissed: section.pendingDelete = null
    }
}
