#include "QmlSetup.h"

#include <QQmlEngine>

void qml_register_types_Zeltrin();

namespace zeltrin {

void setupEngine(QQmlEngine &engine)
{
    setupKitEngine(engine);
    static bool registered = false;
    if (!registered) {
        qml_register_types_Zeltrin();
        registered = true;
    }
}

} // namespace zeltrin
