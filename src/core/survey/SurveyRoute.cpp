#include "SurveyRoute.h"

#include <algorithm>
#include <limits>
#include <queue>

namespace zeltrin::survey::detail {

namespace {

double dist(const Point &a, const Point &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Runs not flown yet, by line.
class Remaining
{
public:
    explicit Remaining(const Pass &pass) : m_pass(pass), m_byLine(size_t(std::max(pass.lines, 0)))
    {
        for (size_t i = 0; i < pass.segments.size(); ++i)
            m_byLine[size_t(pass.segments[i].line)].push_back(int(i));
        m_left = pass.segments.size();
    }
    bool empty() const { return m_left == 0; }

    // The run with the end nearest to `at` (in the pass's frame), and whether that end is x0.
    // Lines are searched outwards from the nearest; none further than the best end can hold a
    // nearer one.
    std::pair<int, bool> nearest(const Point &at) const
    {
        const int lines = int(m_byLine.size());
        const auto offset = [&](int k) { return std::abs(m_pass.firstY + k * m_pass.spacing - at.y()); };
        const int home = int(std::clamp(std::round((at.y() - m_pass.firstY) / m_pass.spacing), 0.0, double(lines - 1)));
        double best = std::numeric_limits<double>::infinity();
        std::pair<int, bool> found{-1, true};
        const auto scan = [&](int k) {
            for (int i : m_byLine[size_t(k)]) {
                const Segment &s = m_pass.segments[size_t(i)];
                const double d0 = dist(at, {s.x0, s.y}), d1 = dist(at, {s.x1, s.y});
                if (std::min(d0, d1) < best) {
                    best = std::min(d0, d1);
                    found = {i, d0 <= d1};
                }
            }
        };
        for (int step = 0;; ++step) {
            const int lo = home - step, hi = home + step;
            const double toLo = lo >= 0 ? offset(lo) : std::numeric_limits<double>::infinity();
            const double toHi = hi < lines ? offset(hi) : std::numeric_limits<double>::infinity();
            if (std::isinf(toLo) && std::isinf(toHi))
                break;
            if (toLo > best && toHi > best)
                break;
            if (lo >= 0 && toLo <= best)
                scan(lo);
            if (hi != lo && hi < lines && toHi <= best)
                scan(hi);
        }
        return found;
    }
    void take(int i)
    {
        auto &line = m_byLine[size_t(m_pass.segments[size_t(i)].line)];
        line.erase(std::find(line.begin(), line.end(), i));
        --m_left;
    }

private:
    const Pass &m_pass;
    std::vector<std::vector<int>> m_byLine;
    size_t m_left = 0;
};

} // namespace

std::vector<RunRef> orderRuns(const std::vector<Pass> &passes, std::optional<Point> start)
{
    std::vector<RunRef> order;
    std::optional<Point> at = start; // on the plane
    for (int p = 0; p < int(passes.size()); ++p) {
        const Pass &pass = passes[size_t(p)];
        const Frame frame(pass.heading);
        Remaining left(pass);
        std::optional<bool> lastForward;
        while (!left.empty()) {
            // Without a place to start from, the first line's first run, from its start.
            auto [i, atStart] = at ? left.nearest(frame.toFrame(*at)) : std::pair<int, bool>{0, true};
            const Segment &s = pass.segments[size_t(i)];
            // A single photo has one end: keep the back and forth going.
            const bool forward = s.x0 == s.x1 ? !lastForward.value_or(false) : atStart;
            order.push_back({p, i, forward});
            left.take(i);
            lastForward = forward;
            at = frame.toPlane(forward ? s.x1 : s.x0, s.y);
        }
    }
    return order;
}

TransitRouter::TransitRouter(const Polygon &area, double margin)
{
    namespace bs = bg::strategy::buffer;
    // Mitred corners (cut at twice the margin at sharp ones): the grown area holds every point
    // within `margin` of the area, with few corners.
    bg::buffer(area, m_grown, bs::distance_symmetric<double>(margin), bs::side_straight(), bs::join_miter(2.0),
               bs::end_flat(), bs::point_circle(8));
    // Concave corners of the area itself: ways bend round them, a margin inside the grown area.
    const auto &ring = area.outer();
    const size_t n = ring.size() > 1 ? ring.size() - 1 : 0; // closed: the last repeats the first
    for (size_t i = 0; i < n; ++i) {
        const Point &prev = ring[(i + n - 1) % n], &cur = ring[i], &next = ring[(i + 1) % n];
        const double cross = (cur.x() - prev.x()) * (next.y() - cur.y()) - (cur.y() - prev.y()) * (next.x() - cur.x());
        if (cross > 0) // a left turn on a clockwise ring
            m_corners.push_back(cur);
    }
}

bool TransitRouter::clear(const Point &a, const Point &b) const
{
    if (dist(a, b) < 1e-9)
        return bg::covered_by(a, m_grown);
    return bg::covered_by(Linestring{a, b}, m_grown);
}

std::optional<std::vector<Point>> TransitRouter::route(const Point &a, const Point &b)
{
    if (clear(a, b))
        return std::vector<Point>{};
    if (m_corners.empty() || m_corners.size() > kMaxCorners)
        return std::nullopt;
    const size_t n = m_corners.size();
    if (!m_betweenKnown) {
        m_between.assign(n, std::vector<double>(n, -1.0));
        for (size_t i = 0; i < n; ++i)
            for (size_t j = i + 1; j < n; ++j)
                if (clear(m_corners[i], m_corners[j]))
                    m_between[i][j] = m_between[j][i] = dist(m_corners[i], m_corners[j]);
        m_betweenKnown = true;
    }
    // Nodes: the corners, then a (n) and b (n + 1).
    const size_t from = n, to = n + 1;
    std::vector<double> fromA(n, -1.0), toB(n, -1.0);
    for (size_t i = 0; i < n; ++i) {
        if (clear(a, m_corners[i]))
            fromA[i] = dist(a, m_corners[i]);
        if (clear(m_corners[i], b))
            toB[i] = dist(m_corners[i], b);
    }
    std::vector<double> best(n + 2, std::numeric_limits<double>::infinity());
    std::vector<size_t> via(n + 2, SIZE_MAX);
    using Item = std::pair<double, size_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    best[from] = 0;
    queue.push({0, from});
    while (!queue.empty()) {
        const double d = queue.top().first; // not a structured binding: lambdas capture it below
        const size_t u = queue.top().second;
        queue.pop();
        if (d > best[u] || u == to)
            continue;
        const auto relax = [&](size_t v, double length) {
            if (length >= 0 && d + length < best[v]) {
                best[v] = d + length;
                via[v] = u;
                queue.push({best[v], v});
            }
        };
        if (u == from) {
            for (size_t i = 0; i < n; ++i)
                relax(i, fromA[i]);
        } else {
            for (size_t i = 0; i < n; ++i)
                relax(i, m_between[u][i]);
            relax(to, toB[u]);
        }
    }
    if (via[to] == SIZE_MAX)
        return std::nullopt;
    std::vector<Point> corners;
    for (size_t v = via[to]; v != from; v = via[v])
        corners.push_back(m_corners[v]);
    std::reverse(corners.begin(), corners.end());
    return corners;
}

} // namespace zeltrin::survey::detail
