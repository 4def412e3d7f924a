#include "Theme.h"

#include "Palette.h"

#include <cmath>

using zeltrin::palette;

Theme::Theme(QObject *parent) : QObject(parent) {}

QColor Theme::themeBackground() const { return palette().themeBackground; }
QColor Theme::themeSurface() const { return palette().themeSurface; }
QColor Theme::themeSurfaceRaised() const { return palette().themeSurfaceRaised; }
QColor Theme::themeGold() const { return palette().themeGold; }
QColor Theme::themeBlue() const { return palette().themeBlue; }
QColor Theme::themeRed() const { return palette().themeRed; }
QColor Theme::themeGreen() const { return palette().themeGreen; }
QColor Theme::themeGrey() const { return palette().themeGrey; }

QColor Theme::alpha(const QColor &c, double opacity) const
{
    QColor out = c;
    out.setAlphaF(std::isnan(opacity) ? 1.0f : float(qBound(0.0, opacity, 1.0)));
    return out;
}

QColor Theme::fromHex(const QString &text) const
{
    return zeltrin::colorFromHex(text);
}

void Theme::writeKeepingBinding(QObject *target, const QString &name, const QVariant &value) const
{
    if (target)
        target->setProperty(name.toUtf8().constData(), value);
}
