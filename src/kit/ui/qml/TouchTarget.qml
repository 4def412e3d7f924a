import QtQuick

// A hit area at least 44 × 44, centred on its parent, for a control drawn smaller than a finger.
// The parent uses it as its containmentMask; the drawn look keeps its own size.
Item {
    readonly property real minimum: 44
    x: Math.min(0, (parent ? parent.width - minimum : 0) / 2)
    y: Math.min(0, (parent ? parent.height - minimum : 0) / 2)
    width: Math.max(parent ? parent.width : 0, minimum)
    height: Math.max(parent ? parent.height : 0, minimum)
}
