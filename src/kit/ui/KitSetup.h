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

// For every engine that loads the kit's QML: registers its types and makes it importable, and
// adds the bundled image provider. Also tunes the scene graph (below) for the windows that follow.
void setupKitEngine(QQmlEngine &engine);

// Once per process, before the first window: lets the scene graph merge geometry nodes of up
// to 4,096 vertices into shared batches (Qt's default is 1,024; a run of the map's flown track
// holds 2,048). Drawn unmerged on OpenGL, the map's larger nodes kept being uploaded into
// buffers of their own as the track grew, and the heap grew with them over a long flight.
// Left alone when the variable is already set.
void tuneSceneGraph();

} // namespace zeltrin
