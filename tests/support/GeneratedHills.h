#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTextStream>

#include <cmath>
#include <numbers>
#include <optional>

// Rolling hills around the planner's start point (43.0° N, 84.0° W), as a pilot's own elevation
// model would come: a GeoTIFF in UTM zone 16 N (EPSG:32616), 10 m cells, heights above sea level,
// written by GDAL's gdal_translate from an ESRI ASCII grid. The same heights are known in closed
// form, so a test can check any point against them (and against gdallocationinfo).
namespace hills {

constexpr double kCentreEast = 744533.02, kCentreNorth = 4765182.93; // the start point in UTM 16 N
constexpr double kCell = 10, kHalfSpan = 1500;                       // m

// Metres above sea level at `east`, `north` metres from the start point: ±30 m of hills on a
// 2 % slope rising east, at most 27 % steep.
inline double heightAt(double east, double north)
{
    constexpr double tau = 2 * std::numbers::pi;
    return 250 + 30 * std::sin(tau * east / 900) * std::cos(tau * north / 700) + 0.02 * east;
}

struct Options {
    // A square with no data (GDAL's nodata), centred this far east and north, this wide (0: none).
    double voidEast = 0, voidNorth = 0, voidWidth = 0;
    double cell = kCell; // m
};

// Writes `name`.tif into `dir`; the path, or an empty string with `error` set.
inline QString writeGeoTiff(const QDir &dir, const QString &name, const Options &o = {}, QString *error = nullptr)
{
    const double cell = o.cell > 0 ? o.cell : kCell;
    const int n = int(2 * kHalfSpan / cell);
    const QString asc = dir.filePath(name + QStringLiteral(".asc"));
    const QString tif = dir.filePath(name + QStringLiteral(".tif"));
    {
        QFile f(asc);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            if (error)
                *error = f.errorString();
            return {};
        }
        QTextStream out(&f);
        out << "ncols " << n << "\nnrows " << n << "\nxllcorner " << QString::number(kCentreEast - kHalfSpan, 'f', 2)
            << "\nyllcorner " << QString::number(kCentreNorth - kHalfSpan, 'f', 2) << "\ncellsize " << cell
            << "\nNODATA_value -9999\n";
        for (int row = 0; row < n; ++row) {
            // Rows run north to south; a value stands for its cell's centre.
            const double north = kHalfSpan - (row + 0.5) * cell;
            for (int col = 0; col < n; ++col) {
                const double east = -kHalfSpan + (col + 0.5) * cell;
                const bool inVoid = o.voidWidth > 0 && std::abs(east - o.voidEast) < o.voidWidth / 2
                    && std::abs(north - o.voidNorth) < o.voidWidth / 2;
                out << (inVoid ? QStringLiteral("-9999") : QString::number(heightAt(east, north), 'f', 3))
                    << (col + 1 < n ? ' ' : '\n');
            }
        }
    }
    QProcess gdal;
    gdal.start(QStringLiteral("gdal_translate"),
               {QStringLiteral("-q"), QStringLiteral("-of"), QStringLiteral("GTiff"), QStringLiteral("-ot"),
                QStringLiteral("Float32"), QStringLiteral("-a_srs"), QStringLiteral("EPSG:32616"), asc, tif});
    if (!gdal.waitForFinished(60000) || gdal.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("gdal_translate failed: ") + QString::fromLocal8Bit(gdal.readAllStandardError());
        return {};
    }
    QFile::remove(asc);
    return tif;
}

} // namespace hills
