pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// A segmented control: equal segments on a 32-high track, the selected one on a lighter pill that
// slides to a new choice. `model` is an array of {text, icon} (or plain strings); an icon-only
// segment can carry `accessibleName`. A tap emits activated(index); bind currentIndex to the
// owner's field and write it there (if the owner does not, the picker moves by itself).
Item {
    id: picker

    property var model: []
    property int currentIndex: 0
    property color textColor: "white"

    signal activated(int index)

    // A list from C++ arrives as a sequence, not an Array: the segments are drawn from a copy.
    readonly property var _entries: {
        const out = []
        if (model && typeof model !== "string" && typeof model.length === "number")
            for (let i = 0; i < model.length; ++i)
                out.push(model[i])
        return out
    }
    readonly property int count: _entries.length
    readonly property real _segmentWidth: count > 0 ? (width - 4) / count : 0

    function _textOf(entry) { return typeof entry === "string" ? entry : (entry && entry.text ? entry.text : "") }
    function _iconOf(entry) { return typeof entry === "object" && entry && entry.icon ? entry.icon : "" }
    function _nameOf(entry) {
        if (typeof entry === "object" && entry && entry.accessibleName)
            return entry.accessibleName
        const t = _textOf(entry)
        return t !== "" ? t : _iconOf(entry)
    }

    implicitWidth: Math.max(120, count * 80)
    implicitHeight: 32
    Accessible.role: Accessible.PageTabList

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: Theme.alpha("white", 0.12)
    }

    // Hairlines between segments, hidden next to the selected one.
    Repeater {
        model: Math.max(0, picker.count - 1)
        Rectangle {
            required property int index
            x: 2 + (index + 1) * picker._segmentWidth - 0.5
            anchors.verticalCenter: parent.verticalCenter
            width: 1
            height: 16
            color: Theme.alpha("white", 0.16)
            visible: index !== picker.currentIndex && index + 1 !== picker.currentIndex
        }
    }

    Rectangle {
        id: thumb
        visible: picker.currentIndex >= 0 && picker.currentIndex < picker.count
        x: 2 + Math.max(0, picker.currentIndex) * picker._segmentWidth
        y: 2
        width: picker._segmentWidth
        height: picker.height - 4
        radius: 7
        color: Theme.alpha("white", 0.24)
        Behavior on x { NumberAnimation { duration: 220; easing.type: Easing.OutCubic } }
    }

    Row {
        x: 2
        y: 2
        Repeater {
            model: picker._entries
            T.AbstractButton {
                id: segment
                required property int index
                required property var modelData
                width: picker._segmentWidth
                height: picker.height - 4
                checkable: false
                text: picker._textOf(modelData)
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
                font.weight: Font.Medium

                // The segment is drawn 28 high; its hit area reaches 44.
                TouchTarget { id: hit }
                containmentMask: hit

                Accessible.role: Accessible.PageTab
                Accessible.name: picker._nameOf(modelData)
                Accessible.checkable: true
                Accessible.checked: index === picker.currentIndex
                Accessible.onPressAction: segment.clicked()

                onClicked: {
                    const chosen = index
                    picker.activated(chosen)
                    if (picker.currentIndex !== chosen)
                        picker.currentIndex = chosen
                }

                contentItem: Item {
                    opacity: segment.down && segment.index !== picker.currentIndex ? 0.5 : 1
                    Row {
                        anchors.centerIn: parent
                        spacing: 5
                        Icon {
                            visible: name !== ""
                            name: picker._iconOf(segment.modelData)
                            size: 15
                            color: picker.textColor
                            anchors.verticalCenter: parent.verticalCenter
                        }
                        Text {
                            visible: text !== ""
                            text: segment.text
                            font: segment.font
                            color: picker.textColor
                            elide: Text.ElideRight
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                }
            }
        }
    }
}
