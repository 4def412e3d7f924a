import QtQuick
import QtQuick.Templates as T
import Zeltrin

// The themed text field: surface fill, radius 12, a 1-pt raised outline, 14 inset.
T.TextField {
    id: field
    property string placeholder: ""
    property bool isSecure: false
    property bool emailKeyboard: false

    implicitWidth: 280
    implicitHeight: contentHeight + topPadding + bottomPadding
    padding: 14
    color: "white"
    selectionColor: Theme.alpha(Theme.themeGold, 0.4)
    selectedTextColor: "white"
    placeholderText: placeholder
    placeholderTextColor: Theme.tertiaryText
    font.family: Theme.fontFamily
    font.pixelSize: Theme.body
    echoMode: isSecure ? TextInput.Password : TextInput.Normal
    passwordCharacter: "\u2022"
    // No autocorrection and no automatic capitals for plain fields; e-mail keyboard on request.
    inputMethodHints: isSecure ? Qt.ImhNone
                               : (Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                                  | (emailKeyboard ? Qt.ImhEmailCharactersOnly : Qt.ImhNone))
    verticalAlignment: TextInput.AlignVCenter
    Accessible.name: placeholder

    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: 12
            color: Theme.themeSurface
        }
        Rectangle {
            anchors.fill: parent
            anchors.margins: -0.5
            radius: 12.5
            color: "transparent"
            border.width: 1
            border.color: Theme.themeSurfaceRaised
        }
    }

    // T.TextField draws its placeholder only through the style; draw it here.
    Text {
        x: field.leftPadding
        y: field.topPadding
        width: field.width - field.leftPadding - field.rightPadding
        height: field.height - field.topPadding - field.bottomPadding
        text: field.placeholderText
        font: field.font
        color: field.placeholderTextColor
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        visible: !field.length && !field.preeditText
    }
}
