#include "OverlayGeometry.h"

#include <QSGGeometryNode>
#include <QSGTransformNode>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace overlaygeometry {

// Each line is a quad `width` pixels wide with a one-device-pixel feather on both long edges
// (vertex alpha 0 at the outside), which is how the scene graph itself smooths lines.
void writeLines(QSGGeometry *g, const std::vector<QLineF> &dashes, qreal dpr, const QColor &colour, double width)
{
    const qsizetype quads = qsizetype(dashes.size());
    g->allocate(int(quads * 8), int(quads * 18));
    auto *v = g->vertexDataAsColoredPoint2D();
    auto *ix = g->indexDataAsUInt();
    // Premultiplied, as the vertex colour material takes them.
    const int a = colour.alpha();
    const auto r = uchar(colour.red() * a / 255), gr = uchar(colour.green() * a / 255),
               b = uchar(colour.blue() * a / 255);
    const double feather = 1.0 / dpr;
    const double inner = width / 2 - feather / 2, outer = width / 2 + feather / 2;
    for (qsizetype q = 0; q < quads; ++q) {
        const QLineF &d = dashes[size_t(q)];
        const double len = d.length();
        const double nx = len > 0 ? -d.dy() / len : 0, ny = len > 0 ? d.dx() / len : 0;
        const QPointF ends[2] = {d.p1(), d.p2()};
        const double offsets[4] = {-outer, -inner, inner, outer};
        for (int e = 0; e < 2; ++e)
            for (int k = 0; k < 4; ++k) {
                const bool solid = k == 1 || k == 2;
                v[q * 8 + e * 4 + k].set(float(ends[e].x() + nx * offsets[k]), float(ends[e].y() + ny * offsets[k]),
                                         solid ? r : 0, solid ? gr : 0, solid ? b : 0, solid ? uchar(a) : 0);
            }
        const quint32 base = quint32(q * 8);
        for (int k = 0; k < 3; ++k) {
            const quint32 a = base + quint32(k), c = base + 4 + quint32(k);
            const quint32 tri[6] = {a, a + 1, c, a + 1, c + 1, c};
            std::copy(tri, tri + 6, ix + q * 18 + k * 6);
        }
    }
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}

// Each dot is a fan of kDotSides about its centre, then two rings: to the edge colour one pixel
// further out, and to nothing one device pixel beyond that.
void writeDots(QSGGeometry *g, const std::vector<QPointF> &centres, qreal dpr, const QColor &fill, const QColor &edge,
               double radius)
{
    constexpr int kDotSides = 12;
    constexpr int kVertices = 1 + 3 * kDotSides, kIndices = 3 * kDotSides * 5;
    const qsizetype dots = qsizetype(centres.size());
    g->allocate(int(dots * kVertices), int(dots * kIndices));
    auto *v = g->vertexDataAsColoredPoint2D();
    auto *ix = g->indexDataAsUInt();
    const double radii[3] = {std::max(0.5, radius - 0.5), radius + 1.0, radius + 1.0 + 1.0 / dpr};
    const QColor colours[3] = {fill, edge, Qt::transparent};
    // Premultiplied, as the vertex colour material blends.
    auto set = [](QSGGeometry::ColoredPoint2D &p, double x, double y, const QColor &c) {
        const double a = c.alphaF();
        p.set(float(x), float(y), uchar(qRound(c.red() * a)), uchar(qRound(c.green() * a)), uchar(qRound(c.blue() * a)),
              uchar(c.alpha()));
    };
    for (qsizetype d = 0; d < dots; ++d) {
        const QPointF c = centres[size_t(d)];
        auto *dv = v + d * kVertices;
        set(dv[0], c.x(), c.y(), fill);
        for (int ring = 0; ring < 3; ++ring)
            for (int k = 0; k < kDotSides; ++k) {
                const double a = 2 * std::numbers::pi * k / kDotSides;
                set(dv[1 + ring * kDotSides + k], c.x() + radii[ring] * std::cos(a), c.y() + radii[ring] * std::sin(a),
                    colours[ring]);
            }
        quint32 *di = ix + d * kIndices;
        const quint32 base = quint32(d * kVertices);
        for (int k = 0; k < kDotSides; ++k) {
            const quint32 k1 = quint32((k + 1) % kDotSides);
            *di++ = base;
            *di++ = base + 1 + quint32(k);
            *di++ = base + 1 + k1;
            for (quint32 ring = 0; ring < 2; ++ring) {
                const quint32 in = base + 1 + ring * kDotSides, out = in + kDotSides;
                const quint32 quad[6] = {in + quint32(k), out + quint32(k), out + k1,
                                         in + quint32(k), out + k1,         in + k1};
                di = std::copy(quad, quad + 6, di);
            }
        }
    }
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}

// The dash pattern as a texture that repeats along a piece: one period across its width, the
// pattern's coverage per texel (so dash ends are smoothed), and a one-device-pixel feather on
// both long edges down its height. One quad then draws a whole leg, however many dashes it has:
// the rasteriser's cost goes with the number of triangles far more than with their length.
QImage dashPattern(qreal dpr, const QColor &colour, double width)
{
    const int w = dpr > 1.6 ? 32 : 16, h = 16;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    const double texel = kDashPeriod / w;
    const double feather = 1.0 / dpr, across = width + feather;
    for (int y = 0; y < h; ++y) {
        const double fromEdge = std::min(y + 0.5, h - y - 0.5) * across / h;
        const double edge = std::clamp(fromEdge / feather, 0.0, 1.0);
        for (int x = 0; x < w; ++x) {
            const double on = std::clamp((std::min(kDashOn, (x + 1) * texel) - x * texel) / texel, 0.0, 1.0);
            const double a = edge * on;
            img.setPixel(x, y, qRgba(qRound(colour.red() * a), qRound(colour.green() * a), qRound(colour.blue() * a),
                                     qRound(255 * a)));
        }
    }
    return img;
}

// One quad per piece, the texture's u running with the pattern (a period per unit) and v across.
void writePieces(QSGGeometry *g, const std::vector<PathPiece> &pieces, qreal dpr, double width)
{
    const qsizetype quads = qsizetype(pieces.size());
    g->allocate(int(quads * 4), int(quads * 6));
    auto *v = g->vertexDataAsTexturedPoint2D();
    auto *ix = g->indexDataAsUInt();
    const double half = (width + 1.0 / dpr) / 2;
    for (qsizetype q = 0; q < quads; ++q) {
        const QLineF &d = pieces[size_t(q)].line;
        const double len = d.length();
        const double nx = len > 0 ? -d.dy() / len * half : 0, ny = len > 0 ? d.dx() / len * half : 0;
        // The start's phase is below one period and a piece lies inside the region, so u stays
        // small enough for a float to hold the pattern exactly.
        const float u0 = float(pieces[size_t(q)].phase / kDashPeriod);
        const float u1 = u0 + float(len / kDashPeriod);
        v[q * 4 + 0].set(float(d.x1() - nx), float(d.y1() - ny), u0, 0);
        v[q * 4 + 1].set(float(d.x1() + nx), float(d.y1() + ny), u0, 1);
        v[q * 4 + 2].set(float(d.x2() - nx), float(d.y2() - ny), u1, 0);
        v[q * 4 + 3].set(float(d.x2() + nx), float(d.y2() + ny), u1, 1);
        const quint32 b = quint32(q * 4);
        const quint32 tri[6] = {b, b + 1, b + 2, b + 1, b + 3, b + 2};
        std::copy(tri, tri + 6, ix + q * 6);
    }
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}

double snap(double v, qreal dpr) { return std::round(v * dpr) / dpr; }

void writeMarkers(QSGGeometry *g, const std::vector<MarkerDraw> &markers, const MarkerAtlas &atlas,
                  MarkerAtlas::StyleKind kind)
{
    std::array<MarkerAtlas::Quad, 11> quads;
    qsizetype total = 0;
    for (const MarkerDraw &m : markers)
        total += atlas.layout(m.number, &quads, kind);
    g->allocate(int(total * 4), int(total * 6));
    auto *v = g->vertexDataAsTexturedPoint2D();
    auto *ix = g->indexDataAsUInt();
    const qreal dpr = atlas.devicePixelRatio();
    qsizetype q = 0;
    for (const MarkerDraw &m : markers) {
        const int n = atlas.layout(m.number, &quads, kind);
        // Whole device pixels, so the atlas is sampled texel for texel and stays sharp.
        const double cx = snap(m.pos.x(), dpr), cy = snap(m.pos.y(), dpr);
        for (int k = 0; k < n; ++k, ++q) {
            const QRectF t = quads[size_t(k)].target.translated(cx, cy);
            const QRectF s = quads[size_t(k)].source;
            v[q * 4 + 0].set(float(t.left()), float(t.top()), float(s.left()), float(s.top()));
            v[q * 4 + 1].set(float(t.right()), float(t.top()), float(s.right()), float(s.top()));
            v[q * 4 + 2].set(float(t.left()), float(t.bottom()), float(s.left()), float(s.bottom()));
            v[q * 4 + 3].set(float(t.right()), float(t.bottom()), float(s.right()), float(s.bottom()));
            const quint32 b = quint32(q * 4);
            const quint32 tri[6] = {b, b + 1, b + 2, b + 1, b + 3, b + 2};
            std::copy(tri, tri + 6, ix + q * 6);
        }
    }
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}

void writeQuad(QSGGeometry *g, const MarkerAtlas::Quad &quad)
{
    g->allocate(4, 6);
    auto *v = g->vertexDataAsTexturedPoint2D();
    const QRectF &t = quad.target, &s = quad.source;
    v[0].set(float(t.left()), float(t.top()), float(s.left()), float(s.top()));
    v[1].set(float(t.right()), float(t.top()), float(s.right()), float(s.top()));
    v[2].set(float(t.left()), float(t.bottom()), float(s.left()), float(s.bottom()));
    v[3].set(float(t.right()), float(t.bottom()), float(s.right()), float(s.bottom()));
    const quint32 tri[6] = {0, 1, 2, 1, 3, 2};
    std::copy(tri, tri + 6, g->indexDataAsUInt());
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}

QSGGeometryNode *geometryNode(QSGGeometry *g, QSGMaterial *m)
{
    auto *node = new QSGGeometryNode;
    node->setGeometry(g);
    node->setMaterial(m);
    node->setFlags(QSGNode::OwnsGeometry | QSGNode::OwnsMaterial);
    return node;
}

void setSnappedOffset(QSGTransformNode *node, QPointF offset, qreal dpr)
{
    QMatrix4x4 m;
    m.translate(float(snap(offset.x(), dpr)), float(snap(offset.y(), dpr)));
    if (m != node->matrix())
        node->setMatrix(m);
}

} // namespace overlaygeometry
