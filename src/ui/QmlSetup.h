#pragma once

#include <QString>

class QQmlEngine;

namespace zeltrin {

// Once per process, before any window: the bundled text faces and the default font.
void setupApplicationLook();

// The bundled icon font's family, registered with the font database on the first call.
QString iconFontFamily();

// For every engine that loads our QML: registers the module's types and makes it importable.
void setupEngine(QQmlEngine &engine);

} // namespace zeltrin
