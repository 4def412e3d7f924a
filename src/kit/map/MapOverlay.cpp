#include "MapOverlay.h"

#include "MarkerIndex.h"
#include "WebMercator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace merc = zeltrin::mercator;

namespace overlay {

bool clipSegment(QPointF a, QPointF b, const QRectF &clip, double len, double *from, double *to)
{
    double t0 = 0, t1 = 1;
    const double d[2] = {b.x() - a.x(), b.y() - a.y()};
    const double lo[2] = {clip.left() - a.x(), clip.top() - a.y()};
    const double hi[2] = {clip.right() - a.x(), clip.bottom() - a.y()};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (lo[k] > 0 || hi[k] < 0)
                return false;
            continue;
        }
        double e0 = lo[k] / d[k], e1 = hi[k] / d[k];
        if (e0 > e1)
            std::swap(e0, e1);
        t0 = std::max(t0, e0);
        t1 = std::min(t1, e1);
        if (t0 >= t1)
            return false;
    }
    *from = t0 * len;
    *to = t1 * len;
    return true;
}

namespace {

// The world bounds of the frame's region (grown by `margin` px), for culling runs.
QRectF worldRegion(const OverlayFrame &f, double margin)
{
    MapCamera cam;
    cam.cx = f.ox;
    cam.cy = f.oy;
    cam.scale = f.scale;
    cam.bearing = f.bearing;
    cam.width = f.region.width() + 2 * margin;
    cam.height = f.region.height() + 2 * margin;
    // The region is centred on the origin, so a camera of the region's size sees exactly it.
    return cam.worldBounds();
}

// px: wider than a marker with a five-digit number (44 with its gap), so whatever a marker can
// overlap lies in the 3 × 3 cells around its own (MarkerSpacing). One cell per marker let two
// markers in neighbouring cells lie a pixel apart and hide each other's numbers, and hid a
// marker that shared a cell with another without touching it.
constexpr double kCell = 48;

constexpr double kDashCell = 8; // px: a dash and its feather across twice; closer rows read as one hatch anyway
constexpr double kLongPiece = 2 * kDashCell; // px: longer pieces are thinned cell by cell along them

// Which cells of a grid over `area` are taken, marked in a first-come order.
class CellGrid
{
public:
    CellGrid(const QRectF &area, double cell)
        : m_area(area), m_cell(cell),
          m_columns(std::ceil(area.width() / cell) + 1), m_rows(std::ceil(area.height() / cell) + 1)
    {
        if (valid())
            m_taken.assign(size_t(m_columns) * size_t(m_rows), false);
    }
    // A frame of absurd size (never a real window) gets no grid and no thinning.
    bool valid() const { return m_columns > 0 && m_rows > 0 && m_columns * m_rows <= 1e8; }
    // Takes the cell of `p`; false if it was taken already or lies outside.
    bool take(QPointF p)
    {
        const double x = std::floor((p.x() - m_area.left()) / m_cell), y = std::floor((p.y() - m_area.top()) / m_cell);
        if (!(x >= 0 && y >= 0 && x < m_columns && y < m_rows))
            return false;
        const size_t at = size_t(y) * size_t(m_columns) + size_t(x);
        if (m_taken[at])
            return false;
        m_taken[at] = true;
        return true;
    }

    // Takes every cell the segment passes over; false if none was free.
    bool takeAlong(const QLineF &line)
    {
        const double len = line.length();
        const int steps = std::isfinite(len) ? int(std::min(1e6, std::ceil(len / (m_cell / 2)))) : 0;
        bool any = false;
        for (int k = 0; k <= steps; ++k)
            any = take(line.pointAt(steps > 0 ? double(k) / steps : 0.0)) || any;
        return any;
    }

private:
    QRectF m_area;
    double m_cell;
    double m_columns, m_rows;
    std::vector<bool> m_taken;
};

// Markers shown so far, by cell of a grid over `area`: a marker shows only where its box is
// clear of every one shown before it, so neighbours across a cell's edge never overlap either.
// A cell is wider than the widest marker, so only the 3 × 3 cells around one can hold a clash.
// Dense cells for the whole overlay; a run's few hundred markers keep theirs in a hash.
class MarkerSpacing
{
public:
    enum class Cells { dense, sparse };
    MarkerSpacing(const QRectF &area, Cells cells)
        : m_area(area), m_columns(std::ceil(area.width() / kCell) + 1), m_rows(std::ceil(area.height() / kCell) + 1),
          m_sparse(cells == Cells::sparse)
    {
        if (valid() && !m_sparse)
            m_dense.assign(size_t(m_columns) * size_t(m_rows), Cell{});
    }
    bool valid() const { return m_columns > 0 && m_rows > 0 && m_columns * m_rows <= 1e8; }
    // Shows `m` unless it would overlap a marker shown before; false if not, or outside.
    bool take(const MarkerDraw &m)
    {
        const double x = std::floor((m.pos.x() - m_area.left()) / kCell), y = std::floor((m.pos.y() - m_area.top()) / kCell);
        if (!(x >= 0 && y >= 0 && x < m_columns && y < m_rows))
            return false;
        const double half = halfWidth(m.number);
        const auto cx = qsizetype(x), cy = qsizetype(y);
        for (qsizetype j = std::max<qsizetype>(0, cy - 1); j <= std::min(qsizetype(m_rows) - 1, cy + 1); ++j)
            for (qsizetype i = std::max<qsizetype>(0, cx - 1); i <= std::min(qsizetype(m_columns) - 1, cx + 1); ++i) {
                const Cell *c = find(i, j);
                for (int k = 0; c && k < c->count; ++k)
                    if (std::abs(c->shown[k].pos.x() - m.pos.x()) < half + c->shown[k].half + kGap
                        && std::abs(c->shown[k].pos.y() - m.pos.y()) < kHeight + kGap)
                        return false;
            }
        Cell &mine = m_sparse ? m_hashed[key(cx, cy)] : m_dense[index(cx, cy)];
        if (mine.count == Cell::kCapacity) // cannot happen with markers kept apart; drop rather than overlap
            return false;
        mine.shown[mine.count++] = {m.pos, half};
        return true;
    }

private:
    static constexpr double kHeight = 28; // px: a plain marker's disc across
    static constexpr double kGap = 2;     // px kept clear between two markers
    // Half a plain marker's width: its disc, or a pill past three digits (about 8 px a digit,
    // a little more than the number's glyphs, with their inset).
    static double halfWidth(int number)
    {
        int digits = 1;
        for (int n = std::abs(number); n >= 10; n /= 10)
            ++digits;
        return std::max(kHeight, digits * 8.0 + 4) / 2;
    }
    struct Entry {
        QPointF pos;
        double half = 0;
    };
    struct Cell {
        // Markers kept kHeight + kGap apart one way or the other: at most 2 × 2 fit in a cell.
        static constexpr int kCapacity = 4;
        std::array<Entry, kCapacity> shown{};
        int count = 0;
    };
    size_t index(qsizetype i, qsizetype j) const { return size_t(j) * size_t(m_columns) + size_t(i); }
    static quint64 key(qsizetype i, qsizetype j) { return (quint64(quint32(j)) << 32) | quint32(i); }
    const Cell *find(qsizetype i, qsizetype j) const
    {
        if (!m_sparse)
            return &m_dense[index(i, j)];
        const auto it = m_hashed.find(key(i, j));
        return it == m_hashed.end() ? nullptr : &it->second;
    }
    QRectF m_area;
    double m_columns, m_rows;
    bool m_sparse;
    std::vector<Cell> m_dense;
    std::unordered_map<quint64, Cell> m_hashed;
};

// The part of leg a→b inside `clip`, with `along` px of the run's path before it; nothing when
// that part falls wholly in a gap of the pattern.
void pieceOf(QPointF a, QPointF b, double along, const QRectF &clip, std::vector<PathPiece> *out)
{
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    double t = 0, stop = 0;
    if (!(len > 0) || !std::isfinite(len) || !clipSegment(a, b, clip, len, &t, &stop))
        return;
    const double phase = std::fmod(along + t, kDashPeriod);
    if (phase >= kDashOn && phase + (stop - t) <= kDashPeriod)
        return;
    out->push_back({QLineF(a + (b - a) * (t / len), a + (b - a) * (stop / len)), phase});
}

// True when c carries on from the piece a→b: ahead of b, and within a quarter pixel of the line.
bool runsStraightOn(QPointF a, QPointF b, QPointF c)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double ex = c.x() - b.x(), ey = c.y() - b.y();
    const double len = std::hypot(dx, dy);
    if (!(len > 0) || dx * ex + dy * ey <= 0)
        return false;
    return std::abs(dx * ey - dy * ex) / len <= 0.25;
}

} // namespace

void buildChunk(const MarkerIndex &index, qsizetype c, const OverlayFrame &frame,
                std::optional<qsizetype> skipA, std::optional<qsizetype> skipB, OverlayChunk *out)
{
    out->candidatePath.clear();
    out->path.clear();
    out->candidates.clear();
    out->markers.clear();
    out->dirty = false;
    const QRectF cull = frame.region.adjusted(-kMarkerCull, -kMarkerCull, kMarkerCull, kMarkerCull);
    const QRectF box = index.chunkBox(c);
    const QRectF view = worldRegion(frame, kMarkerCull);
    // Near the date line the region wraps round the world: then no run is skipped by its box.
    const bool wraps = view.left() < 0 || view.right() > 1;
    if (!wraps && !overlaps(box, view))
        return;
    const qsizetype first = c * MarkerIndex::kChunk;
    const qsizetype last = std::min(index.size(), first + MarkerIndex::kChunk + 1); // one past: the leg into the next run
    const QRectF clip = frame.region.adjusted(-kPathMargin, -kPathMargin, kPathMargin, kPathMargin);
    std::vector<MarkerDraw> kept;
    // Legs shorter than a pixel (a long mission seen from afar) are merged into the next one:
    // thousands of sub-pixel pieces would cost the rasteriser far more than they show.
    constexpr double kMinLeg = 1;
    // Legs that run straight on (a survey's rows) are one piece: the pattern carries on across
    // their waypoints, so the piece looks the same as the legs and costs two triangles.
    QPointF prev = frame.project(index.world(first));
    QPointF pieceStart = prev;
    double along = 0, pieceAlong = 0;
    bool open = false;
    for (qsizetype i = first + 1; i < last; ++i) {
        const QPointF s = frame.project(index.world(i));
        const double len = std::hypot(s.x() - prev.x(), s.y() - prev.y());
        if (len < kMinLeg && i + 1 < last)
            continue;
        if (!open || !runsStraightOn(pieceStart, prev, s)) {
            if (open)
                pieceOf(pieceStart, prev, pieceAlong, clip, &out->candidatePath);
            pieceStart = prev;
            pieceAlong = along;
            open = true;
        }
        along += len;
        prev = s;
    }
    if (open)
        pieceOf(pieceStart, prev, pieceAlong, clip, &out->candidatePath);
    // Markers from the top of the pile down: the later one shows where two would overlap.
    MarkerSpacing spacing(cull, MarkerSpacing::Cells::sparse);
    for (qsizetype i = std::min(index.size(), first + MarkerIndex::kChunk) - 1; i >= first; --i) {
        if (i == skipA || i == skipB)
            continue;
        const MarkerDraw m{frame.project(index.world(i)), int(i + 1), 0.0};
        if (cull.contains(m.pos) && spacing.take(m))
            kept.push_back(m);
    }
    out->candidates.assign(kept.rbegin(), kept.rend());
    out->markers = out->candidates;
    out->path = out->candidatePath;
}

std::vector<qsizetype> thinAcrossRuns(const OverlayFrame &frame, std::vector<std::shared_ptr<const OverlayChunk>> *chunks)
{
    std::vector<qsizetype> changed;
    if (!frame.valid)
        return changed;
    // Every candidate lies inside the cull region (pieces within the path margin of the region),
    // so a dense grid over it holds the taken cells.
    const QRectF cull = frame.region.adjusted(-kMarkerCull, -kMarkerCull, kMarkerCull, kMarkerCull);
    MarkerSpacing markerCells(cull, MarkerSpacing::Cells::dense);
    CellGrid dashCells(cull, kDashCell);
    if (!markerCells.valid() || !dashCells.valid())
        return changed;
    std::vector<MarkerDraw> shown;
    std::vector<PathPiece> path;
    for (auto c = qsizetype(chunks->size()) - 1; c >= 0; --c) {
        const std::shared_ptr<const OverlayChunk> &chunk = (*chunks)[size_t(c)];
        if (!chunk)
            continue;
        shown.clear();
        for (auto m = chunk->candidates.rbegin(); m != chunk->candidates.rend(); ++m)
            if (markerCells.take(*m))
                shown.push_back(*m);
        std::reverse(shown.begin(), shown.end());
        path.clear();
        for (auto d = chunk->candidatePath.rbegin(); d != chunk->candidatePath.rend(); ++d) {
            // A longer piece shows unless pieces on top cover every cell along it (a survey's
            // rows seen whole lie closer than a cell).
            const bool shows = d->line.length() > kLongPiece ? dashCells.takeAlong(d->line) : dashCells.take(d->line.center());
            if (shows)
                path.push_back(*d);
        }
        std::reverse(path.begin(), path.end());
        if (shown == chunk->markers && path == chunk->path)
            continue;
        auto copy = std::make_shared<OverlayChunk>(*chunk);
        copy->markers = shown;
        copy->path = path;
        (*chunks)[size_t(c)] = std::move(copy);
        changed.push_back(c);
    }
    return changed;
}

void appendDashes(const PathPiece &piece, std::vector<QLineF> *out)
{
    const QLineF &l = piece.line;
    const double len = l.length();
    if (!(len > 0) || !std::isfinite(len))
        return;
    double t = 0;
    double phase = std::clamp(piece.phase, 0.0, kDashPeriod);
    while (t < len) {
        if (phase < kDashOn) {
            const double end = std::min(len, t + (kDashOn - phase));
            out->emplace_back(l.pointAt(t / len), l.pointAt(end / len));
            t = end;
            phase = kDashOn;
        } else {
            t += kDashPeriod - phase;
            phase = 0;
        }
    }
}

std::vector<QLineF> graticule(const OverlayFrame &f)
{
    std::vector<QLineF> lines;
    if (!f.valid)
        return lines;
    const double spanDeg = f.width / f.scale * 360.0;
    double step = std::pow(10.0, std::floor(std::log10(std::max(spanDeg, 1e-9) / 4)));
    if (spanDeg / step > 10)
        step *= 2;
    if (spanDeg / step > 10)
        step *= 2.5;
    const QRectF w = worldRegion(f, 0);
    const double lonA = merc::longitude(w.left()), lonB = merc::longitude(w.right());
    const double latA = merc::latitude(std::clamp(w.bottom(), 0.0, 1.0));
    const double latB = merc::latitude(std::clamp(w.top(), 0.0, 1.0));
    auto at = [&f](double lat, double lon) { return f.project(merc::toWorld(lat, lon)); };
    for (double lon = std::floor(lonA / step) * step; lon <= lonB && lines.size() < 400; lon += step)
        lines.emplace_back(at(latA, lon), at(latB, lon));
    for (double lat = std::floor(latA / step) * step; lat <= latB && lines.size() < 800; lat += step)
        lines.emplace_back(at(lat, lonA), at(lat, lonB));
    return lines;
}

} // namespace overlay
