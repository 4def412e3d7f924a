#pragma once

#include <QQuickImageProvider>

// "image://zeltrin/<path>" serves the image ":/Zeltrin/<path>.argb" bundled with the app, choosing
// "<path>@2x.argb" on dense screens when one exists ("?dpr=2" in the id, from the caller).
//
// The images are rendered at build time and stored as raw premultiplied pixels, uncompressed:
// showing one is a copy, with no decoder. Through a plain Image source, the image reader would
// also load every image-format plugin (and the SVG and JPEG libraries behind them) to ask which
// one handles the file.
class BundledImageProvider : public QQuickImageProvider
{
public:
    BundledImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The resource file for an id, or an empty string for an id that leaves the bundle.
    static QString resourcePath(const QString &id);
    // An image in the bundle's raw form, or a null image for bytes that are not one.
    static QImage fromRaw(const uchar *data, qint64 size);
};
