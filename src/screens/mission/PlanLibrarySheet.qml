pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Zeltrin

// The plans kept in the app, newest first. A row opens its plan on the map; a swipe shows
// "Rename" and "Delete" (which asks first). A damaged file is listed with the reader's words.
ZPage {
    id: page
    required property PlanLibraryModel library
    readonly property alias list: list
    signal done()
    signal importRequested()

    title: "Saved Plans"
    backgroundColor: Theme.themeBackground
    leadingItems: [
        SheetTextButton {
            objectName: "libraryImport"
            text: "Import\u2026"
            onClicked: page.importRequested()
        }
    ]
    trailingItems: [
        SheetTextButton {
            objectName: "libraryDone"
            text: "Done"
            bold: true
            onClicked: page.done()
        }
    ]

    // On a tablet the rows keep a phone's reading width.
    readonly property real columnWidth: Math.min(width - 32, 640)

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        PlanFileBanner {
            objectName: "libraryMessage"
            Layout.preferredWidth: page.columnWidth
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 12
            text: page.library.message
            isError: page.library.messageIsError
            onDismissRequested: page.library.dismissMessage()
        }

        ListView {
            id: list
            objectName: "planLibraryList"
            // The column's width, centred: rows never move sideways with the list.
            Layout.preferredWidth: page.columnWidth
            Layout.alignment: Qt.AlignHCenter
            Layout.fillHeight: true
            topMargin: 12
            bottomMargin: 16
            spacing: 8
            clip: true
            boundsBehavior: Flickable.DragOverBounds
            model: page.library
            ZScrollIndicator { flickable: list }

            delegate: SwipeDelegate {
                id: row
                objectName: "planRow"
                required property string name
                required property string fileName
                required property string detailText
                required property string errorText
                required property bool isDamaged
                required property var outline
                width: page.columnWidth
                height: Math.max(64, texts.implicitHeight + 20)
                padding: 0
                // The swiped actions end in the row's rounded corner, not past it.
                clip: true
                Accessible.name: name
                Accessible.description: isDamaged ? errorText : detailText

                onClicked: page.library.open(fileName)

                // The swipe makes its action item without an owner: it would outlive the row.
                swipe.onRightItemChanged: Ownership.adopt(swipe.rightItem, row)
                swipe.right: Row {
                    anchors.right: parent.right
                    height: row.height
                    Rectangle {
                        objectName: "swipeRenameButton"
                        width: 88
                        height: row.height
                        color: Theme.themeGrey
                        Text {
                            anchors.centerIn: parent
                            text: "Rename"
                            color: "white"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.body
                        }
                        // The row takes the presses on its swipe actions itself and reports a
                        // click through this attached signal.
                        SwipeDelegate.onClicked: {
                            row.swipe.close()
                            page.library.beginRename(row.fileName)
                        }
                    }
                    Rectangle {
                        objectName: "swipeDeleteButton"
                        width: 88
                        height: row.height
                        radius: 12
                        color: Theme.platformRed
                        // Square on the side that meets "Rename".
                        Rectangle {
                            width: 12
                            height: parent.height
                            color: parent.color
                        }
                        Text {
                            anchors.centerIn: parent
                            text: "Delete"
                            color: "white"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.body
                        }
                        SwipeDelegate.onClicked: {
                            row.swipe.close()
                            page.library.requestDelete(row.fileName)
                        }
                    }
                }

                background: Rectangle {
                    radius: 12
                    color: row.pressed && !row.isDamaged ? Qt.lighter(Theme.themeSurface, 1.3) : Theme.themeSurface
                }

                // Given by id rather than written in place: ids inside an object set on a
                // deferred property would build it at once anyway.
                contentItem: rowContent
                Item {
                    id: rowContent
                    Rectangle {
                        id: thumbnail
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        width: 44
                        height: 44
                        radius: 8
                        color: Theme.themeSurfaceRaised
                        PlanOutlineItem {
                            visible: !row.isDamaged
                            anchors.fill: parent
                            anchors.margins: 5
                            points: row.outline
                            color: Theme.themeGold
                        }
                        Icon {
                            visible: row.isDamaged
                            anchors.centerIn: parent
                            name: "xmark.circle.fill"
                            size: 22
                            color: Theme.platformRed
                        }
                    }
                    ColumnLayout {
                        id: texts
                        anchors.left: thumbnail.right
                        anchors.leftMargin: 12
                        anchors.right: chevron.left
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 2
                        Text {
                            Layout.fillWidth: true
                            text: row.name
                            color: "white"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.headline
                            font.weight: Font.DemiBold
                            elide: Text.ElideRight
                        }
                        Text {
                            Layout.fillWidth: true
                            text: row.detailText
                            color: Theme.secondaryText
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.caption
                            // The date goes to a second line on a narrow phone, never cut.
                            wrapMode: Text.Wrap
                            maximumLineCount: 2
                        }
                        Text {
                            objectName: "planRowError"
                            visible: row.isDamaged
                            Layout.fillWidth: true
                            text: row.errorText
                            color: Theme.platformRed
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.caption
                            wrapMode: Text.Wrap
                            maximumLineCount: 3
                            elide: Text.ElideRight
                        }
                    }
                    Icon {
                        id: chevron
                        anchors.right: parent.right
                        anchors.rightMargin: 12
                        anchors.verticalCenter: parent.verticalCenter
                        name: "chevron.right"
                        size: 14
                        color: row.isDamaged ? "transparent" : Theme.tertiaryText
                    }
                }
            }
        }
    }

    Spinner {
        objectName: "libraryListing"
        visible: page.library.isListing && !page.library.hasListed
        anchors.centerIn: parent
        color: Theme.themeGold
    }

    // Nothing saved yet.
    ColumnLayout {
        objectName: "libraryEmpty"
        visible: page.library.hasListed && page.library.count === 0
        anchors.centerIn: parent
        width: Math.min(parent.width - 64, 360)
        spacing: 8
        Icon {
            Layout.alignment: Qt.AlignHCenter
            name: "map.fill"
            size: 44
            color: Theme.secondaryText
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 4
            text: "No Saved Plans"
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title2
            font.weight: Font.Bold
        }
        Text {
            Layout.fillWidth: true
            text: "Plans saved with \u201CSave\u2026\u201D are kept here, on this device. \u201CImport\u2026\u201D brings in plans from other apps."
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
        }
        GhostButtonStyle {
            objectName: "libraryEmptyImport"
            Layout.fillWidth: true
            Layout.topMargin: 12
            text: "Import\u2026"
            onClicked: page.importRequested()
        }
    }

    ConfirmationDialog {
        objectName: "deletePlanConfirm"
        presented: page.library.deletePending
        title: page.library.deleteTitle
        message: "The saved plan will be removed from this device. The plan on the map stays as it is."
        destructiveText: "Delete Plan"
        onDestructiveTriggered: page.library.confirmDelete()
        onDismissed: page.library.cancelDelete()
    }
}
