import QtQuick
import QtQuick.Layouts
import Zeltrin

// A labelled value over a bar filled to `percentage` of its width.
ColumnLayout {
    id: metric
    property string label: ""
    property string value: ""
    property real percentage: 0
    property color color: Theme.themeGold
    spacing: 8

    RowLayout {
        Layout.fillWidth: true
        Text {
            text: metric.label
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
        }
        Item { Layout.fillWidth: true }
        Text {
            text: metric.value
            color: metric.color
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
            font.weight: Font.DemiBold
        }
    }
    Rectangle {
        id: track
        Layout.fillWidth: true
        Layout.preferredHeight: 6
        radius: 3
        color: Theme.themeSurface
        Rectangle {
            height: parent.height
            radius: 3
            width: track.width * Math.max(0, Math.min(100, metric.percentage)) / 100
            color: metric.color
        }
    }
}
