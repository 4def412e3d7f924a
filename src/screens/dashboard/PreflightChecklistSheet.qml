import QtQuick
import QtQuick.Layouts
import Zeltrin

// The checks before take-off, in the mode sheets' frame: the aircraft's items as its live
// values judge them, then the pilot's own. "Continue to Take Off" waits until every item passes.
FeatureSheetFrame {
    id: sheet
    required property PreflightChecklistModel checklist
    signal continueRequested()
    signal dismissRequested()

    icon: "airplane.departure"
    title: "Pre-Flight Checklist"
    description: "Every item must pass before take-off"
    descriptionInset: 16
    onDoneClicked: sheet.dismissRequested()

    FeatureSection {
        heading: "Aircraft"
        spacing: 10
        Repeater {
            model: sheet.checklist.items
            ChecklistRow {
                required property var modelData
                visible: !modelData.manual
                objectName: "checklist-" + modelData.key
                title: modelData.title
                detail: modelData.detail
                passed: modelData.passed
            }
        }
    }

    FeatureSection {
        heading: "Pilot"
        spacing: 10
        Repeater {
            model: sheet.checklist.items
            ChecklistRow {
                required property var modelData
                visible: modelData.manual
                objectName: "checklist-" + modelData.key
                title: modelData.title
                detail: modelData.detail
                passed: modelData.passed
                manual: true
                onToggled: sheet.checklist.setTicked(modelData.key, !modelData.passed)
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        Layout.bottomMargin: 32
        spacing: 8
        GoldButtonStyle {
            objectName: "checklistContinue"
            Layout.fillWidth: true
            text: "Continue to Take Off"
            iconName: "airplane.departure"
            enabled: sheet.checklist.allPassed
            opacity: enabled ? 1 : 0.5
            onClicked: sheet.continueRequested()
        }
        Text {
            objectName: "checklistOpen"
            Layout.alignment: Qt.AlignHCenter
            visible: text !== ""
            text: sheet.checklist.openText
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
    }
}
