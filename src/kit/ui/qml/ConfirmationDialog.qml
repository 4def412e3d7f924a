pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// An action sheet from the bottom of the window: a rounded group with the title, the message
// and the destructive action, and a separate "Cancel" below it. Choosing the action emits
// destructiveTriggered() and then dismissed(); every other way of closing (Cancel, a tap on the
// backdrop, Escape, `presented` going false) emits only dismissed(), once per close.
T.Popup {
    id: dialog

    property bool presented: false
    property string title: ""
    property string message: ""
    property string destructiveText: ""
    property string cancelText: "Cancel"
    property bool titleVisible: true
    // Plain choices listed above the destructive one; choosing one emits actionTriggered(index).
    property var actions: []
    readonly property bool shown: _shown

    signal destructiveTriggered()
    signal actionTriggered(int index)
    signal dismissed()

    function dismiss() { _close() }

    // --- internals ---
    property bool _shown: false
    property real _progress: 0 // 0 hidden, 1 fully up

    function _open() {
        if (_shown)
            return
        // Open over the whole window; until the declaring item is in one, its windowChanged retries.
        const overlay = T.Overlay.overlay
        if (!overlay)
            return
        if (parent !== overlay)
            parent = overlay
        _shown = true
        open()
        slide.from = _progress
        slide.to = 1
        slide.duration = 300
        slide.restart()
    }
    function _close() {
        if (!_shown)
            return
        _shown = false
        dismissed()
        slide.from = _progress
        slide.to = 0
        slide.duration = 250
        slide.restart()
    }
    function _choose() {
        if (!_shown)
            return
        destructiveTriggered()
        _close()
    }
    function _chooseAction(index) {
        if (!_shown)
            return
        actionTriggered(index)
        _close()
    }

    onPresentedChanged: presented ? _open() : _close()
    property Item _host: null
    Component.onCompleted: {
        _host = parent
        if (presented)
            _open()
    }
    Connections {
        target: dialog._host
        function onWindowChanged() {
            if (dialog.presented && !dialog._shown)
                // Qt 6.4 declares Qt.callLater as a QJSValue property, which qmllint's type check takes
                // for a value that may not be callable.
                Qt.callLater(dialog._open) // qmllint disable type
        }
    }
    onClosed: {
        if (_shown) {
            _shown = false
            dismissed()
        }
        _progress = 0
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
        id: slide
        target: dialog; property: "_progress"
        easing.type: Easing.OutCubic
        onFinished: if (!dialog._shown) dialog.close()
    }

    component ActionRow: T.AbstractButton {
        id: action
        property color textColor: Theme.themeGold
        property bool highlighted: false
        width: parent ? parent.width : 0
        implicitHeight: 57
        font.family: Theme.fontFamily
        font.pixelSize: Theme.title3
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: action.clicked()
        background: Rectangle {
            color: action.down ? Theme.alpha("white", 0.12) : "transparent"
        }
        contentItem: Text {
            text: action.text
            font: action.font
            color: action.textColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    // Given by id rather than written in place: ids inside an object set on a deferred property
    // would build it at once anyway. A popup's children go into its content, so this one is held by
    // a property of its own.
    contentItem: body
    property Item _body: Item {
        id: body
        focus: true
        Keys.onEscapePressed: dialog.dismiss()
        Keys.onBackPressed: dialog.dismiss()

        Rectangle {
            anchors.fill: parent
            color: "black"
            opacity: 0.4 * dialog._progress
            MouseArea {
                anchors.fill: parent
                onClicked: dialog.dismiss()
                Accessible.role: Accessible.Button
                Accessible.name: "Dismiss"
                Accessible.onPressAction: dialog.dismiss()
            }
        }

        Column {
            id: sheetColumn
            x: 8
            width: parent.width - 16
            y: parent.height - (height + 8) * dialog._progress
            spacing: 8

            Rectangle {
                width: parent.width
                height: group.height
                radius: 14
                color: Theme.themeSurfaceRaised
                clip: true

                Column {
                    id: group
                    width: parent.width

                    Column {
                        id: header
                        visible: (dialog.titleVisible && dialog.title !== "") || dialog.message !== ""
                        width: parent.width
                        topPadding: 14
                        bottomPadding: 14
                        leftPadding: 16
                        rightPadding: 16
                        spacing: 4
                        Text {
                            id: titleText
                            visible: dialog.titleVisible && dialog.title !== ""
                            width: header.width - 32
                            text: dialog.title
                            color: Theme.secondaryText
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnote
                            font.weight: Font.DemiBold
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.Wrap
                        }
                        Text {
                            id: messageText
                            visible: dialog.message !== ""
                            width: header.width - 32
                            text: dialog.message
                            color: Theme.secondaryText
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnote
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.Wrap
                        }
                    }
                    Repeater {
                        model: dialog.actions
                        Column {
                            id: actionEntry
                            required property int index
                            required property string modelData
                            width: group.width
                            Rectangle {
                                visible: actionEntry.index > 0 || header.visible
                                width: parent.width
                                height: 0.5
                                color: Theme.separator
                            }
                            ActionRow {
                                objectName: "action" + actionEntry.index
                                text: actionEntry.modelData
                                onClicked: dialog._chooseAction(actionEntry.index)
                            }
                        }
                    }
                    Rectangle {
                        visible: (header.visible || dialog.actions.length > 0) && dialog.destructiveText !== ""
                        width: parent.width
                        height: 0.5
                        color: Theme.separator
                    }
                    ActionRow {
                        id: destructive
                        objectName: "destructiveAction"
                        visible: dialog.destructiveText !== ""
                        text: dialog.destructiveText
                        textColor: Theme.platformRed
                        onClicked: dialog._choose()
                    }
                }
            }

            ActionRow {
                id: cancel
                objectName: "cancelAction"
                text: dialog.cancelText
                font.weight: Font.DemiBold
                background: Rectangle {
                    radius: 14
                    color: cancel.down ? Qt.lighter(Theme.themeSurfaceRaised, 1.35) : Theme.themeSurfaceRaised
                }
                onClicked: dialog.dismiss()
            }
        }
    }
}
