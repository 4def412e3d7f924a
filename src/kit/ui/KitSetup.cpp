#include "KitSetup.h"

#include "BundledImageProvider.h"

#include <QDirIterator>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlEngine>

#include <mutex>
#include <system_error>

void qml_register_types_Zeltrin_Kit();

namespace zeltrin {

namespace {

// The font database's functions are thread-safe, so this may run on any thread.
void registerBundledFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // All bundled faces, icons included, before any text exists: adding a font later makes
        // every window drop its font cache and lay out all of its text again.
        QDirIterator it(QStringLiteral(":/fonts"), {QStringLiteral("Zeltrin*")}, QDir::Files);
        while (it.hasNext())
            QFontDatabase::addApplicationFont(it.next());
        // Reads the system's fonts now rather than at the first text laid out.
        QFontDatabase::families();
    });
}

} // namespace

void setupApplicationLook()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerBundledFonts();
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setPixelSize(17);
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
    // The controls style (Basic) is set in :/qtquickcontrols2.conf rather than through
    // QQuickStyle, so the controls libraries load only when a screen first uses them.
}

ApplicationLookSetup::ApplicationLookSetup()
{
    try {
        m_fonts = std::async(std::launch::async, registerBundledFonts);
    } catch (const std::system_error &) {
        // No thread to be had: finish() does it all on this one.
    }
}

ApplicationLookSetup::~ApplicationLookSetup()
{
    if (m_fonts.valid())
        m_fonts.wait();
}

void ApplicationLookSetup::finish()
{
    if (m_fonts.valid()) {
        try {
            m_fonts.get();
        } catch (const std::system_error &) {
            // The registration did not run to its end there; it runs here instead.
        }
    }
    setupApplicationLook();
}

QString iconFontFamily()
{
    return QStringLiteral(ZELTRIN_ICON_FAMILY);
}

void tuneSceneGraph()
{
    static const char kVertexThreshold[] = "QSG_RENDERER_BATCH_VERTEX_THRESHOLD";
    if (!qEnvironmentVariableIsSet(kVertexThreshold))
        qputenv(kVertexThreshold, "4096");
}

void setupKitEngine(QQmlEngine &engine)
{
    tuneSceneGraph();
    static bool registered = false;
    if (!registered) {
        qml_register_types_Zeltrin_Kit();
        registered = true;
    }
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("zeltrin"), new BundledImageProvider); // the engine owns it
}

} // namespace zeltrin
