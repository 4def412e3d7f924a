#include "QmlSetup.h"

#include "BundledImageProvider.h"

#include <QDirIterator>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlEngine>

void qml_register_types_Zeltrin();

namespace zeltrin {

void setupApplicationLook()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // All bundled faces, icons included, before any text exists: adding a font later makes every
    // window drop its font cache and lay out all of its text again.
    QDirIterator it(QStringLiteral(":/fonts"), {QStringLiteral("Zeltrin*")}, QDir::Files);
    while (it.hasNext())
        QFontDatabase::addApplicationFont(it.next());
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setPixelSize(17);
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
    // The controls style (Basic) is set in :/qtquickcontrols2.conf rather than through
    // QQuickStyle, so the controls libraries load only when a screen first uses them.
}

QString iconFontFamily()
{
    return QStringLiteral(ZELTRIN_ICON_FAMILY);
}

void setupEngine(QQmlEngine &engine)
{
    static bool registered = false;
    if (!registered) {
        qml_register_types_Zeltrin();
        registered = true;
    }
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("zeltrin"), new BundledImageProvider); // the engine owns it
}

} // namespace zeltrin
