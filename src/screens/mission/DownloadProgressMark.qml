import QtQuick
import QtQuick.Shapes
import Zeltrin

// A small ring on the Mission screen while a map area downloads behind a hidden card: it fills
// clockwise as the tiles come in, shows a pause sign while paused, and goes when the download
// ends. A tap brings the card back.
Item {
    id: mark
    property OfflineMaps maps: null
    // While the card itself is up, the mark has nothing to add.
    property bool hidden: false
    signal activated()

    readonly property real progress: maps ? Math.max(0, Math.min(1, maps.downloadProgress)) : 0
    readonly property bool paused: maps !== null && maps.downloadPaused

    visible: !hidden && maps !== null && maps.downloadActive
    implicitWidth: 44
    implicitHeight: 44
    opacity: tap.pressed ? 0.35 : 1
    Accessible.role: Accessible.Button
    Accessible.name: maps ? "Map download, " + Math.floor(progress * 100) + "%" + (paused ? ", paused" : "") : ""
    Accessible.onPressAction: mark.activated()

    Shape {
        id: ring
        anchors.centerIn: parent
        width: 24
        height: 24
        // Smooth edges where the scene graph draws with the GPU.
        layer.enabled: true
        layer.samples: 4
        readonly property real r: 10.5
        ShapePath {
            fillColor: "transparent"
            strokeColor: Theme.alpha("white", 0.25)
            strokeWidth: 2.5
            PathAngleArc { centerX: 12; centerY: 12; radiusX: ring.r; radiusY: ring.r; startAngle: 0; sweepAngle: 360 }
        }
        ShapePath {
            fillColor: "transparent"
            strokeColor: Theme.themeGold
            strokeWidth: 2.5
            capStyle: ShapePath.RoundCap
            PathAngleArc {
                centerX: 12; centerY: 12; radiusX: ring.r; radiusY: ring.r
                startAngle: -90
                sweepAngle: 360 * mark.progress
            }
        }
        // An arrow down while the tiles come in, two bars while paused.
        ShapePath {
            fillColor: "transparent"
            strokeColor: mark.paused ? "transparent" : Theme.themeGold
            strokeWidth: 2
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin
            startX: 12; startY: 7
            PathLine { x: 12; y: 16.5 }
            PathMove { x: 8.5; y: 13 }
            PathLine { x: 12; y: 16.5 }
            PathLine { x: 15.5; y: 13 }
        }
        ShapePath {
            fillColor: "transparent"
            strokeColor: mark.paused ? Theme.themeGold : "transparent"
            strokeWidth: 2
            capStyle: ShapePath.RoundCap
            startX: 10; startY: 8.5
            PathLine { x: 10; y: 15.5 }
            PathMove { x: 14; y: 8.5 }
            PathLine { x: 14; y: 15.5 }
        }
    }
    TapHandler {
        id: tap
        onTapped: mark.activated()
    }
}
