import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A stack of ZPage. push() slides the new page in from the right over the current one,
// which drifts a third to the left and dims; pop() plays it backwards.
// Plain NumberAnimations, not Animators: with Animators the page uncovered by a pop stayed
// undrawn until the slide ended on the software scene graph.
Item {
    id: nav

    property Component initialPage
    readonly property int depth: stack.depth
    readonly property Item currentPage: stack.currentItem
    readonly property bool busy: stack.busy

    function push(component, properties) {
        return stack.push(component, properties !== undefined ? properties : {})
    }
    function pop() {
        return stack.depth > 1 ? stack.pop() : null
    }
    function popToRoot() {
        return stack.depth > 1 ? stack.pop(null) : null
    }

    clip: true

    T.StackView {
        id: stack
        anchors.fill: parent
        initialItem: nav.initialPage

        readonly property int slideMs: 350

        pushEnter: Transition {
            NumberAnimation { property: "x"; from: stack.width; to: 0; duration: stack.slideMs; easing.type: Easing.OutCubic }
        }
        pushExit: Transition {
            NumberAnimation { property: "x"; from: 0; to: -stack.width / 3; duration: stack.slideMs; easing.type: Easing.OutCubic }
            NumberAnimation { property: "opacity"; from: 1; to: 0.6; duration: stack.slideMs; easing.type: Easing.OutCubic }
        }
        popEnter: Transition {
            NumberAnimation { property: "x"; from: -stack.width / 3; to: 0; duration: stack.slideMs; easing.type: Easing.OutCubic }
            NumberAnimation { property: "opacity"; from: 0.6; to: 1; duration: stack.slideMs; easing.type: Easing.OutCubic }
        }
        popExit: Transition {
            NumberAnimation { property: "x"; from: 0; to: stack.width; duration: stack.slideMs; easing.type: Easing.OutCubic }
        }
        replaceEnter: pushEnter
        replaceExit: pushExit
    }
}
