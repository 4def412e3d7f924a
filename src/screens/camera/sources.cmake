list(APPEND ZELTRIN_SOURCES
    screens/camera/CameraSettings.h screens/camera/CameraSettings.cpp
    screens/camera/CameraModel.h screens/camera/CameraModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/camera/CameraView.qml
    screens/camera/CameraSlider.qml
    screens/camera/AdvancedCameraControlsSheet.qml
    screens/camera/FocusModeCard.qml
    screens/camera/ColorProfileCard.qml
    screens/camera/AdvancedCameraSlider.qml
)
