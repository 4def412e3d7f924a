pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Six tabs under the connection banner. The selection lives in the application state, so it
// survives this view being rebuilt (sign-out and sign-in).
Rectangle {
    id: tabView
    color: Theme.themeBackground
    property alias tabModel: tabs

    // The screen of tab `index`, once it has been shown.
    function screenAt(index) {
        const loader = screens.itemAt(index) as Loader
        return loader ? loader.item : null
    }

    MainTabModel {
        id: tabs
        appState: App.appState
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ConnectionBanner {
            Layout.fillWidth: true
            z: 1
        }

        // One page shown at a time. Each page says itself whether it is the current one: a
        // StackLayout built while the tab view waits hidden behind the gate left the dashboard
        // hidden once shown.
        Item {
            id: pages
            Layout.fillWidth: true
            Layout.fillHeight: true

            Repeater {
                id: screens
                model: tabs.tabs
                Loader {
                    id: page
                    required property var modelData
                    required property int index
                    // A tab's screen is made the first time it is shown, then kept.
                    property bool visited: false
                    active: visited
                    anchors.fill: parent
                    visible: index === tabs.currentIndex
                    Component.onCompleted: visited = index === tabs.currentIndex
                    Connections {
                        target: tabs
                        function onCurrentIndexChanged() {
                            if (tabs.currentIndex === page.index)
                                page.visited = true
                        }
                    }
                    source: modelData.screen
                }
            }
        }

        // Tab bar: 49 high, gold selection, grey otherwise.
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 49
            color: Theme.alpha(Theme.themeSurface, 0.94)
            Rectangle {
                anchors.top: parent.top
                width: parent.width
                height: 0.5
                color: Theme.separator
            }
            Row {
                anchors.fill: parent
                Repeater {
                    model: tabs.tabs
                    Item {
                        id: tabItem
                        required property var modelData
                        required property int index
                        readonly property bool selected: index === tabs.currentIndex
                        width: parent.width / 6
                        height: parent.height
                        Accessible.role: Accessible.PageTab
                        Accessible.name: modelData.title
                        Accessible.selected: selected
                        Accessible.onPressAction: tabs.currentIndex = index
                        Column {
                            anchors.centerIn: parent
                            spacing: 1
                            Icon {
                                anchors.horizontalCenter: parent.horizontalCenter
                                name: tabItem.modelData.icon
                                size: 25
                                color: tabItem.selected ? Theme.themeGold : Theme.platformGrey
                            }
                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: tabItem.modelData.title
                                color: tabItem.selected ? Theme.themeGold : Theme.platformGrey
                                font.family: Theme.fontFamily
                                font.pixelSize: 10
                                font.weight: Font.Medium
                            }
                        }
                        TapHandler { onTapped: tabs.currentIndex = tabItem.index }
                    }
                }
            }
        }
    }
}
