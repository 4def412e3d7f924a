import QtQuick
import Zeltrin

UiKitGallery {
    property int settleMs: 500
}
