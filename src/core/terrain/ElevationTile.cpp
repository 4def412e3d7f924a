#include "ElevationTile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace zeltrin::terrain {

namespace {

constexpr double kOffset = 32768.0;
// The largest Terrarium value: 0xFFFFFF / 256.
constexpr double kTop = 65536.0 - 1.0 / 256.0;

bool refuse(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool ElevationTile::isAllVoid() const
{
    return std::all_of(heights.begin(), heights.end(), [](float h) { return std::isnan(h); });
}

QByteArray encodeTerrarium(const ElevationTile &tile)
{
    QImage image(ElevationTile::kSize, ElevationTile::kSize, QImage::Format_ARGB32);
    for (int row = 0; row < ElevationTile::kSize; ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int col = 0; col < ElevationTile::kSize; ++col) {
            const double v = double(tile.at(col, row)) + kOffset;
            if (!(v >= 0.0 && v <= kTop)) { // NaN fails both
                line[col] = qRgba(0, 0, 0, 0);
                continue;
            }
            const auto q = quint32(std::lround(v * 256.0));
            line[col] = qRgba(int(q >> 16), int((q >> 8) & 0xFF), int(q & 0xFF), 255);
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

std::optional<ElevationTile> decodeTerrarium(const QByteArray &png, QString *error)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    // PNG only, and the size checked before any pixel is decoded: a forged header must not make
    // us allocate a huge image.
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead()) {
        refuse(error, QStringLiteral("Not an elevation tile: not a PNG image"));
        return std::nullopt;
    }
    const QSize size = reader.size();
    if (size != QSize(ElevationTile::kSize, ElevationTile::kSize)) {
        refuse(error,
               QStringLiteral("Not an elevation tile: %1×%2 pixels, not 256×256").arg(size.width()).arg(size.height()));
        return std::nullopt;
    }
    QImage image;
    if (!reader.read(&image) || image.size() != size) {
        refuse(error, QStringLiteral("The elevation tile is damaged: %1").arg(reader.errorString()));
        return std::nullopt;
    }
    // Straight (not premultiplied) alpha keeps R, G and B as written.
    image = image.convertToFormat(QImage::Format_ARGB32);
    ElevationTile tile;
    for (int row = 0; row < ElevationTile::kSize; ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        for (int col = 0; col < ElevationTile::kSize; ++col) {
            const QRgb p = line[col];
            if (qAlpha(p) == 0)
                continue; // void stays NaN
            tile.set(col, row, float(qRed(p) * 256.0 + qGreen(p) + qBlue(p) / 256.0 - kOffset));
        }
    }
    return tile;
}

} // namespace zeltrin::terrain
