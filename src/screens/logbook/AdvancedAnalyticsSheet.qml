pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import Zeltrin

// Totals and averages of the flights handed over, performance bars against the pilot's own
// flights and the trends of the last flights. "Done" asks the presenter to close the sheet; the
// export button saves the report as a PDF into a folder the pilot picks, then closes it (the
// logbook's banner tells how the saving went).
ZPage {
    id: sheet
    property FlightLogModel book
    readonly property alias analytics: analytics
    readonly property alias exportFolderDialog: reportDialog
    signal dismissRequested()

    title: ""
    trailingItems: [
        BarButton {
            objectName: "doneButton"
            text: "Done"
            color: Theme.themeGold
            onClicked: sheet.dismissRequested()
        }
    ]

    FlightAnalyticsModel {
        id: analytics
        book: sheet.book
    }

    component Heading: Text {
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headline
        font.weight: Font.DemiBold
    }

    Flickable {
        id: scroller
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: content.implicitHeight
        ZScrollIndicator { flickable: scroller }

        ColumnLayout {
            id: content
            width: scroller.width
            spacing: 24

            ColumnLayout {
                Layout.fillWidth: true
                Layout.topMargin: 16
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 8
                Icon {
                    Layout.alignment: Qt.AlignHCenter
                    name: "chart.xyaxis.line"
                    size: 44
                    color: Theme.themeGold
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Advanced Analytics"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title2
                    font.weight: Font.Bold
                }
                Text {
                    Layout.fillWidth: true
                    text: "Deep insights into your flight performance and trends"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadline
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                }
            }

            // Two equal columns.
            Grid {
                id: grid
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                columns: 2
                columnSpacing: 12
                rowSpacing: 12
                Repeater {
                    model: analytics.statCards
                    AnalyticsStatCard {
                        required property var modelData
                        width: (grid.width - grid.columnSpacing) / 2
                        label: modelData.label
                        value: modelData.value
                        icon: modelData.icon
                        color: modelData.color
                    }
                }
            }

            ColumnLayout {
                objectName: "performanceMetrics"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 16
                Heading { text: "Performance Metrics" }
                Repeater {
                    model: analytics.performanceMetrics
                    PerformanceMetricRow {
                        required property var modelData
                        Layout.fillWidth: true
                        label: modelData.label
                        value: modelData.value
                        percentage: modelData.percentage
                        color: modelData.color
                    }
                }
            }

            ColumnLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                spacing: 12
                Heading { text: "Recent Trends" }
                Repeater {
                    model: analytics.trends
                    TrendCard {
                        required property var modelData
                        Layout.fillWidth: true
                        icon: modelData.icon
                        title: modelData.title
                        description: modelData.description
                        trendColor: modelData.color
                    }
                }
            }

            GoldButtonStyle {
                objectName: "exportButton"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                Layout.bottomMargin: 32
                text: "Export Analytics Report"
                iconName: "square.and.arrow.up"
                onClicked: reportDialog.open()
            }
        }
    }

    FolderDialog {
        id: reportDialog
        title: "Export Analytics Report To"
        parentWindow: sheet.Window.window
        onAccepted: {
            if (sheet.book)
                sheet.book.exportAnalyticsReport(selectedFolder)
            sheet.dismissRequested()
        }
    }
}
