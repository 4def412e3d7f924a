list(APPEND ZELTRIN_SOURCES
    ui/Palette.h ui/Palette.cpp
    ui/Theme.h ui/Theme.cpp
    ui/Icons.h ui/Icons.cpp
    ui/NumberFormat.h ui/NumberFormat.cpp
    ui/Fmt.h ui/Fmt.cpp
    ui/Keyboard.h ui/Keyboard.cpp
    ui/Ownership.h ui/Ownership.cpp
    ui/QmlSetup.h ui/QmlSetup.cpp
    ui/BundledImageProvider.h ui/BundledImageProvider.cpp
    ui/FrameWatch.h ui/FrameWatch.cpp
    ui/LineChart.h ui/LineChart.cpp
)
list(APPEND ZELTRIN_QML
    ui/qml/ZeltrinCard.qml
    ui/qml/ButtonBase.qml
    ui/qml/ZScrollIndicator.qml
    ui/qml/GoldButtonStyle.qml
    ui/qml/GhostButtonStyle.qml
    ui/qml/StatusBadge.qml
    ui/qml/Icon.qml
    ui/qml/UiKitGallery.qml
    ui/qml/BarButton.qml
    ui/qml/ZPage.qml
    ui/qml/NavigationContainer.qml
    ui/qml/ModalSheet.qml
    ui/qml/ConfirmationDialog.qml
    ui/qml/ZSlider.qml
    ui/qml/ZToggle.qml
    ui/qml/SegmentedPicker.qml
    ui/qml/WheelPicker.qml
    ui/qml/Spinner.qml
    ui/qml/TouchTarget.qml
)
