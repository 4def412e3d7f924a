#pragma once

#include "Coordinate.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QQmlEngine>

#include <array>
#include <vector>

// An area drawn on the map: its outline, and quadrilaterals on the ground inside it (a survey's
// photo footprints), each in one of a few colours. The map draws the outlines of all of them in
// one batch per colour, so tens of thousands stay cheap.
class FootprintSet : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by a screen model")
public:
    struct Quad {
        std::array<zeltrin::Coordinate, 4> corners;
        int colour = 0; // index into colours()
    };

    explicit FootprintSet(QObject *parent = nullptr) : QObject(parent) {}

    const QList<zeltrin::Coordinate> &outline() const { return m_outline; }
    const std::vector<Quad> &quads() const { return m_quads; }
    const QList<QColor> &colours() const { return m_colours; }
    // Quads with a colour index outside `colours` are not drawn.
    void set(QList<zeltrin::Coordinate> outline, std::vector<Quad> quads, QList<QColor> colours)
    {
        m_outline = std::move(outline);
        m_quads = std::move(quads);
        m_colours = std::move(colours);
        Q_EMIT changed();
    }
    void clear() { set({}, {}, m_colours); }

Q_SIGNALS:
    void changed();

private:
    QList<zeltrin::Coordinate> m_outline; // closed: the last corner joins the first
    std::vector<Quad> m_quads;
    QList<QColor> m_colours;
};
