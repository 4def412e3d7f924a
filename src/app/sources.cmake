list(APPEND ZELTRIN_SOURCES
    app/AppTab.h app/AppTab.cpp
    app/AppState.h app/AppState.cpp
    app/ZeltrinPilotApp.h app/ZeltrinPilotApp.cpp
)
list(APPEND ZELTRIN_QML
    app/qml/Main.qml
    app/qml/AppWindowContent.qml
)
