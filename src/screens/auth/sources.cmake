list(APPEND ZELTRIN_SOURCES
    screens/auth/LoginModel.h screens/auth/LoginModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/auth/ZeltrinTextField.qml
    screens/auth/AuthGateView.qml
    screens/auth/LoginView.qml
    screens/auth/LoginSheet.qml
)
