import QtQuick
import QtQuick.Layouts
import Zeltrin

// On the map when no imagery could be had: what is wrong and what to do about it. A tap puts it
// away.
Rectangle {
    id: notice
    signal dismissRequested()

    implicitHeight: row.implicitHeight + 20
    radius: 10
    color: Theme.alpha(Theme.themeSurface, 0.94)
    border.width: 1
    border.color: Theme.themeSurfaceRaised
    Accessible.role: Accessible.AlertMessage
    Accessible.name: title.text + " " + detail.text

    // The notice's own: no touch on it reaches the map.
    PointerShield {
        anchors.fill: parent
        blocksWheel: true
        TapHandler { onTapped: notice.dismissRequested() }
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 10
        spacing: 10
        Icon {
            Layout.alignment: Qt.AlignTop
            name: "map.fill"
            size: 18
            color: Theme.themeGold
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                id: title
                Layout.fillWidth: true
                text: "Map imagery cannot be reached."
                color: "white"
                wrapMode: Text.Wrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
                font.weight: Font.DemiBold
            }
            Text {
                id: detail
                Layout.fillWidth: true
                text: "Offline areas can be downloaded while online: Plan \u2192 Download Map Area\u2026"
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
            }
        }
        Icon {
            Layout.alignment: Qt.AlignTop
            name: "xmark"
            size: 14
            color: Theme.secondaryText
        }
    }
}
