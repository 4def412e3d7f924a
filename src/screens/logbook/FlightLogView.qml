import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Zeltrin

// The logbook tab: an entry into the analytics sheet and the list of flights, newest first.
// A row opens its flight's page; a swipe deletes a recorded flight after a confirmation.
// The bar's share button saves the whole logbook as CSV into a folder the pilot picks.
// This file's components are not bound to it (pragma ComponentBehavior: Bound): in Qt 6.4 a
// Loader cannot make a bound component (it makes the sheet), nor a list view its header.
// Inside a component, the ids it reaches are then unknown to qmllint, whose check is off
// there.
Rectangle {
    id: screen
    color: Theme.themeBackground
    property alias model: book
    readonly property alias navigation: nav
    readonly property alias exportFolderDialog: exportDialog

    FlightLogModel {
        id: book
        store: App.flightStore
    }

    function openFlight(id) {
        return nav.push(detailPage, { flightId: id })
    }

    property string _pendingDelete: ""

    Component {
        id: detailPage
        FlightDetailView { book: screen.model } // qmllint disable unqualified
    }

    NavigationContainer {
        id: nav
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                title: "Logbook"
                trailingItems: [
                    BarButton {
                        objectName: "exportButton"
                        iconName: "square.and.arrow.up"
                        color: Theme.themeGold
                        Accessible.name: "Export"
                        // qmllint disable unqualified
                        onClicked: exportDialog.open()
                    }
                ]

                ListView {
                    id: list
                    objectName: "flightList"
                    visible: !book.isEmpty
                    anchors.fill: parent
                    clip: true
                    model: book.rowModel
                    leftMargin: 16
                    rightMargin: 16
                    bottomMargin: 16
                    boundsBehavior: Flickable.DragOverBounds
                    ZScrollIndicator { flickable: list }

                    header: ColumnLayout {
                        width: list.width - 32
                        spacing: 0

                        PlanFileBanner {
                            objectName: "logbookNotice"
                            Layout.fillWidth: true
                            Layout.topMargin: 16
                            text: book.notice
                            isError: true
                            onDismissRequested: book.dismissNotice()
                        }
                        PlanFileBanner {
                            objectName: "logbookMessage"
                            Layout.fillWidth: true
                            Layout.topMargin: 16
                            text: book.message
                            isError: book.messageIsError
                            onDismissRequested: book.clearMessage()
                            // qmllint enable unqualified
                        }

                        // Analytics entry: a list row on the screen's own backdrop, its content inset
                        // like any row's.
                        Rectangle {
                            objectName: "analyticsEntry"
                            Layout.fillWidth: true
                            Layout.leftMargin: 16
                            Layout.rightMargin: 16
                            Layout.topMargin: 22
                            Layout.bottomMargin: 6
                            Layout.preferredHeight: entry.implicitHeight + 24
                            radius: 10
                            color: Theme.alpha(Theme.themeGold, 0.15)
                            opacity: entryArea.pressed ? 0.7 : 1
                            Accessible.role: Accessible.Button
                            Accessible.name: "Advanced Analytics"
                            Accessible.onPressAction: book.showAdvancedAnalytics = true // qmllint disable unqualified
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
                                onClicked: book.showAdvancedAnalytics = true // qmllint disable unqualified
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
                    }

                    delegate: SwipeDelegate {
                        id: row
                        objectName: "flightRow"
                        required property int index
                        required property string flightId
                        required property string location
                        required property string dateText
                        required property string durationText
                        required property string altitudeText
                        required property string speedText
                        required property string distanceText
                        required property string endText
                        // qmllint disable unqualified
                        width: list.width - 32
                        height: Math.max(44, logRow.implicitHeight + 12)
                        padding: 0
                        swipe.enabled: book.recorded
                        Accessible.name: location + ", " + dateText

                        onClicked: screen.openFlight(flightId)

                        // The swipe makes its action item without an owner: it would outlive the row.
                        swipe.onRightItemChanged: Ownership.adopt(swipe.rightItem, row)
                        // Shown only while the row is swiped, and rounded where the row is: at
                        // rest it would show through the row's rounded corners.
                        swipe.right: Item {
                            objectName: "swipeDeleteButton"
                            width: 88
                            height: row.height
                            anchors.right: parent.right
                            visible: row.swipe.position < 0
                            readonly property bool roundsTop: row.index === 0
                            readonly property bool roundsBottom: row.index === list.count - 1
                            Rectangle {
                                anchors.fill: parent
                                radius: parent.roundsTop || parent.roundsBottom ? 10 : 0
                                color: Theme.platformRed
                            }
                            // Square wherever the row is not rounded.
                            Rectangle {
                                width: 10
                                height: parent.height
                                color: Theme.platformRed
                            }
                            Rectangle {
                                visible: !parent.roundsTop
                                anchors.right: parent.right
                                width: 10
                                height: 10
                                color: Theme.platformRed
                            }
                            Rectangle {
                                visible: !parent.roundsBottom
                                anchors.right: parent.right
                                anchors.bottom: parent.bottom
                                width: 10
                                height: 10
                                color: Theme.platformRed
                            }
                            Text {
                                anchors.centerIn: parent
                                text: "Delete"
                                color: "white"
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.body
                            }
                            SwipeDelegate.onClicked: {
                                screen._pendingDelete = row.flightId
                                row.swipe.close()
                            }
                        }

                        background: Item {
                            // Inset grouped section: round only the first and last rows.
                            Rectangle {
                                anchors.fill: parent
                                color: Theme.themeSurface
                                radius: (row.index === 0 || row.index === list.count - 1) ? 10 : 0
                            }
                            Rectangle {
                                visible: list.count > 1 && row.index === 0
                                anchors.left: parent.left; anchors.right: parent.right; anchors.bottom: parent.bottom
                                height: 10
                                color: Theme.themeSurface
                            }
                            Rectangle {
                                visible: list.count > 1 && row.index === list.count - 1
                                anchors.left: parent.left; anchors.right: parent.right; anchors.top: parent.top
                                height: 10
                                color: Theme.themeSurface
                            }
                            Rectangle {
                                visible: row.index < list.count - 1
                                // qmllint enable unqualified
                                anchors.bottom: parent.bottom
                                x: 16
                                width: parent.width - 16
                                height: 0.5
                                color: Theme.separator
                            }
                            Rectangle {
                                anchors.fill: parent
                                color: "white"
                                opacity: row.pressed ? 0.06 : 0
                            }
                        }

                        // Given by id rather than written in place: ids inside an object set on a
                        // deferred property would build it at once anyway.
                        contentItem: rowContent
                        Item {
                            id: rowContent
                            FlightLogRow {
                                id: logRow
                                anchors.left: parent.left
                                anchors.right: parent.right
                                anchors.leftMargin: 16
                                anchors.rightMargin: 16
                                anchors.verticalCenter: parent.verticalCenter
                                log: ({ location: row.location, dateText: row.dateText, durationText: row.durationText,
                                        altitudeText: row.altitudeText, speedText: row.speedText,
                                        distanceText: row.distanceText, endText: row.endText })
                            }
                        }
                    }
                }

                // Nothing to list yet.
                Item {
                    objectName: "emptyView"
                    visible: book.isEmpty // qmllint disable unqualified
                    anchors.fill: parent
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

    FolderDialog {
        id: exportDialog
        title: "Export Logbook To"
        parentWindow: screen.Window.window
        onAccepted: book.exportLogbook(selectedFolder)
    }

    ConfirmationDialog {
        id: deleteConfirm
        objectName: "deleteConfirm"
        presented: screen._pendingDelete !== ""
        title: "Delete Flight?"
        message: "The flight and its track will be removed from the logbook."
        destructiveText: "Delete Flight"
        onDestructiveTriggered: book.deleteFlight(screen._pendingDelete)
        onDismissed: screen._pendingDelete = ""
    }

    ModalSheet {
        id: analyticsSheet
        presented: book.showAdvancedAnalytics
        detents: ["large"]
        onDismissed: book.showAdvancedAnalytics = false
        sheetContent: Component {
            AdvancedAnalyticsSheet {
                objectName: "analyticsSheet"
                // qmllint disable unqualified
                book: screen.model
                onDismissRequested: analyticsSheet.dismiss()
                // qmllint enable unqualified
            }
        }
    }
}
