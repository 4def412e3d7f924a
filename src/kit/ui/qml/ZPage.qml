import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// One screen of a navigation container: a 44-high bar with an inline title and bar items,
// and the content below it. Inside a NavigationContainer, a pushed page gets a back button
// that names the page below it.
Item {
    id: page

    property string title: ""
    // The bar's items: after the back button, and at the right end.
    property alias leadingItems: leadingRow.children
    property alias trailingItems: trailing.children
    default property alias content: contentArea.data
    property bool showsNavigationBar: true
    property color backgroundColor: Theme.themeBackground

    // Filled by the stack: whether this page sits on another one, and that page's title.
    readonly property bool showsBackButton: T.StackView.index > 0
    readonly property string backTitle: {
        const view = T.StackView.view
        const below = view && T.StackView.index > 0 ? view.get(T.StackView.index - 1, T.StackView.DontLoad) : null
        return below && below.title !== undefined ? below.title : ""
    }
    readonly property Item navigationBar: bar

    function goBack() {
        if (T.StackView.view && T.StackView.index > 0)
            T.StackView.view.pop()
    }

    clip: true

    Rectangle {
        anchors.fill: parent
        color: page.backgroundColor
    }

    Item {
        id: contentArea
        // Scrolled content stops at the bar instead of running under it.
        clip: page.showsNavigationBar
        anchors.top: page.showsNavigationBar ? bar.bottom : page.top
        anchors.left: page.left
        anchors.right: page.right
        anchors.bottom: page.bottom
    }

    Item {
        id: bar
        visible: page.showsNavigationBar
        anchors.top: page.top
        anchors.left: page.left
        anchors.right: page.right
        height: 44

        Rectangle {
            anchors.fill: parent
            color: page.backgroundColor
        }
        // A touch on the bar is the bar's: nothing under it acts on it.
        PointerShield {
            anchors.fill: parent
            blocksWheel: true
        }

        Row {
            id: leading
            anchors.left: parent.left
            anchors.leftMargin: backButton.visible ? 8 : 16
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            spacing: 16

            T.AbstractButton {
                id: backButton
                objectName: "backButton"
                visible: page.showsBackButton
                height: 44
                implicitWidth: backRow.implicitWidth
                text: page.backTitle !== "" ? page.backTitle : "Back"
                Accessible.role: Accessible.Button
                Accessible.name: "Back"
                Accessible.onPressAction: page.goBack()
                onClicked: page.goBack()
                opacity: down ? 0.35 : 1
                Behavior on opacity { NumberAnimation { duration: 120 } }

                // Given by id rather than written in place: ids inside an object set on a deferred
                // property would build it at once anyway.
                contentItem: backRow
                Row {
                    id: backRow
                    spacing: 3
                    Icon {
                        name: "chevron.left"
                        size: 22
                        color: Theme.themeGold
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        // Keep the title readable: a long one gives way to the plain word.
                        text: page.backTitle.length > 0 && page.backTitle.length <= 14 ? page.backTitle : "Back"
                        color: Theme.themeGold
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.body
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }

            Row {
                id: leadingRow
                spacing: 16
                height: parent.height
            }
        }

        Row {
            id: trailing
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            spacing: 16
        }

        Text {
            id: titleText
            anchors.centerIn: parent
            width: Math.min(implicitWidth, Math.max(0, bar.width - 2 * Math.max(leading.width + leading.anchors.leftMargin,
                                                                                trailing.width + 16) - 16))
            text: page.title
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
    }
}
