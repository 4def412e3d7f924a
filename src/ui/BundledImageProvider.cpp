#include "BundledImageProvider.h"

#include <QFile>
#include <QImageReader>

QString BundledImageProvider::resourcePath(const QString &id)
{
    QString path = id.section(QLatin1Char('?'), 0, 0);
    const QString query = id.section(QLatin1Char('?'), 1);
    if (path.isEmpty() || path.contains(QLatin1String("..")) || path.startsWith(QLatin1Char('/')))
        return {};
    const QString base = QStringLiteral(":/Zeltrin/") + path;
    if (query == QLatin1String("dpr=2") && QFile::exists(base + QStringLiteral("@2x.png")))
        return base + QStringLiteral("@2x.png");
    return base + QStringLiteral(".png");
}

QImage BundledImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QImage image;
    const QString file = resourcePath(id);
    if (!file.isEmpty()) {
        QImageReader reader(file, "png");
        reader.setAutoDetectImageFormat(false);
        if (requestedSize.isValid() && !requestedSize.isEmpty())
            reader.setScaledSize(requestedSize);
        image = reader.read();
    }
    if (size)
        *size = image.size();
    return image;
}
