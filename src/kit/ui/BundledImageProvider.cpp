#include "BundledImageProvider.h"

#include <QFile>
#include <QResource>
#include <QtEndian>

#include <cstring>

namespace {
constexpr qsizetype kHeaderSize = 16;
} // namespace

// The bundle's raw form (written at build time by zeltrin-pack-image): "ZARGB", version 1, two
// zero bytes, width and height as 32-bit little-endian numbers, then premultiplied ARGB32 pixels
// as little-endian words. Anything that does not match gives a null image.
QImage BundledImageProvider::fromRaw(const uchar *data, qint64 size)
{
    if (!data || size < kHeaderSize || std::memcmp(data, "ZARGB\x01\0\0", 8) != 0)
        return {};
    const quint32 width = qFromLittleEndian<quint32>(data + 8);
    const quint32 height = qFromLittleEndian<quint32>(data + 12);
    constexpr quint32 kMaxSide = 1 << 14;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide
        || qint64(width) * qint64(height) * 4 != size - kHeaderSize)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    const uchar *pixels = data + kHeaderSize;
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
        const uchar *src = pixels + qsizetype(y) * width * 4;
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            std::memcpy(row, src, size_t(width) * 4);
        else
            for (quint32 x = 0; x < width; ++x)
                row[x] = qFromLittleEndian<quint32>(src + x * 4);
    }
    return image;
}

namespace {

QImage readRaw(const QString &file)
{
    const QResource resource(file);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return BundledImageProvider::fromRaw(resource.data(), resource.size());
    // Compressed or not a resource: read it whole.
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    return BundledImageProvider::fromRaw(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
}

} // namespace

QString BundledImageProvider::resourcePath(const QString &id)
{
    QString path = id.section(QLatin1Char('?'), 0, 0);
    const QString query = id.section(QLatin1Char('?'), 1);
    if (path.isEmpty() || path.contains(QLatin1String("..")) || path.startsWith(QLatin1Char('/')))
        return {};
    const QString base = QStringLiteral(":/Zeltrin/") + path;
    if (query == QLatin1String("dpr=2") && QFile::exists(base + QStringLiteral("@2x.argb")))
        return base + QStringLiteral("@2x.argb");
    return base + QStringLiteral(".argb");
}

QImage BundledImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QImage image;
    const QString file = resourcePath(id);
    if (!file.isEmpty())
        image = readRaw(file);
    if (!image.isNull() && requestedSize.isValid() && !requestedSize.isEmpty())
        image = image.scaled(requestedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}
