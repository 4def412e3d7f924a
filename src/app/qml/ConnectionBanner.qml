import QtQuick
import QtQuick.Layouts
import Zeltrin

// The drone link at a glance, above every tab: state dot and text, and while connected the
// battery and altitude on the right. Below it, while the aircraft goes home by itself, why.
Item {
    id: banner
    property alias model: bannerModel
    implicitHeight: row.implicitHeight + 12 + returnStrip.implicitHeight

    ConnectionBannerModel {
        id: bannerModel
        drone: App.droneManager
    }

    // Ultra-thin material: the surface colour, mostly opaque, over whatever lies below.
    Rectangle {
        anchors.fill: parent
        color: Theme.alpha(Theme.themeSurface, 0.7)
    }

    ReturnHomeStrip {
        id: returnStrip
        objectName: "autoReturnBanner"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: implicitHeight
        text: bannerModel.returnText
    }

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: implicitHeight + 12
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 8

        Rectangle {
            Layout.preferredWidth: 8
            Layout.preferredHeight: 8
            radius: 4
            color: bannerModel.stateColor
        }
        Text {
            text: bannerModel.stateText
            color: bannerModel.stateColor
            font.family: Theme.fontFamily
            font.pixelSize: 11
            font.weight: Font.DemiBold
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Item { Layout.fillWidth: true }
        RowLayout {
            visible: bannerModel.showsTelemetry
            spacing: 10
            Row {
                spacing: 3
                Icon { name: "battery.75"; size: 13; color: Theme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                Text {
                    text: bannerModel.batteryText
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
            Row {
                spacing: 3
                Icon { name: "arrow.up"; size: 13; color: Theme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                Text {
                    text: bannerModel.altitudeText
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
        }
    }
}
