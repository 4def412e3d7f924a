#include "ElevationImport.h"

#include "ElevationTile.h"
#include "VerticalDatum.h"
#include "WebMercator.h"

#include <QFileInfo>

#include <cpl_error.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_utils.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace zeltrin::terrain {

namespace {

// A coordinate system PROJ can be trusted with. A file may name one EPSG system and describe
// another (a geocentric code on a geographic system, found by fuzzing, takes PROJ down), or put
// its raster on no Earth at all: refused, with the reason, before any transformation is made.
QString crsProblem(const char *wkt)
{
    OGRSpatialReferenceH file = OSRNewSpatialReference(wkt);
    if (!file)
        return QStringLiteral("The elevation model's coordinate system cannot be read");
    QString problem;
    OGRErr err = OGRERR_NONE;
    const double a = OSRGetSemiMajor(file, &err);
    const double inverseFlattening = OSRGetInvFlattening(file, nullptr);
    const char *authority = OSRGetAuthorityName(file, nullptr);
    const char *code = OSRGetAuthorityCode(file, nullptr);
    if (OSRIsGeocentric(file) || !(OSRIsGeographic(file) || OSRIsProjected(file))) {
        problem = QStringLiteral("The elevation model's coordinate system is not one of a map");
    } else if (err != OGRERR_NONE || !(a >= 6.3e6 && a <= 6.4e6)
               || !(inverseFlattening == 0 || (inverseFlattening >= 250 && inverseFlattening <= 350))) {
        problem = QStringLiteral("The elevation model's coordinate system is not on the Earth's ellipsoid");
    } else if (authority && code && QByteArray(authority).compare("EPSG", Qt::CaseInsensitive) == 0) {
        // The code must name a system of the same kind as the one described.
        OGRSpatialReferenceH named = OSRNewSpatialReference(nullptr);
        bool ok = false;
        const int epsg = QByteArray(code).toInt(&ok);
        if (!ok || OSRImportFromEPSG(named, epsg) != OGRERR_NONE || OSRIsGeocentric(named)
            || bool(OSRIsGeographic(named)) != bool(OSRIsGeographic(file))
            || bool(OSRIsProjected(named)) != bool(OSRIsProjected(file)))
            problem = QStringLiteral("The elevation model's coordinate system contradicts its EPSG code %1")
                          .arg(QString::fromLatin1(code).left(12));
        OSRDestroySpatialReference(named);
    }
    OSRDestroySpatialReference(file);
    return problem;
}

constexpr double kHalfWorld = 20037508.342789244;                             // metres, EPSG:3857
constexpr double kZoomZeroResolution = 2 * kHalfWorld / ElevationTile::kSize; // metres a pixel at zoom 0
constexpr int kMaxZoom = 16;
constexpr qint64 kMaxTiles = 16384; // a square of about 80 km at zoom 16
constexpr double kMaxSourcePixels = 1024.0 * 1024 * 1024;
constexpr int kMaxBands = 16;
constexpr double kMaxBlockBytes = 64.0 * 1024 * 1024;

// Holds GDAL's messages while it lives: the last failure's text, never on the console.
class CapturedErrors
{
public:
    CapturedErrors() { CPLPushErrorHandlerEx(&CapturedErrors::handle, this); }
    ~CapturedErrors() { CPLPopErrorHandler(); }
    QString last() const { return m_last.isEmpty() ? QStringLiteral("unknown reason") : m_last; }

private:
    static void CPL_STDCALL handle(CPLErr level, CPLErrorNum, const char *message)
    {
        auto *self = static_cast<CapturedErrors *>(CPLGetErrorHandlerUserData());
        if (self && level >= CE_Failure && message)
            self->m_last = QString::fromUtf8(message).left(300);
    }
    QString m_last;
};

struct Dataset {
    GDALDatasetH h = nullptr;
    ~Dataset()
    {
        if (h)
            GDALClose(h);
    }
};

ElevationImportResult refused(const QString &why)
{
    return {0, why, false};
}

} // namespace

ElevationImportResult importElevationModel(ElevationStore &store, const QString &path, const QString &name,
                                           const std::function<void(double)> &progress, const std::atomic<bool> *cancel)
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        GDALAllRegister();
        // GDAL's block cache defaults to a share of the device's memory; an import reads each
        // block about once, so a small cache costs nothing and keeps the app's footprint small.
        GDALSetCacheMax64(std::min<GIntBig>(GDALGetCacheMax64(), GIntBig(64) << 20));
    });
    CapturedErrors errors;
    if (!store.isOpen())
        return refused(QStringLiteral("The elevation data cannot be written: %1").arg(store.errorText()));

    // GeoTIFF only: the one format pilots bring, and the smallest surface for a hostile file.
    const char *const drivers[] = {"GTiff", nullptr};
    Dataset src;
    src.h = GDALOpenEx(path.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    if (!src.h)
        return refused(QStringLiteral("Not a GeoTIFF elevation model: %1").arg(errors.last()));
    if (GDALGetRasterCount(src.h) < 1)
        return refused(QStringLiteral("The file holds no elevation band"));
    const double width = GDALGetRasterXSize(src.h), height = GDALGetRasterYSize(src.h);
    if (width * height > kMaxSourcePixels)
        return refused(QStringLiteral("The elevation model is too large to import (%1×%2 samples)")
                           .arg(qint64(width))
                           .arg(qint64(height)));
    // GDAL reads a block of every band at once from a pixel-interleaved file: bound both, so a
    // forged header cannot make one read take gigabytes.
    const int bands = GDALGetRasterCount(src.h);
    if (bands > kMaxBands)
        return refused(QStringLiteral("The file holds %1 bands; an elevation model has one").arg(bands));
    int blockX = 0, blockY = 0;
    GDALRasterBandH first = GDALGetRasterBand(src.h, 1);
    GDALGetBlockSize(first, &blockX, &blockY);
    if (double(blockX) * blockY * GDALGetDataTypeSizeBytes(GDALGetRasterDataType(first)) * bands > kMaxBlockBytes)
        return refused(QStringLiteral("The elevation model is too large to import (blocks of %1×%2 samples)")
                           .arg(blockX)
                           .arg(blockY));
    // The first band alone, as a lazy VRT: the warper would otherwise carry every band along,
    // and a hostile file can declare thousands.
    const char *firstBand[] = {"-of", "VRT", "-b", "1", nullptr};
    GDALTranslateOptions *bandOptions = GDALTranslateOptionsNew(const_cast<char **>(firstBand), nullptr);
    Dataset one;
    one.h = bandOptions ? GDALTranslate("", src.h, bandOptions, nullptr) : nullptr;
    GDALTranslateOptionsFree(bandOptions);
    if (!one.h)
        return refused(QStringLiteral("The elevation band could not be read: %1").arg(errors.last()));

    // The warper copies raw values: the band's scale, offset and unit are applied here.
    GDALRasterBandH band = GDALGetRasterBand(one.h, 1);
    int hasScale = 0, hasOffset = 0;
    double scale = GDALGetRasterScale(band, &hasScale), offset = GDALGetRasterOffset(band, &hasOffset);
    scale = hasScale && std::isfinite(scale) && scale != 0 ? scale : 1.0;
    offset = hasOffset && std::isfinite(offset) ? offset : 0.0;
    const QString unit = QString::fromUtf8(GDALGetRasterUnitType(band)).trimmed().toLower();
    if (unit == QLatin1String("ft") || unit == QLatin1String("foot") || unit == QLatin1String("feet")) {
        scale *= 0.3048;
        offset *= 0.3048;
    } else if (unit == QLatin1String("us-ft") || unit == QLatin1String("us survey foot")) {
        scale *= 1200.0 / 3937.0;
        offset *= 1200.0 / 3937.0;
    } else if (!unit.isEmpty() && unit != QLatin1String("m") && unit != QLatin1String("metre")
               && unit != QLatin1String("meter") && unit != QLatin1String("metres")
               && unit != QLatin1String("meters")) {
        return refused(
            QStringLiteral("The elevation model's heights are in \"%1\", not metres or feet").arg(unit.left(40)));
    }
    double gt[6] = {};
    const char *wkt = GDALGetProjectionRef(one.h);
    if (!wkt || !*wkt || GDALGetGeoTransform(one.h, gt) != CE_None)
        return refused(QStringLiteral("The elevation model has no georeferencing: its place on Earth is unknown"));

    if (const QString problem = crsProblem(wkt); !problem.isEmpty())
        return refused(problem);

    // Where it lands on the map, and how fine: GDAL's own suggestion for the Mercator grid.
    char *toMercator[] = {const_cast<char *>("DST_SRS=EPSG:3857"), nullptr};
    void *transformer = GDALCreateGenImgProjTransformer2(one.h, nullptr, toMercator);
    if (!transformer)
        return refused(QStringLiteral("The elevation model cannot be placed on the map: %1").arg(errors.last()));
    double mgt[6] = {};
    double extent[4] = {};
    int pw = 0, ph = 0;
    const CPLErr suggested = GDALSuggestedWarpOutput2(one.h, GDALGenImgProjTransform, transformer, mgt, &pw, &ph,
                                                      extent, 0);
    GDALDestroyGenImgProjTransformer(transformer);
    if (suggested != CE_None || !(mgt[1] > 0) || !std::isfinite(mgt[1]))
        return refused(QStringLiteral("The elevation model cannot be placed on the map: %1").arg(errors.last()));
    const double minX = std::max(extent[0], -kHalfWorld), maxX = std::min(extent[2], kHalfWorld);
    const double minY = std::max(extent[1], -kHalfWorld), maxY = std::min(extent[3], kHalfWorld);
    if (!(minX < maxX && minY < maxY))
        return refused(QStringLiteral("The elevation model lies outside the map"));

    const int zoom = std::clamp(int(std::lround(std::log2(kZoomZeroResolution / mgt[1]))), 0, kMaxZoom);
    const double tiles = double(1 << zoom);
    const auto tileAt = [&](double metres) { return (metres + kHalfWorld) / (2 * kHalfWorld) * tiles; };
    const int x0 = std::clamp(int(std::floor(tileAt(minX))), 0, (1 << zoom) - 1);
    const int x1 = std::clamp(int(std::ceil(tileAt(maxX))) - 1, x0, (1 << zoom) - 1);
    // Rows count from the north.
    const int y0 = std::clamp(int(std::floor(tiles - tileAt(maxY))), 0, (1 << zoom) - 1);
    const int y1 = std::clamp(int(std::ceil(tiles - tileAt(minY))) - 1, y0, (1 << zoom) - 1);
    const qint64 columns = x1 - x0 + 1, rows = y1 - y0 + 1;
    if (columns * rows > kMaxTiles)
        return refused(QStringLiteral("The elevation model is too large to import (%1 tiles at zoom %2)")
                           .arg(columns * rows)
                           .arg(zoom));

    // One warp, straight onto the tiles' pixel grid, so nothing is resampled twice. GDAL's warper
    // runs lazily as each tile is read; the alpha band marks nodata and the outside.
    const double tileMetres = 2 * kHalfWorld / tiles;
    const QByteArray te[4] = {
        QByteArray::number(-kHalfWorld + x0 * tileMetres, 'f', 6),
        QByteArray::number(kHalfWorld - (y1 + 1) * tileMetres, 'f', 6),
        QByteArray::number(-kHalfWorld + (x1 + 1) * tileMetres, 'f', 6),
        QByteArray::number(kHalfWorld - y0 * tileMetres, 'f', 6),
    };
    const QByteArray ts[2] = {QByteArray::number(columns * ElevationTile::kSize),
                              QByteArray::number(rows * ElevationTile::kSize)};
    const char *argv[] = {"-of",
                          "VRT",
                          "-t_srs",
                          "EPSG:3857",
                          "-te",
                          te[0].constData(),
                          te[1].constData(),
                          te[2].constData(),
                          te[3].constData(),
                          "-ts",
                          ts[0].constData(),
                          ts[1].constData(),
                          "-r",
                          "bilinear",
                          "-ot",
                          "Float32",
                          "-dstalpha",
                          "-dstnodata",
                          "None",
                          nullptr};
    GDALWarpAppOptions *options = GDALWarpAppOptionsNew(const_cast<char **>(argv), nullptr);
    if (!options)
        return refused(QStringLiteral("The elevation model cannot be reprojected: %1").arg(errors.last()));
    int usageError = 0;
    Dataset warped;
    warped.h = GDALWarp("", nullptr, 1, &one.h, options, &usageError);
    GDALWarpAppOptionsFree(options);
    if (!warped.h || GDALGetRasterCount(warped.h) < 2)
        return refused(QStringLiteral("The elevation model cannot be reprojected: %1").arg(errors.last()));
    GDALRasterBandH heights = GDALGetRasterBand(warped.h, 1);
    GDALRasterBandH alpha = GDALGetRasterBand(warped.h, GDALGetRasterCount(warped.h));

    ElevationArea area;
    area.name = name;
    area.west = mercator::longitude((minX + kHalfWorld) / (2 * kHalfWorld));
    area.east = mercator::longitude((maxX + kHalfWorld) / (2 * kHalfWorld));
    area.north = mercator::latitude((kHalfWorld - maxY) / (2 * kHalfWorld));
    area.south = mercator::latitude((kHalfWorld - minY) / (2 * kHalfWorld));
    area.zoom = zoom;
    area.source = QFileInfo(path).fileName();
    // Mercator stretches by 1/cos(latitude): the ground distance is shorter by that much.
    area.resolution = mgt[1] * std::cos((area.north + area.south) / 2 * std::numbers::pi / 180);
    area.datum = VerticalDatum::seaLevelName();

    const qint64 areaId = store.beginArea(area);
    if (areaId == 0)
        return refused(store.errorText());
    const int n = ElevationTile::kSize;
    std::vector<float> values(size_t(n) * n);
    std::vector<GByte> weights(size_t(n) * n);
    qint64 done = 0;
    for (int ty = y0; ty <= y1; ++ty) {
        for (int tx = x0; tx <= x1; ++tx) {
            if (cancel && cancel->load()) {
                store.abandonArea();
                return {0, QString(), true};
            }
            const int px = (tx - x0) * n, py = (ty - y0) * n;
            if (GDALRasterIO(heights, GF_Read, px, py, n, n, values.data(), n, n, GDT_Float32, 0, 0) != CE_None
                || GDALRasterIO(alpha, GF_Read, px, py, n, n, weights.data(), n, n, GDT_Byte, 0, 0) != CE_None) {
                store.abandonArea();
                return refused(QStringLiteral("The elevation model could not be read: %1").arg(errors.last()));
            }
            ElevationTile tile;
            for (size_t i = 0; i < values.size(); ++i) {
                // A sample drawn partly from nodata is not known: only whole weight counts.
                if (weights[i] == 255 && std::isfinite(values[i]))
                    tile.heights[i] = float(values[i] * scale + offset);
            }
            if (!tile.isAllVoid()) {
                const QByteArray png = encodeTerrarium(tile);
                if (png.isEmpty() || !store.addTile(areaId, {zoom, tx, ty, png})) {
                    store.abandonArea();
                    return refused(png.isEmpty() ? QStringLiteral("The elevation tiles could not be written")
                                                 : store.errorText());
                }
            }
            ++done;
            if (progress)
                progress(double(done) / double(columns * rows));
        }
    }
    if (!store.commitArea())
        return refused(store.errorText());
    return {areaId, QString(), false};
}

} // namespace zeltrin::terrain
