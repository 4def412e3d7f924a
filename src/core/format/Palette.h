#pragma once

#include <QColor>
#include <QStringView>

namespace zeltrin {

// Never fails: malformed text still yields an opaque colour (see Palette.cpp for the reading rules).
QColor colorFromHex(QStringView text);

// The eight theme colours, built once on first use and shared for the life of the process.
struct Palette {
    QColor themeBackground;
    QColor themeSurface;
    QColor themeSurfaceRaised;
    QColor themeGold;
    QColor themeBlue;
    QColor themeRed;
    QColor themeGreen;
    QColor themeGrey;
};

const Palette &palette();

} // namespace zeltrin
