pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Names the plan on the map for the library ("Save…") or a saved plan anew ("Rename"): what is
// being named, the name, what is wrong with it, and the action. The field has the focus from
// the start, its text selected, so typing replaces a suggested name.
ZPage {
    id: page
    required property PlanNameForm form
    // How much of this page's bottom the on-screen keyboard covers (its sheet tells).
    property real keyboardOverlap: 0
    readonly property alias field: field
    signal cancel()

    title: form.title
    backgroundColor: Theme.themeBackground
    leadingItems: [
        SheetTextButton {
            objectName: "planNameCancel"
            text: "Cancel"
            onClicked: page.cancel()
        }
    ]

    Component.onCompleted: {
        field.forceActiveFocus()
        field.selectAll()
    }

    // Scrolls where the sheet is short (a phone on its side) or the keyboard covers it.
    Flickable {
        id: scroller
        anchors.fill: parent
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        contentWidth: width
        contentHeight: column.implicitHeight + 32 + Math.min(height, page.keyboardOverlap)

        ColumnLayout {
            id: column
            x: (scroller.width - width) / 2
            y: 16
            width: Math.min(scroller.width - 32, 560)
            spacing: 12

            ZeltrinCard {
                Layout.fillWidth: true
                padding: 12
                contentItem: RowLayout {
                    spacing: 12
                    Rectangle {
                        Layout.preferredWidth: 52
                        Layout.preferredHeight: 52
                        radius: 8
                        color: Theme.themeSurfaceRaised
                        PlanOutlineItem {
                            anchors.fill: parent
                            anchors.margins: 6
                            points: page.form.outline
                            color: Theme.themeGold
                        }
                    }
                    Text {
                        objectName: "planNameSummary"
                        Layout.fillWidth: true
                        text: page.form.summary
                        color: Theme.secondaryText
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.subheadline
                        wrapMode: Text.Wrap
                    }
                }
            }

            Text {
                Layout.topMargin: 8
                Layout.leftMargin: 16
                text: "NAME"
                color: Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: 13
            }
            ZeltrinTextField {
                id: field
                objectName: "planNameField"
                Layout.fillWidth: true
                Layout.topMargin: -4
                placeholder: "Plan name"
                text: page.form.text
                onTextEdited: page.form.text = text
                inputMethodHints: Qt.ImhNoPredictiveText
                Keys.onReturnPressed: page.form.submit()
                Keys.onEnterPressed: page.form.submit()
                EnterKey.type: Qt.EnterKeyDone
            }
            Text {
                objectName: "planNameProblem"
                visible: text !== ""
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                text: page.form.problem
                color: Theme.platformRed
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
                wrapMode: Text.Wrap
            }
            GoldButtonStyle {
                objectName: "planNameSubmit"
                Layout.fillWidth: true
                Layout.topMargin: 8
                text: page.form.actionText
                enabled: page.form.canSubmit
                opacity: enabled ? 1.0 : 0.5
                onClicked: page.form.submit()
            }
        }
    }

    ConfirmationDialog {
        objectName: "replacePlanConfirm"
        presented: page.form.replacePending
        title: page.form.replaceTitle
        message: "A saved plan has this name. It will be replaced by the plan on the map."
        destructiveText: "Replace"
        onDestructiveTriggered: page.form.confirmReplace()
        onDismissed: page.form.cancelReplace()
    }
}
