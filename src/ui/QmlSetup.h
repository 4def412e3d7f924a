#pragma once

class QQmlEngine;

namespace zeltrin {

// Once per process, before any window: bundled fonts, the default font, the Basic controls style.
void setupApplicationLook();

// For every engine that loads our QML: registers the module's types and makes it importable.
void setupEngine(QQmlEngine &engine);

} // namespace zeltrin
