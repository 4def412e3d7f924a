#pragma once

#include <QString>

#include <optional>

struct pj_ctx;
struct PJconsts;

namespace zeltrin::terrain {

// Heights above the WGS 84 ellipsoid (what GNSS gives) and above sea level (what elevation models
// give), converted with PROJ and the EGM96 geoid grid Debian ships in proj-data. Offline only:
// PROJ's network is off, and without the grid there is no answer rather than a guess.
// One thread owns an instance.
class VerticalDatum
{
public:
    VerticalDatum();
    ~VerticalDatum();
    VerticalDatum(const VerticalDatum &) = delete;
    VerticalDatum &operator=(const VerticalDatum &) = delete;

    static QString seaLevelName() { return QStringLiteral("EGM96 (sea level)"); }

    bool isValid() const { return m_op != nullptr; }
    QString errorText() const { return m_error; }

    // How far the geoid lies above the ellipsoid here, in metres (N).
    std::optional<double> geoidSeparation(double latitude, double longitude) const;
    std::optional<double> toSeaLevel(double latitude, double longitude, double ellipsoidal) const;
    std::optional<double> toEllipsoidal(double latitude, double longitude, double seaLevel) const;

private:
    ::pj_ctx *m_ctx = nullptr;
    ::PJconsts *m_op = nullptr;
    QString m_error;
};

} // namespace zeltrin::terrain
