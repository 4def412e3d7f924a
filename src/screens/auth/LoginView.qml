import QtQuick
import QtQuick.Layouts
import Zeltrin

// The sign-in sheet: e-mail and password, the last error, and the sign-in button.
// Fields start empty each time the sheet is made.
ZPage {
    id: page
    signal cancel()
    property alias model: login

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

        ColumnLayout {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.leftMargin: 28
            anchors.rightMargin: 28
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
                    Layout.fillWidth: true
                    placeholder: "Email"
                    emailKeyboard: true
                    text: login.email
                    onTextEdited: login.email = text
                    focus: login.focused === 0
                    onActiveFocusChanged: if (activeFocus) login.focused = 0
                    Keys.onReturnPressed: login.submitEmail()
                    Keys.onEnterPressed: login.submitEmail()
                    EnterKey.type: Qt.EnterKeyNext
                }
                ZeltrinTextField {
                    id: passwordField
                    Layout.fillWidth: true
                    placeholder: "Password"
                    isSecure: true
                    text: login.password
                    onTextEdited: login.password = text
                    onActiveFocusChanged: if (activeFocus) login.focused = 1
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
