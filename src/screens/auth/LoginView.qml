import QtQuick
import QtQuick.Layouts
import Zeltrin

// The sign-in sheet: e-mail and password, the last error, and the sign-in button.
// Fields start empty each time the sheet is made.
ZPage {
    id: page
    signal cancel()
    property alias model: login
    property alias scroller: scroller
    // How much of this page's bottom the on-screen keyboard covers (its sheet tells).
    property real keyboardOverlap: 0

    title: ""
    leadingItems: [
        BarButton {
            text: "Cancel"
            onClicked: page.cancel()
        }
    ]

    LoginModel {
        id: login
        auth: App.authManager
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.themeBackground

        // Scrolls where the sheet is short (a phone on its side, an error shown), and keeps the
        // focused field above the on-screen keyboard.
        Flickable {
            id: scroller
            objectName: "loginScroller"
            anchors.fill: parent
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            contentWidth: width
            contentHeight: form.implicitHeight + 24 + keyboardOverlap

            // How much of this view the keyboard covers.
            readonly property real keyboardOverlap: Math.min(scroller.height, page.keyboardOverlap)
            function keepVisible(item) {
                if (!item)
                    return
                const y = item.mapToItem(form, 0, 0).y
                const bottom = y + item.height + 12
                const room = scroller.height - keyboardOverlap
                if (bottom > contentY + room)
                    contentY = Math.min(bottom - room, Math.max(0, contentHeight - height))
                else if (y - 12 < contentY)
                    contentY = Math.max(0, y - 12)
            }
            onKeyboardOverlapChanged: keepVisible(emailField.activeFocus ? emailField : passwordField.activeFocus ? passwordField : null)

            ColumnLayout {
                id: form
                x: 28
                width: scroller.width - 56
                spacing: 24

                Text {
                    Layout.topMargin: 8
                    text: "Morvane Account"
                    color: "white"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title2
                    font.bold: true
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 14
                    ZeltrinTextField {
                        id: emailField
                        objectName: "emailField"
                        Layout.fillWidth: true
                        placeholder: "Email"
                        emailKeyboard: true
                        text: login.email
                        onTextEdited: login.email = text
                        focus: login.focused === 0
                        onActiveFocusChanged: if (activeFocus) { login.focused = 0; scroller.keepVisible(emailField) }
                        Keys.onReturnPressed: login.submitEmail()
                        Keys.onEnterPressed: login.submitEmail()
                        EnterKey.type: Qt.EnterKeyNext
                    }
                    ZeltrinTextField {
                        id: passwordField
                        objectName: "passwordField"
                        Layout.fillWidth: true
                        placeholder: "Password"
                        isSecure: true
                        text: login.password
                        onTextEdited: login.password = text
                        onActiveFocusChanged: if (activeFocus) { login.focused = 1; scroller.keepVisible(passwordField) }
                        Keys.onReturnPressed: login.submitPassword()
                        Keys.onEnterPressed: login.submitPassword()
                        EnterKey.type: Qt.EnterKeyDone
                    }
                    Connections {
                        target: login
                        function onFocusedChanged() {
                            if (login.focused === 1)
                                passwordField.forceActiveFocus()
                            else if (login.focused === 0)
                                emailField.forceActiveFocus()
                        }
                    }
                }

                Text {
                    objectName: "loginError"
                    visible: login.hasError
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                    text: login.errorText
                    color: Theme.themeRed
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                    wrapMode: Text.WordWrap
                }

                GoldButtonStyle {
                    Layout.fillWidth: true
                    id: signIn
                    objectName: "signInButton"
                    text: login.isLoading ? "" : "Sign In"
                    enabled: login.canSignIn
                    opacity: enabled ? 1.0 : 0.5
                    Accessible.name: "Sign In"
                    onClicked: login.signIn()
                    Spinner {
                        anchors.centerIn: parent
                        visible: login.isLoading
                        color: Theme.themeBackground
                    }
                }

                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Don't have an account? Join MRV"
                    color: Theme.themeGold
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnote
                    Accessible.role: Accessible.Link
                    Accessible.name: text
                    Accessible.onPressAction: login.openJoinPage()
                    TapHandler { onTapped: login.openJoinPage() }
                    HoverHandler { cursorShape: Qt.PointingHandCursor }
                }
            }
        }
    }
}
