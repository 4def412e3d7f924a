#pragma once

#include <QString>

#include <future>

class QQmlEngine;

namespace zeltrin {

// Once per process, before any window: the bundled text faces and the default font.
void setupApplicationLook();

// The same for startup, in two halves: the constructor registers the fonts and reads the
// system's font list on a worker thread, while the caller builds its engine; finish() waits
// for it and sets the default font. Call finish() before any QML runs.
class ApplicationLookSetup
{
public:
    ApplicationLookSetup();
    ~ApplicationLookSetup();
    ApplicationLookSetup(const ApplicationLookSetup &) = delete;
    ApplicationLookSetup &operator=(const ApplicationLookSetup &) = delete;
    void finish();

private:
    std::future<void> m_fonts;
};

// The bundled icon font's family.
QString iconFontFamily();

// For every engine that loads our QML: registers the module's types and makes it importable.
void setupEngine(QQmlEngine &engine);

} // namespace zeltrin
