import QtQuick
import Zeltrin

// A card's heading: subheadline, semibold, secondary.
Text {
    color: Theme.secondaryText
    font.family: Theme.fontFamily
    font.pixelSize: Theme.subheadline
    font.weight: Font.DemiBold
    Accessible.role: Accessible.Heading
}
