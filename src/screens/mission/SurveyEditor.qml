pragma ComponentBehavior: Bound

import QtQuick
import Zeltrin

// The "Survey Area" tool's handles over the map, one on each corner of the area: drag one to
// move the corner, tap it to select it (the card then offers to delete it).
Item {
    id: editor
    required property SurveyEditModel survey
    required property TileMapItem map

    visible: survey.active

    Repeater {
        model: editor.survey.active ? editor.survey.cornerCount : 0
        Item {
            id: handle
            required property int index
            readonly property bool selected: editor.survey.selectedCorner === handle.index
            readonly property point at: {
                editor.survey.areaRevision; editor.map.region; editor.map.bearing
                const p = editor.map.coordinateToPoint(editor.survey.cornerLatitude(handle.index),
                                                       editor.survey.cornerLongitude(handle.index))
                return editor.mapFromItem(editor.map, p.x, p.y)
            }
            objectName: "surveyCorner" + handle.index
            x: handle.at.x - 22
            y: handle.at.y - 22
            width: 44
            height: 44
            Accessible.role: Accessible.Button
            Accessible.name: "Corner " + (handle.index + 1)
            Accessible.selected: handle.selected
            Accessible.onPressAction: editor.survey.selectedCorner = handle.index

            Rectangle {
                anchors.centerIn: parent
                width: handle.selected ? 26 : 20
                height: width
                radius: width / 2
                color: handle.selected ? Theme.themeGold : "white"
                border.width: 3
                border.color: handle.selected ? "white" : Theme.themeGold
            }
            // Takes the press whole, so the map neither pans nor adds a corner under a handle.
            MouseArea {
                // Where the finger took the handle, from its centre: the corner keeps that offset.
                property point grab
                anchors.fill: parent
                preventStealing: true
                onPressed: (mouse) => {
                    grab = Qt.point(mouse.x - width / 2, mouse.y - height / 2)
                    editor.survey.selectedCorner = handle.index
                }
                onPositionChanged: (mouse) => {
                    const p = editor.map.mapFromItem(handle, mouse.x - grab.x, mouse.y - grab.y)
                    const c = editor.map.coordinateAt(p)
                    editor.survey.moveCorner(handle.index, c.latitude, c.longitude)
                }
            }
        }
    }
}
