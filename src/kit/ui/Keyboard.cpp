#include "Keyboard.h"

#include <QGuiApplication>
#include <QInputMethod>

Keyboard::Keyboard()
{
    QInputMethod *im = QGuiApplication::inputMethod();
    connect(im, &QInputMethod::keyboardRectangleChanged, this, &Keyboard::areaChanged);
    connect(im, &QInputMethod::visibleChanged, this, &Keyboard::areaChanged);
}

Keyboard *Keyboard::instance()
{
    static Keyboard *keyboard = new Keyboard; // lives as long as the application's input method
    return keyboard;
}

Keyboard *Keyboard::create(QQmlEngine *, QJSEngine *)
{
    Keyboard *k = instance();
    QJSEngine::setObjectOwnership(k, QJSEngine::CppOwnership);
    return k;
}

QRectF Keyboard::area() const
{
    if (m_simulated)
        return *m_simulated;
    const QInputMethod *im = QGuiApplication::inputMethod();
    return im->isVisible() ? im->keyboardRectangle() : QRectF();
}

void Keyboard::simulate(std::optional<QRectF> area)
{
    m_simulated = area;
    Q_EMIT areaChanged();
}
