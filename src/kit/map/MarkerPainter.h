#pragma once

#include "MapOverlay.h"

#include <QImage>
#include <QRectF>

#include <array>

class QPainter;

namespace marker {

constexpr int kSpriteSize = 48; // px: the selected circle (34) with its shadow, and some room

// Draws one marker centred at m.pos: a gold circle with a soft shadow and its number; a white
// ring and a larger circle as it becomes selected.
void paint(QPainter *p, const MarkerDraw &m);
// The circle alone, with its shadow and, as `t` goes to 1, its ring; `stretch` px wider, a pill.
void paintDisc(QPainter *p, QPointF centre, double t, double stretch = 0);
// How much wider than round a disc `diameter` across must be to hold a number `numberWidth` wide
// with kNumberInset on each side: 0 up to three digits, then an even number of pixels (a pill).
constexpr double kNumberInset = 2;
double stretchFor(double numberWidth, double diameter);

// The home point (a dark disc, white ring, "H") and the aircraft (a white dart pointing north,
// to be rotated by its heading), centred at `centre`.
constexpr double kHomeSize = 30;     // px, with its shadow
constexpr double kAircraftSize = 36; // px, with its shadow
void paintHome(QPainter *p, QPointF centre);
void paintAircraft(QPainter *p, QPointF centre);

// A settled marker (plain or selected) as a cached sprite at the device pixel ratio.
QImage sprite(int number, bool selected, qreal dpr);

// Radius a tap hits.
inline double hitRadius(bool selected) { return selected ? 17 : 14; }

} // namespace marker

// One texture holding each marker style's circle and the ten digits of its number: the plain
// marker, and the selected one with its ring. Every marker on the map, selected or not, is a few
// textured quads drawn with this one texture, so they batch and nothing is repainted.
class MarkerAtlas
{
public:
    struct Quad {
        QRectF target; // item pixels, relative to the marker's centre
        QRectF source; // normalised texture coordinates
    };
    enum StyleKind { Plain = 0, Selected = 1 };

    explicit MarkerAtlas(qreal dpr);
    const QImage &image() const { return m_image; }
    qreal devicePixelRatio() const { return m_dpr; }
    // Quads for a marker numbered `number` (its disc first: one quad, or three for a pill, then
    // the digits), into `out`; returns how many were written (at most 11).
    int layout(int number, std::array<Quad, 11> *out, StyleKind kind = Plain) const;
    // The home point's and the aircraft's quads, centred on the origin (the aircraft north up).
    Quad home() const { return m_home; }
    Quad aircraft() const { return m_aircraft; }

private:
    static constexpr double kPad = 2; // keeps linear filtering from reading a neighbouring cell
    struct Style {
        double circleSize = 0; // the quad, with the shadow
        double discSize = 0;   // the disc's own diameter
        QRectF circle;                // texture coordinates
        std::array<QRectF, 10> digit; // texture coordinates
        std::array<double, 10> advance{};
        QSizeF cell;            // item pixels of one digit's cell
        double baseline = 0;    // from the cell's top
        double lineHeight = 0;
    };
    QImage m_image;
    qreal m_dpr;
    Style m_styles[2];
    Quad m_home, m_aircraft;
};
