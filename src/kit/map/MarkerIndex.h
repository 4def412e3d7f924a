#pragma once

#include "Coordinate.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <vector>

// The markers' web-Mercator positions, in runs ("chunks") of a fixed length with the world
// bounds of each, so a frame visits only the runs near the screen and an edit rebuilds only the
// runs it touched.
class MarkerIndex
{
public:
    static constexpr qsizetype kChunk = 256;

    // Re-reads the list from position `first` on; what lies before it is kept.
    void update(const QList<zeltrin::Coordinate> &list, qsizetype first);
    qsizetype size() const { return qsizetype(m_world.size()); }
    QPointF world(qsizetype i) const { return m_world[size_t(i)]; }
    qsizetype chunkCount() const { return qsizetype(m_box.size()); }
    static qsizetype chunkOf(qsizetype i) { return i / kChunk; }
    // Bounds of a run's points and of the first point of the next run (its last leg).
    const QRectF &chunkBox(qsizetype c) const { return m_box[size_t(c)]; }

private:
    std::vector<QPointF> m_world;
    std::vector<QRectF> m_box;
};
