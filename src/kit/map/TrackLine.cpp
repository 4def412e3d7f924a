#include "TrackLine.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180.0;

// Local metres about `origin` (equirectangular): exact enough over the few kilometres a flight spans.
QPointF metres(const zeltrin::Coordinate &c, const zeltrin::Coordinate &origin, double cosLat)
{
    return {(c.longitude - origin.longitude) * kMetresPerDegree * cosLat, (c.latitude - origin.latitude) * kMetresPerDegree};
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a, ap = p - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / len2, 0.0, 1.0) : 0.0;
    const QPointF d = ap - ab * t;
    return std::hypot(d.x(), d.y());
}

// Which of `pts` Douglas–Peucker keeps at `tolerance`; iterative, so a long line cannot overflow the stack.
std::vector<bool> keptAt(const std::vector<QPointF> &pts, double tolerance)
{
    std::vector<bool> keep(pts.size(), false);
    if (pts.empty())
        return keep;
    keep.front() = keep.back() = true;
    std::vector<std::pair<size_t, size_t>> spans{{0, pts.size() - 1}};
    while (!spans.empty()) {
        const auto [a, b] = spans.back();
        spans.pop_back();
        double worst = -1;
        size_t at = a;
        for (size_t i = a + 1; i < b; ++i) {
            const double d = distanceToSegment(pts[i], pts[a], pts[b]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tolerance) {
            keep[at] = true;
            spans.push_back({a, at});
            spans.push_back({at, b});
        }
    }
    return keep;
}

} // namespace

TrackLine::TrackLine(QObject *parent) : QObject(parent) {}

void TrackLine::append(double latitude, double longitude)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90 || std::abs(longitude) > 180)
        return;
    const zeltrin::Coordinate c{latitude, longitude};
    if (!m_points.empty()) {
        const zeltrin::Coordinate &last = m_points.back();
        const QPointF d = metres(c, last, std::cos(last.latitude * std::numbers::pi / 180.0));
        if (std::hypot(d.x(), d.y()) < kMinStepMetres)
            return;
    }
    m_points.push_back(c);
    if (count() >= kCapacity) {
        simplify();
        Q_EMIT changed(0);
        return;
    }
    Q_EMIT changed(count() - 1);
}

void TrackLine::clear()
{
    if (m_points.empty())
        return;
    m_points.clear();
    m_tolerance = 0;
    Q_EMIT changed(0);
}

void TrackLine::setMarks(const std::vector<zeltrin::Coordinate> &marks)
{
    std::vector<zeltrin::Coordinate> kept;
    kept.reserve(marks.size());
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(kept), [](const zeltrin::Coordinate &c) {
        return std::isfinite(c.latitude) && std::isfinite(c.longitude) && std::abs(c.latitude) <= 90
            && std::abs(c.longitude) <= 180;
    });
    if (kept.empty() && m_marks.empty())
        return;
    m_marks = std::move(kept);
    Q_EMIT marksChanged();
}

void TrackLine::simplify()
{
    const zeltrin::Coordinate origin = m_points.front();
    const double cosLat = std::cos(origin.latitude * std::numbers::pi / 180.0);
    std::vector<QPointF> pts;
    pts.reserve(m_points.size());
    for (const auto &c : m_points)
        pts.push_back(metres(c, origin, cosLat));
    double tolerance = std::max(0.5, m_tolerance);
    std::vector<bool> keep;
    for (;;) {
        keep = keptAt(pts, tolerance);
        if (qsizetype(std::count(keep.begin(), keep.end(), true)) <= kCapacity / 2 || tolerance > 1e6)
            break;
        tolerance *= 2;
    }
    std::vector<zeltrin::Coordinate> kept;
    kept.reserve(kCapacity);
    for (size_t i = 0; i < m_points.size(); ++i)
        if (keep[i])
            kept.push_back(m_points[i]);
    m_points = std::move(kept);
    m_tolerance = tolerance;
}
