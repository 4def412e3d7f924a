list(APPEND ZELTRIN_QML
    screens/auth/ZeltrinTextField.qml
)
