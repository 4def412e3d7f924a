import QtQuick
import QtQuick.Layouts
import Zeltrin

// One past flight: place and date, then duration, altitude, speed and distance.
// `log` is a row of FlightLogModel.rows (the texts are made there).
ColumnLayout {
    id: row
    property var log: ({})
    spacing: 8

    RowLayout {
        Layout.fillWidth: true
        Layout.topMargin: 8
        spacing: 8
        Text {
            text: row.log.location ?? ""
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
            // A long place name takes a second line on a small phone before it is cut.
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignBaseline
        }
        Text {
            // Level with the name's first line.
            Layout.alignment: Qt.AlignBaseline
            text: row.log.dateText ?? ""
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
    }
    Row {
        Layout.bottomMargin: 8
        spacing: 16
        LogStat { icon: "timer"; value: row.log.durationText ?? "" }
        LogStat { icon: "arrow.up.to.line"; value: row.log.altitudeText ?? "" }
        LogStat { icon: "speedometer"; value: row.log.speedText ?? "" }
        LogStat { icon: "arrow.left.and.right"; value: row.log.distanceText ?? "" }
    }
    // How a record ended when it did not land: "ended by link loss", "interrupted".
    Text {
        visible: text !== ""
        Layout.topMargin: -4
        Layout.bottomMargin: 8
        text: row.log.endText ?? ""
        color: Theme.themeGold
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption
    }
}
