#include "ElevationTile.h"

#include <QBuffer>
#include <QImage>

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>

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

struct Source {
    const quint8 *at = nullptr;
    size_t left = 0;
};

void readBytes(png_structp png, png_bytep out, size_t count)
{
    auto *src = static_cast<Source *>(png_get_io_ptr(png));
    if (count > src->left)
        png_error(png, "the data ends early");
    std::memcpy(out, src->at, count);
    src->at += count;
    src->left -= count;
}

void failed(png_structp png, png_const_charp message)
{
    *static_cast<QString *>(png_get_error_ptr(png)) = QString::fromUtf8(message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// libpng leaves by longjmp: no C++ object here changes after setjmp, the rows are the caller's.
bool readRgba(const QByteArray &data, quint8 **rows, QString *why)
{
    if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.constData()), 0, 8) != 0) {
        *why = QStringLiteral("Not an elevation tile: not a PNG image");
        return false;
    }
    Source src{reinterpret_cast<const quint8 *>(data.constData()), size_t(data.size())};
    QString detail;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &detail, failed, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *why = QStringLiteral("The elevation tile could not be read: out of memory");
        return false;
    }
    png_uint_32 width = 0, height = 0;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        *why = QStringLiteral("The elevation tile is damaged: %1").arg(detail);
        return false;
    }
    png_set_read_fn(png, &src, readBytes);
#ifdef PNG_IGNORE_ADLER32
    // The store's own checks guard the bytes; the checksum costs a few per cent of the decode.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (width != ElevationTile::kSize || height != ElevationTile::kSize) {
        png_destroy_read_struct(&png, &info, nullptr);
        *why = QStringLiteral("Not an elevation tile: %1×%2 pixels, not 256×256").arg(width).arg(height);
        return false;
    }
    // Whatever the file's colour type, 8-bit RGBA out; no gamma or colour conversion, as the
    // channels are numbers, not colours.
    const int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    else if (!(type & PNG_COLOR_MASK_ALPHA))
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_expand(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(ElevationTile::kSize) * 4)
        png_error(png, "unexpected pixel layout");
    png_read_image(png, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
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
    // Read by libpng into a buffer sized before reading: the header's size is checked first,
    // so a forged one cannot make us allocate much. libpng directly, not QImage: a tile read
    // from the store must decode well inside a millisecond, and QImage's reader took 1 ms.
    constexpr int n = ElevationTile::kSize;
    std::vector<quint8> pixels(size_t(n) * n * 4);
    std::array<quint8 *, n> rows;
    for (int r = 0; r < n; ++r)
        rows[size_t(r)] = pixels.data() + size_t(r) * n * 4;
    QString why;
    if (!readRgba(png, rows.data(), &why)) {
        refuse(error, why);
        return std::nullopt;
    }
    ElevationTile tile;
    for (size_t i = 0; i < size_t(n) * n; ++i) {
        const quint8 *p = pixels.data() + i * 4;
        if (p[3] != 0) // alpha 0 is a void: stays NaN
            // 24 bits fit a float exactly, and so does each step here.
            tile.heights[i] = float((quint32(p[0]) << 16) | (quint32(p[1]) << 8) | p[2]) * (1.0f / 256.0f) - 32768.0f;
    }
    return tile;
}

} // namespace zeltrin::terrain
