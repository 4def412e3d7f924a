import QtQuick
import QtQuick.Layouts
import Zeltrin

// The frame every flight-mode sheet shares: a small bar with "Done", the backdrop, and a
// scrolling column (24 apart) that starts with the header. Children go below the header.
Rectangle {
    id: frame
    property string icon: ""
    property string title: ""
    property string description: ""
    property real descriptionInset: 0
    // Why the aircraft refused the mode, under the description; empty shows nothing.
    property string notice: ""
    signal doneClicked()
    default property alias content: column.data

    function scrollToEnd() {
        flick.contentY = Math.max(0, flick.contentHeight - flick.height)
    }

    color: Theme.themeBackground

    ZPage {
        anchors.fill: parent
        title: ""
        trailingItems: [
            BarButton {
                text: "Done"
                onClicked: frame.doneClicked()
            }
        ]

        Flickable {
            id: flick
            anchors.fill: parent
            contentWidth: width
            contentHeight: column.implicitHeight
            boundsBehavior: Flickable.DragOverBounds
            ZScrollIndicator { flickable: flick; active: true }

            ColumnLayout {
                id: column
                width: flick.width
                spacing: 24

                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 16
                    spacing: 8
                    Icon {
                        Layout.alignment: Qt.AlignHCenter
                        name: frame.icon
                        size: 44
                        color: Theme.themeGold
                    }
                    Text {
                        Layout.alignment: Qt.AlignHCenter
                        text: frame.title
                        color: "white"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.title2
                        font.bold: true
                        Accessible.role: Accessible.Heading
                    }
                    Text {
                        Layout.fillWidth: true
                        Layout.leftMargin: frame.descriptionInset
                        Layout.rightMargin: frame.descriptionInset
                        text: frame.description
                        color: Theme.secondaryText
                        wrapMode: Text.WordWrap
                        horizontalAlignment: Text.AlignHCenter
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.subheadline
                    }
                    Rectangle {
                        objectName: "modeRefusal"
                        visible: frame.notice !== ""
                        Layout.fillWidth: true
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        Layout.topMargin: 4
                        implicitHeight: refusalRow.implicitHeight + 16
                        radius: 10
                        color: Theme.alpha(Theme.themeRed, 0.15)
                        Accessible.role: Accessible.AlertMessage
                        Accessible.name: frame.notice
                        RowLayout {
                            id: refusalRow
                            anchors.fill: parent
                            anchors.margins: 8
                            anchors.leftMargin: 12
                            anchors.rightMargin: 12
                            spacing: 8
                            Icon { name: "xmark.circle.fill"; size: Theme.subheadline; color: Theme.themeRed }
                            Text {
                                Layout.fillWidth: true
                                text: frame.notice
                                color: "white"
                                wrapMode: Text.WordWrap
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.subheadline
                            }
                        }
                    }
                }
            }
        }
    }
}
