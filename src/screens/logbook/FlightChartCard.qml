import QtQuick
import QtQuick.Layouts
import Zeltrin

// A titled card with one curve over the flight's time: its highest and lowest values beside
// the title, the duration below.
Rectangle {
    id: card
    property string title: ""
    property string unit: ""
    property var points: []
    property color lineColor: Theme.themeGold
    property real minimumValue: NaN
    property real maximumValue: NaN
    property string emptyText: "No samples recorded"

    implicitHeight: column.implicitHeight + 24
    radius: 10
    color: Theme.themeSurface

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 12
        spacing: 8
        RowLayout {
            Layout.fillWidth: true
            Text {
                text: card.title
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
                font.weight: Font.DemiBold
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
            Text {
                visible: chart.points.length > 1
                text: Math.round(chart.lowestValue) + "–" + Math.round(chart.highestValue) + " " + card.unit
                color: Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
            }
        }
        Item {
            Layout.fillWidth: true
            Layout.preferredHeight: 96
            LineChart {
                id: chart
                objectName: "lineChart"
                anchors.fill: parent
                points: card.points
                color: card.lineColor
                lineWidth: 2
                minimumValue: card.minimumValue
                maximumValue: card.maximumValue
            }
            Text {
                anchors.centerIn: parent
                visible: chart.points.length < 2
                text: card.emptyText
                color: Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
            }
        }
    }
}
