import QtQuick
import QtQuick.Layouts
import Zeltrin

// A titled card of rows; whatever is put inside is stacked below the title.
ZeltrinCard {
    id: section
    property string title: ""
    default property alias content: rows.data

    Layout.fillWidth: true

    ColumnLayout {
        width: section.availableWidth
        spacing: 0
        Text {
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.topMargin: 8
            Layout.bottomMargin: 8
            text: section.title
            color: Theme.themeGold
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
            font.weight: Font.DemiBold
            Accessible.role: Accessible.Heading
        }
        ColumnLayout {
            id: rows
            Layout.fillWidth: true
            spacing: 0
        }
    }
}
