#pragma once

#include <QImage>
#include <QRectF>

#include <array>

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
        double circleSize = 0;        // the quad, with the shadow
        double discSize = 0;          // the disc's own diameter
        QRectF circle;                // texture coordinates
        std::array<QRectF, 10> digit; // texture coordinates
        std::array<double, 10> advance{};
        QSizeF cell;         // item pixels of one digit's cell
        double baseline = 0; // from the cell's top
        double lineHeight = 0;
    };
    QImage m_image;
    qreal m_dpr;
    Style m_styles[2];
    Quad m_home, m_aircraft;
};
