#include "MarkerIndex.h"

#include "WebMercator.h"

#include <algorithm>

void MarkerIndex::update(const QList<zeltrin::Coordinate> &list, qsizetype first)
{
    first = std::clamp<qsizetype>(first, 0, std::min(size(), list.size()));
    m_world.resize(size_t(list.size()));
    for (qsizetype i = first; i < list.size(); ++i)
        m_world[size_t(i)] = zeltrin::mercator::toWorld(list[i].latitude, list[i].longitude);
    const qsizetype chunks = (list.size() + kChunk - 1) / kChunk;
    // The run before `first` also changes: its last leg ends at the first point of the next run.
    const qsizetype from = std::max<qsizetype>(0, chunkOf(first) - 1);
    m_box.resize(size_t(chunks));
    for (qsizetype c = from; c < chunks; ++c) {
        const qsizetype end = std::min(list.size(), (c + 1) * kChunk + 1);
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (qsizetype i = c * kChunk; i < end; ++i) {
            const QPointF w = m_world[size_t(i)];
            x0 = std::min(x0, w.x());
            x1 = std::max(x1, w.x());
            y0 = std::min(y0, w.y());
            y1 = std::max(y1, w.y());
        }
        m_box[size_t(c)] = QRectF(QPointF(x0, y0), QPointF(x1, y1));
    }
}
