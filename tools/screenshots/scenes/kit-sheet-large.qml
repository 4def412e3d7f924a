import QtQuick
import QtQuick.Layouts
import Zeltrin

// A large sheet over the tab view: a sliver of the presenter shows above it.
Item {
    id: scene
    property int settleMs: 900
    property bool showSheet: false

    MainTabView { anchors.fill: parent }

    ModalSheet {
        id: sheet
        presented: scene.showSheet
        onDismissed: scene.showSheet = false
        detents: ["large"]
        sheetContent: Component {
            ZPage {
                trailingItems: [ BarButton { text: "Done"; onClicked: sheet.dismiss() } ]
                ColumnLayout {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.margins: 16
                    spacing: 8
                    Icon { name: "scope"; size: 44; color: Theme.themeGold; Layout.alignment: Qt.AlignHCenter }
                    Text {
                        text: "Point of Interest"
                        color: "white"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.title2
                        font.bold: true
                        Layout.alignment: Qt.AlignHCenter
                    }
                    Text {
                        text: "Large detent, drag down to dismiss."
                        color: Theme.secondaryText
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.subheadline
                        Layout.alignment: Qt.AlignHCenter
                    }
                }
            }
        }
    }

    Component.onCompleted: showSheet = true
}
