#pragma once

#include "KitSetup.h"

class QQmlEngine;

namespace zeltrin {

// For every engine that loads the app's QML: the kit's set-up (fonts' family, image provider,
// scene graph tuning), then the app module's types, importable as "Zeltrin".
void setupEngine(QQmlEngine &engine);

} // namespace zeltrin
