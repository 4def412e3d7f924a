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
                }
            }
        }
    }
}
