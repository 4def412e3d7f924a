#include "QmlSetup.h"

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
    QDirIterator it(QStringLiteral(":/fonts"), QDir::Files);
    while (it.hasNext())
        QFontDatabase::addApplicationFont(it.next());
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setPixelSize(17);
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
    // The controls style (Basic) is set in :/qtquickcontrols2.conf rather than through
    // QQuickStyle, so the controls libraries load only when a screen first uses them.
}

void setupEngine(QQmlEngine &engine)
{
    static bool registered = false;
    if (!registered) {
        qml_register_types_Zeltrin();
        registered = true;
    }
    engine.addImportPath(QStringLiteral("qrc:/"));
}

} // namespace zeltrin
