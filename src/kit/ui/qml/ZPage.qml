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

        // The title is centred while it fits between the bar's sides. A longer one (a place name
        // on a small phone) takes all the room between the items, on up to two smaller lines,
        // before it is cut.
        TextMetrics {
            id: titleWidth
            font: titleText.font
            text: page.title
        }
        Text {
            id: titleText
            readonly property real side: Math.max(leading.width + leading.anchors.leftMargin, trailing.width + 16)
            readonly property bool centred: titleWidth.advanceWidth <= bar.width - 2 * side - 16
            readonly property real leftEdge: leading.width + leading.anchors.leftMargin + 8
            x: centred ? (bar.width - width) / 2 : leftEdge
            width: centred ? Math.ceil(titleWidth.advanceWidth)
                           : Math.max(0, bar.width - trailing.width - 16 - 8 - leftEdge)
            height: bar.height
            text: page.title
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
            wrapMode: centred ? Text.NoWrap : Text.Wrap
            maximumLineCount: 2
            fontSizeMode: centred ? Text.FixedSize : Text.Fit
            minimumPixelSize: Theme.caption
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
    }
}
