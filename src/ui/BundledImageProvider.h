#pragma once

#include <QQuickImageProvider>

// "image://zeltrin/<path>" serves the PNG ":/Zeltrin/<path>.png" bundled with the app, choosing
// "<path>@2x.png" on dense screens when one exists ("?dpr=2" in the id, from the caller).
//
// Reading through a plain Image source lets the image reader load every image-format plugin
// (and the SVG and JPEG libraries behind them) to ask whether one of them wants PNG; these files
// are known PNGs, so the reader is told so and asks nobody.
class BundledImageProvider : public QQuickImageProvider
{
public:
    BundledImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The resource file for an id, or an empty string for an id that leaves the bundle.
    static QString resourcePath(const QString &id);
};
