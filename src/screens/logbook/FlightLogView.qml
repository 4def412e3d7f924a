import QtQuick
import QtQuick.Layouts
import Zeltrin

// The logbook tab: an entry into the analytics sheet and the list of past flights.
Rectangle {
    id: screen
    color: Theme.themeBackground
    property alias model: book

    FlightLogModel { id: book }

    NavigationContainer {
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                title: "Logbook"
                trailingItems: [
                    // Sharing the log is not offered yet; the button is in place for it.
                    BarButton {
                        iconName: "square.and.arrow.up"
                        color: Theme.themeGold
                        Accessible.name: "Export"
                    }
                ]

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    Flickable {
                        id: scroller
                        visible: !book.isEmpty
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        contentWidth: width
                        contentHeight: list.implicitHeight + 32
                        ZScrollIndicator { flickable: scroller }

                        ColumnLayout {
                            id: list
                            x: 16
                            y: 16
                            width: scroller.width - 32
                            spacing: 0

                            // Analytics entry: a list row on the screen's own backdrop, its content inset
                            // like any row's.
                            Rectangle {
                                objectName: "analyticsEntry"
                                Layout.fillWidth: true
                                Layout.leftMargin: 16
                                Layout.rightMargin: 16
                                Layout.topMargin: 6
                                Layout.bottomMargin: 6
                                Layout.preferredHeight: entry.implicitHeight + 24
                                radius: 10
                                color: Theme.alpha(Theme.themeGold, 0.15)
                                opacity: entryArea.pressed ? 0.7 : 1
                                Accessible.role: Accessible.Button
                                Accessible.name: "Advanced Analytics"
                                Accessible.onPressAction: book.showAdvancedAnalytics = true
                                RowLayout {
                                    id: entry
                                    anchors.fill: parent
                                    anchors.margins: 12
                                    spacing: 8
                                    Icon {
                                        name: "chart.xyaxis.line"
                                        size: 17
                                        color: Theme.themeGold
                                    }
                                    ColumnLayout {
                                        spacing: 2
                                        Text {
                                            text: "Advanced Analytics"
                                            color: "white"
                                            font.family: Theme.fontFamily
                                            font.pixelSize: Theme.subheadline
                                            font.weight: Font.DemiBold
                                        }
                                        Text {
                                            text: "Deep insights & performance trends"
                                            color: Theme.secondaryText
                                            font.family: Theme.fontFamily
                                            font.pixelSize: Theme.caption
                                        }
                                    }
                                    Item { Layout.fillWidth: true }
                                }
                                MouseArea {
                                    id: entryArea
                                    anchors.fill: parent
                                    onClicked: book.showAdvancedAnalytics = true
                                }
                            }

                            // Section header.
                            Text {
                                Layout.topMargin: 29
                                Layout.leftMargin: 16
                                Layout.bottomMargin: 7
                                text: "FLIGHT HISTORY"
                                color: Theme.secondaryText
                                font.family: Theme.fontFamily
                                font.pixelSize: 13
                            }

                            Rectangle {
                                Layout.fillWidth: true
                                Layout.preferredHeight: rows.implicitHeight
                                radius: 10
                                color: Theme.themeSurface
                                clip: true
                                ColumnLayout {
                                    id: rows
                                    width: parent.width
                                    spacing: 0
                                    Repeater {
                                        model: book.rows
                                        Item {
                                            required property var modelData
                                            required property int index
                                            Layout.fillWidth: true
                                            Layout.preferredHeight: Math.max(44, logRow.implicitHeight + 12)
                                            FlightLogRow {
                                                id: logRow
                                                anchors.left: parent.left
                                                anchors.right: parent.right
                                                anchors.leftMargin: 16
                                                anchors.rightMargin: 16
                                                anchors.verticalCenter: parent.verticalCenter
                                                log: modelData
                                            }
                                            Rectangle {
                                                visible: index < book.rows.length - 1
                                                anchors.bottom: parent.bottom
                                                x: 16
                                                width: parent.width - 16
                                                height: 0.5
                                                color: Theme.separator
                                            }
                                        }
                                    }
                                }
                            }
                        }
                    }

                    // Nothing to list yet.
                    Item {
                        objectName: "emptyView"
                        visible: book.isEmpty
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        ColumnLayout {
                            anchors.centerIn: parent
                            width: parent.width - 64
                            spacing: 8
                            Icon {
                                Layout.alignment: Qt.AlignHCenter
                                name: "book.closed"
                                size: 48
                                color: Theme.secondaryText
                            }
                            Text {
                                Layout.alignment: Qt.AlignHCenter
                                Layout.topMargin: 4
                                text: "No Flights Yet"
                                color: "white"
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.title2
                                font.weight: Font.Bold
                            }
                            Text {
                                Layout.fillWidth: true
                                text: "Your flight history will appear here after your first flight."
                                color: Theme.secondaryText
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.subheadline
                                horizontalAlignment: Text.AlignHCenter
                                wrapMode: Text.WordWrap
                            }
                        }
                    }
                }
            }
        }
    }

    ModalSheet {
        id: analyticsSheet
        presented: book.showAdvancedAnalytics
        detents: ["large"]
        onDismissed: book.showAdvancedAnalytics = false
        sheetContent: Component {
            AdvancedAnalyticsSheet {
                objectName: "analyticsSheet"
                logs: book.logs
                onDismissRequested: analyticsSheet.dismiss()
            }
        }
    }
}
