#include "ElevationTile.h"

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

// One row of 8-bit RGBA into heights: alpha 0 is a void and stays NaN.
void convertRow(const quint8 *pixels, float *heights)
{
    for (int i = 0; i < ElevationTile::kSize; ++i) {
        const quint8 *p = pixels + size_t(i) * 4;
        if (p[3] != 0)
            // 24 bits fit a float exactly, and so does each step here.
            heights[i] = float((quint32(p[0]) << 16) | (quint32(p[1]) << 8) | p[2]) * (1.0f / 256.0f) - 32768.0f;
    }
}

// libpng leaves by longjmp: no C++ object is made after setjmp here, the tile is the caller's.
// Rows are read one at a time into a row on the stack (no image-sized buffer to fault in);
// only an interlaced file, whose rows come in passes, needs the whole image.
bool readTerrarium(const QByteArray &data, ElevationTile &tile, QString *why)
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
    constexpr int n = ElevationTile::kSize;
    png_bytep volatile whole = nullptr;
    png_uint_32 width = 0, height = 0;
    if (setjmp(png_jmpbuf(png))) {
        png_free(png, whole);
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
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(n) * 4)
        png_error(png, "unexpected pixel layout");
    if (passes == 1) {
        png_byte row[n * 4];
        for (int r = 0; r < n; ++r) {
            png_read_row(png, row, nullptr);
            convertRow(row, tile.heights.data() + size_t(r) * n);
        }
    } else {
        whole = static_cast<png_bytep>(png_malloc(png, size_t(n) * n * 4));
        png_bytep rows[n];
        for (int r = 0; r < n; ++r)
            rows[r] = whole + size_t(r) * n * 4;
        png_read_image(png, rows);
        for (int r = 0; r < n; ++r)
            convertRow(rows[r], tile.heights.data() + size_t(r) * n);
        png_free(png, whole);
        whole = nullptr;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool ElevationTile::isAllVoid() const
{
    return std::all_of(heights.begin(), heights.end(), [](float h) { return std::isnan(h); });
}

namespace {
void appendBytes(png_structp png, png_bytep data, size_t count)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), qsizetype(count));
}
void flushNothing(png_structp) {}

// libpng leaves by longjmp: the rows and the output are the caller's.
bool writePng(const std::vector<quint8> &pixels, bool alpha, QByteArray *out)
{
    constexpr int n = ElevationTile::kSize;
    QString detail;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &detail, failed, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_IHDR(png, info, n, n, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Decoding speed first: a tile read from the store must decode well inside a millisecond.
    // "Up" and "sub" undo in one add a byte; a high compression level leaves fewer, longer
    // matches to inflate.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP | PNG_FILTER_SUB);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    const size_t stride = size_t(n) * (alpha ? 4 : 3);
    for (int r = 0; r < n; ++r)
        png_write_row(png, pixels.data() + size_t(r) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

QByteArray encodeTerrarium(const ElevationTile &tile)
{
    // Without an alpha channel when every sample is known: a quarter less to inflate.
    const bool voids = std::any_of(tile.heights.begin(), tile.heights.end(), [](float h) {
        const double v = double(h) + kOffset;
        return !(v >= 0.0 && v <= kTop); // NaN fails both
    });
    const int channels = voids ? 4 : 3;
    std::vector<quint8> pixels(size_t(ElevationTile::kSize) * ElevationTile::kSize * size_t(channels));
    for (size_t i = 0; i < tile.heights.size(); ++i) {
        quint8 *p = pixels.data() + i * size_t(channels);
        const double v = double(tile.heights[i]) + kOffset;
        if (!(v >= 0.0 && v <= kTop))
            continue; // a void: all zero, alpha 0
        const auto q = quint32(std::lround(v * 256.0));
        p[0] = quint8(q >> 16);
        p[1] = quint8((q >> 8) & 0xFF);
        p[2] = quint8(q & 0xFF);
        if (voids)
            p[3] = 255;
    }
    QByteArray out;
    out.reserve(64 * 1024);
    if (!writePng(pixels, voids, &out))
        return {};
    return out;
}

std::optional<ElevationTile> decodeTerrarium(const QByteArray &png, QString *error)
{
    // libpng directly, not QImage: a tile read from the store must decode well inside a
    // millisecond, and QImage's reader took 1 ms. The header's size is checked before any row.
    ElevationTile tile;
    QString why;
    if (!readTerrarium(png, tile, &why)) {
        refuse(error, why);
        return std::nullopt;
    }
    return tile;
}

} // namespace zeltrin::terrain
