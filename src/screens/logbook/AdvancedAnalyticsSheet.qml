pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Totals and averages of the flights handed over, fixed performance bars and trend notes.
// "Done" and the export button ask the presenter to close the sheet.
ZPage {
    id: sheet
    property FlightLogModel book
    readonly property alias analytics: analytics
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
                onClicked: sheet.dismissRequested()
            }
        }
    }
}
