pragma ComponentBehavior: Bound

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
        // By position, so the rows stay while their values change (a tick, a live reading).
        Repeater {
            model: sheet.checklist.items.length
            ChecklistRow {
                required property int index
                readonly property var entry: sheet.checklist.items[index]
                visible: !entry.manual
                objectName: "checklist-" + entry.key
                title: entry.title
                detail: entry.detail
                passed: entry.passed
            }
        }
    }

    FeatureSection {
        heading: "Pilot"
        spacing: 10
        Repeater {
            model: sheet.checklist.items.length
            ChecklistRow {
                required property int index
                readonly property var entry: sheet.checklist.items[index]
                visible: entry.manual
                objectName: "checklist-" + entry.key
                title: entry.title
                detail: entry.detail
                passed: entry.passed
                manual: true
                onToggled: sheet.checklist.setTicked(entry.key, !entry.passed)
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
