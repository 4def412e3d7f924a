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
    // The text faces; the icon font is registered when an icon first asks for it (the sign-in
    // gate draws none).
    QDirIterator it(QStringLiteral(":/fonts"), {QStringLiteral("ZeltrinInter-*")}, QDir::Files);
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
    static const bool registered = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/ZeltrinIcons.ttf")) >= 0;
    Q_UNUSED(registered);
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
