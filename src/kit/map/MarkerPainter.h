#pragma once

#include "MapOverlay.h"
#include "MarkerAtlas.h"

#include <QImage>
#include <QRectF>

class QFont;
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

// The number's font, bold, at the plain and the selected marker's size.
constexpr int kPlainNumberPx = 12;
constexpr int kSelectedNumberPx = 14;
QFont numberFont(int pixelSize);

// A settled marker (plain or selected) as a cached sprite at the device pixel ratio.
QImage sprite(int number, bool selected, qreal dpr);

// Radius a tap hits.
inline double hitRadius(bool selected) { return selected ? 17 : 14; }

} // namespace marker
