import QtQuick
import QtQuick.Templates as T
import Zeltrin

// The plan's file actions, dropped down below the navigation bar's "Plan" item: the plans kept in
// the app (open, save), files from and to elsewhere (import, export) and the offline map area.
// Each row closes the menu before it asks for its action, so a sheet or dialog opened from it is
// never under the menu.
T.Popup {
    id: menu

    signal openRequested()
    signal saveRequested()
    signal importRequested()
    signal exportRequested()
    signal downloadAreaRequested()

    width: 240
    // The template sizes nothing itself: without this the card behind the rows has no height.
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    padding: 0
    modal: false
    focus: true
    closePolicy: T.Popup.CloseOnEscape | T.Popup.CloseOnPressOutside

    background: Rectangle {
        radius: 12
        color: Theme.themeSurfaceRaised
        border.color: Theme.separator
        border.width: 0.5
    }

    component MenuRow: T.AbstractButton {
        id: row
        width: parent ? parent.width : 0
        implicitHeight: 48
        leftPadding: 16
        rightPadding: 16
        font.family: Theme.fontFamily
        font.pixelSize: Theme.body
        Accessible.role: Accessible.MenuItem
        Accessible.name: text
        Accessible.onPressAction: row.clicked()
        background: Rectangle {
            radius: 12
            color: row.down ? Theme.alpha("white", 0.12) : "transparent"
        }
        contentItem: Text {
            text: row.text
            font: row.font
            color: "white"
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }
    component Divider: Rectangle {
        width: parent ? parent.width : 0
        height: 0.5
        color: Theme.separator
    }

    contentItem: Column {
        MenuRow {
            objectName: "planOpen"
            text: "Open\u2026"
            onClicked: { menu.close(); menu.openRequested() }
        }
        Divider {}
        MenuRow {
            objectName: "planSave"
            text: "Save\u2026"
            onClicked: { menu.close(); menu.saveRequested() }
        }
        Divider {}
        MenuRow {
            objectName: "planImport"
            text: "Import\u2026"
            onClicked: { menu.close(); menu.importRequested() }
        }
        Divider {}
        MenuRow {
            objectName: "planExport"
            text: "Export\u2026"
            onClicked: { menu.close(); menu.exportRequested() }
        }
        Divider {}
        MenuRow {
            objectName: "planDownloadArea"
            text: "Download Map Area\u2026"
            onClicked: { menu.close(); menu.downloadAreaRequested() }
        }
    }
}
