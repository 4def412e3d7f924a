import QtQuick
import QtQuick.Layouts
import Zeltrin

// A navigation container with a second page pushed: back button naming the first page, trailing items.
NavigationContainer {
    id: nav
    property int settleMs: 900

    initialPage: Component {
        ZPage {
            title: "Settings"
            trailingItems: [ BarButton { text: "Edit" } ]
        }
    }

    Component {
        id: detail
        ZPage {
            title: "Flight Safety"
            trailingItems: [
                BarButton { iconName: "square.and.arrow.up"; Accessible.name: "Share" },
                BarButton { text: "Done" }
            ]
            ColumnLayout {
                anchors.fill: parent
                anchors.margins: 16
                spacing: 12
                ZeltrinCard {
                    Layout.fillWidth: true
                    padding: 16
                    Text {
                        text: "Pushed page content"
                        color: "white"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.body
                    }
                }
                Item { Layout.fillHeight: true }
            }
        }
    }

    Component.onCompleted: push(detail)
}
