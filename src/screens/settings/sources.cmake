list(APPEND ZELTRIN_SOURCES
    screens/settings/SettingsModel.h screens/settings/SettingsModel.cpp
)
