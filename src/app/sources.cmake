list(APPEND ZELTRIN_SOURCES
    app/AppTab.h app/AppTab.cpp
    app/AppState.h app/AppState.cpp
    app/ZeltrinPilotApp.h app/ZeltrinPilotApp.cpp
    app/ConnectionBannerModel.h app/ConnectionBannerModel.cpp
    app/MainTabModel.h app/MainTabModel.cpp
    app/QmlSetup.h app/QmlSetup.cpp
    app/AppForeignTypes.h
)
list(APPEND ZELTRIN_QML
    app/qml/Main.qml
    app/qml/ConnectionBanner.qml
    app/qml/ReturnHomeStrip.qml
    app/qml/MainTabView.qml
    app/qml/SplashView.qml
    app/qml/RootView.qml
)
