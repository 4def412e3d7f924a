import QtQuick
import Zeltrin.Kit

// A symbolic icon drawn from the bundled icon font (a cut of Material Icons).
Text {
    property string name: ""
    property real size: 17
    text: Icons.glyph(name)
    font.family: Icons.family
    font.pixelSize: size
    color: "white"
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
