import QtQuick
import QtQuick.Layouts
import Zeltrin

// A block of a mode sheet: inset 16 at the sides, its heading first.
ColumnLayout {
    id: section
    property string heading: ""
    Layout.fillWidth: true
    Layout.leftMargin: 16
    Layout.rightMargin: 16

    Text {
        text: section.heading
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headline
        font.weight: Font.DemiBold
        Accessible.role: Accessible.Heading
    }
}
