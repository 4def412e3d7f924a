import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A card that slides up over the whole window (tab bar included) while `presented` is true.
// Rests at one of `detents` ("medium": half the window, "large": all but a sliver at the top),
// starting at the first one listed. Dragging the top of the sheet moves between detents;
// dragging below the lowest one, tapping the backdrop or calling dismiss() closes it.
// `dismissed()` is emitted exactly once per close, whatever closed it: the presenter writes its
// flag false there. The content is created from `sheetContent` on every opening and destroyed
// after the closing slide, so state kept inside it starts afresh each time.
T.Popup {
    id: sheet

    property bool presented: false
    property var detents: ["large"]
    property Component sheetContent
    property color backgroundColor: Theme.themeBackground
    // Height of the strip at the top (grabber and the content's bar) that drags the sheet.
    property real dragAreaHeight: 56
    readonly property Item sheetItem: loader.item as Item
    readonly property string currentDetent: _detentNames[_detentIndex] !== undefined ? _detentNames[_detentIndex] : ""
    readonly property bool shown: _shown

    signal dismissed()

    function dismiss() { _close() }

    // --- internals ---
    property bool _shown: false
    property int _detentIndex: 0
    property real _restTop: height
    property real _offset: 0
    readonly property var _detentNames: {
        const names = []
        // A list from C++ arrives as a sequence, not an Array: only a lone name is wrapped.
        const given = typeof detents === "string" ? [detents] : (detents || [])
        for (let i = 0; i < given.length; ++i)
            if ((given[i] === "medium" || given[i] === "large") && names.indexOf(given[i]) < 0)
                names.push(given[i])
        return names.length > 0 ? names : ["large"]
    }
    readonly property real _largeTop: 10
    // The on-screen keyboard lifts the sheet so its lower part stays above the keys, never past
    // the tallest detent's top.
    readonly property real _keyboardLift: _shown ? Math.max(0, Math.min(_restTop - _largeTop, height - _keyboardTop)) : 0
    property real _lift: _keyboardLift
    Behavior on _lift { NumberAnimation { duration: 250; easing.type: Easing.OutCubic } }
    // How much of the sheet's bottom the keyboard still covers once lifted (0 without one).
    readonly property real keyboardOverlap: Math.max(0, height + _offset - _lift - _keyboardTop)
    // The sheet covers the whole window, so window coordinates are its own.
    readonly property real _keyboardTop: Keyboard.area.height > 0 ? Math.max(0, Math.min(height, Keyboard.area.y)) : height
    readonly property real _cornerRadius: 10

    function _topOf(name) {
        return name === "medium" ? Math.round(height / 2) : _largeTop
    }
    // Detent tops sorted from the highest on screen (smallest y) to the lowest.
    function _sortedTops() {
        return _detentNames.map(_topOf).sort((a, b) => a - b)
    }
    function _indexOfTop(top) {
        for (let i = 0; i < _detentNames.length; ++i)
            if (_topOf(_detentNames[i]) === top)
                return i
        return 0
    }

    function _open() {
        if (_shown)
            return
        closeAnim.stop()
        loader.active = false // a close still sliding away leaves nothing behind
        // Open over the whole window; until the declaring item is in one, its windowChanged retries.
        const overlay = T.Overlay.overlay
        if (!overlay)
            return
        if (parent !== overlay)
            parent = overlay
        _detentIndex = 0
        _restTop = _topOf(_detentNames[0])
        _offset = height - _restTop
        _shown = true
        loader.active = true
        open()
        openAnim.restart()
    }

    function _close() {
        if (!_shown)
            return
        _shown = false
        openAnim.stop()
        detentAnim.stop()
        dismissed()
        closeAnim.from = _offset
        closeAnim.to = height - _restTop
        closeAnim.restart()
    }

    function _finishClose() {
        if (_shown)
            return
        close()
        loader.active = false
    }

    function _settleTo(index) {
        _detentIndex = index
        detentAnim.stop()
        detentAnim.to = _topOf(_detentNames[index])
        detentAnim.start()
        if (_offset !== 0) {
            settleOffset.from = _offset
            settleOffset.restart()
        }
    }

    onPresentedChanged: presented ? _open() : _close()
    property Item _host: null
    Component.onCompleted: {
        _host = parent
        if (presented)
            _open()
    }
    Connections {
        target: sheet._host
        function onWindowChanged() {
            if (sheet.presented && !sheet._shown)
                // Qt 6.4 declares Qt.callLater as a QJSValue property, which qmllint's type check takes
                // for a value that may not be callable.
                Qt.callLater(sheet._open) // qmllint disable type
        }
    }
    onHeightChanged: if (_shown && !drag.active && !detentAnim.running) _restTop = _topOf(_detentNames[_detentIndex])
    // Something closed the popup behind our back (e.g. close() called directly).
    onClosed: {
        if (_shown) {
            _shown = false
            dismissed()
        }
        closeAnim.stop()
        loader.active = false
    }

    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    padding: 0
    modal: true
    dim: false
    focus: true
    closePolicy: T.Popup.NoAutoClose
    background: null

    NumberAnimation {
        id: openAnim
        target: sheet; property: "_offset"; to: 0
        duration: 380; easing.type: Easing.OutCubic
    }
    NumberAnimation {
        id: closeAnim
        target: sheet; property: "_offset"
        duration: 300; easing.type: Easing.InOutCubic
        onFinished: sheet._finishClose()
    }
    NumberAnimation {
        id: detentAnim
        target: sheet; property: "_restTop"
        duration: 320; easing.type: Easing.OutCubic
    }
    NumberAnimation {
        id: settleOffset
        target: sheet; property: "_offset"; to: 0
        duration: 260; easing.type: Easing.OutCubic
    }

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway. A popup's children go into its content, so this one is held by
    // a property of its own.
    contentItem: root
    property Item _root: Item {
        id: root
        focus: true
        Keys.onEscapePressed: sheet.dismiss()
        Keys.onBackPressed: sheet.dismiss()

        Rectangle {
            id: backdrop
            anchors.fill: parent
            color: "black"
            readonly property real travel: Math.max(1, sheet.height - sheet._restTop)
            opacity: 0.4 * Math.max(0, Math.min(1, 1 - sheet._offset / travel))

            MouseArea {
                anchors.fill: parent
                onClicked: sheet.dismiss()
                Accessible.role: Accessible.Button
                Accessible.name: "Dismiss"
                Accessible.onPressAction: sheet.dismiss()
            }
        }

        Item {
            id: panel
            x: 0
            y: sheet._restTop + sheet._offset - sheet._lift
            width: parent.width
            height: Math.max(0, sheet.height - sheet._restTop)

            // Swallow touches that reach the sheet's own background.
            MouseArea { anchors.fill: parent }

            Rectangle {
                anchors.fill: parent
                anchors.bottomMargin: -sheet._cornerRadius
                radius: sheet._cornerRadius
                color: sheet.backgroundColor
            }

            // Below the content, so buttons in the content's bar still take taps; a drag on
            // the bar's empty parts reaches this handler.
            Item {
                id: dragArea
                width: parent.width
                height: sheet.dragAreaHeight

                DragHandler {
                    id: drag
                    target: null
                    xAxis.enabled: false
                    property real startTop: 0

                    onActiveChanged: {
                        if (active) {
                            detentAnim.stop()
                            settleOffset.stop()
                            startTop = sheet._restTop + sheet._offset
                        } else if (sheet._shown) {
                            sheet._release(centroid.velocity.y)
                        }
                    }
                    onTranslationChanged: if (active && sheet._shown) sheet._dragTo(startTop + translation.y)
                }
            }

            // Content starts at the top edge but is cut below the rounded corners; the strip above
            // is the sheet's own colour, the same as a page's bar in it.
            Item {
                id: clipper
                y: sheet._cornerRadius
                width: parent.width
                height: Math.max(0, parent.height - y)
                clip: true
                Loader {
                    id: loader
                    // Inert while sliding away: a second tap on a button that closed the
                    // sheet must not act again.
                    enabled: sheet._shown
                    y: -clipper.y
                    width: panel.width
                    height: panel.height
                    active: false
                    sourceComponent: sheet.sheetContent
                }
            }

            Item {
                id: grabberHit
                objectName: "grabber"
                width: 80
                height: 44
                anchors.horizontalCenter: parent.horizontalCenter
                Accessible.role: Accessible.Button
                Accessible.name: "Sheet grabber"
                Accessible.onPressAction: sheet._cycleDetent()
                TapHandler { onTapped: sheet._cycleDetent() }

                Rectangle {
                    id: grabber
                    y: 5
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 36
                    height: 5
                    radius: 2.5
                    color: Theme.alpha("white", 0.3)
                }
            }
        }
    }

    function _dragTo(top) {
        const tops = _sortedTops()
        const highest = tops[0]
        const lowest = tops[tops.length - 1]
        if (top < highest) {
            // Resist pulling past the tallest detent.
            _restTop = highest - (highest - top) * 0.15
            _offset = 0
        } else if (top > lowest) {
            _restTop = lowest
            _offset = top - lowest
        } else {
            _restTop = top
            _offset = 0
        }
    }

    function _release(velocity) {
        const tops = _sortedTops()
        const lowest = tops[tops.length - 1]
        if (_offset > 0) {
            const travel = Math.max(1, height - lowest)
            if (_offset > travel * 0.25 || velocity > 900) {
                _close()
                return
            }
        }
        const projected = _restTop + _offset + velocity * 0.12
        let best = tops[0]
        for (let i = 1; i < tops.length; ++i)
            if (Math.abs(tops[i] - projected) < Math.abs(best - projected))
                best = tops[i]
        _settleTo(_indexOfTop(best))
    }

    function _cycleDetent() {
        if (!_shown || _detentNames.length < 2)
            return
        _settleTo((_detentIndex + 1) % _detentNames.length)
    }
}
