list(APPEND ZELTRIN_SOURCES
    screens/settings/SettingsModel.h screens/settings/SettingsModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/settings/SettingsView.qml
    screens/settings/OfflineMapsSection.qml
    screens/settings/ElevationSection.qml
)
