#include "TrackLayer.h"

#include "OverlayGeometry.h"
#include "OverlayNodes.h"
#include "Palette.h"
#include "WebMercator.h"

#include <QPainter>
#include <QQuickItem>
#include <QSGVertexColorMaterial>

#include <algorithm>

using namespace overlaygeometry;

namespace {

constexpr double kTrackWidth = 3;
constexpr double kMarkRadius = 3.5;

QColor trackColour()
{
    return zeltrin::palette().themeBlue;
}
QColor markColour()
{
    return zeltrin::palette().themeGold;
}
QColor markEdgeColour()
{
    return QColor(15, 15, 18, 220);
}

std::vector<QLineF> legsOf(const std::vector<QPointF> &points)
{
    std::vector<QLineF> legs;
    legs.reserve(points.size());
    for (size_t i = 1; i < points.size(); ++i)
        legs.emplace_back(points[i - 1], points[i]);
    return legs;
}

QSGGeometryNode *runNode()
{
    auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
    g->setDrawingMode(QSGGeometry::DrawTriangles);
    return geometryNode(g, new QSGVertexColorMaterial);
}

} // namespace

void TrackLayer::setLine(TrackLine *t)
{
    if (m_line)
        m_line->disconnect(m_owner);
    m_line = t;
    m_firstChanged = 0;
    m_marksChanged = true;
    if (!t)
        return;
    QObject::connect(t, &TrackLine::marksChanged, m_owner, [this] {
        m_marksChanged = true;
        m_owner->update();
    });
    QObject::connect(t, &TrackLine::changed, m_owner, [this](qsizetype first) {
        m_firstChanged = std::min(m_firstChanged, first);
        // A new last point is where the aircraft is, under its marker: the frame the marker's
        // move asks for draws it. Anything else changes what shows.
        if (!m_tipCovered() || first < m_line->count() - 1)
            m_owner->update();
    });
    QObject::connect(t, &QObject::destroyed, m_owner, [this] {
        m_firstChanged = 0;
        m_marksChanged = true;
        m_owner->update();
    });
}

void TrackLayer::sync(const LayerSync &s)
{
    m_rebuilt.clear();
    m_marksRebuilt = s.frameChanged || m_marksChanged;
    m_marksChanged = false;
    if (m_marksRebuilt) {
        auto marks = std::make_shared<std::vector<QPointF>>();
        if (m_line) {
            marks->reserve(m_line->marks().size());
            for (const zeltrin::Coordinate &c : m_line->marks())
                marks->push_back(s.frame.project(zeltrin::mercator::toWorld(c.latitude, c.longitude)));
        }
        m_marks = std::move(marks);
    }
    const qsizetype points = m_line ? m_line->count() : 0;
    const qsizetype legs = std::max<qsizetype>(0, points - 1);
    const auto runs = size_t((legs + overlay::kTrackRun - 1) / overlay::kTrackRun);
    const qsizetype first = s.frameChanged ? 0 : std::min(m_firstChanged, points);
    m_firstChanged = std::numeric_limits<qsizetype>::max();
    const bool resized = runs != m_runs.size();
    m_runs.resize(runs);
    if (first >= points && !resized)
        return;
    // The run holding the leg that ends at `first` changes too.
    const auto from = size_t(std::max<qsizetype>(0, first - 1) / overlay::kTrackRun);
    for (size_t r = from; r < runs; ++r) {
        auto run = std::make_shared<std::vector<QPointF>>();
        const qsizetype a = qsizetype(r) * overlay::kTrackRun;
        const qsizetype b = std::min(points - 1, a + overlay::kTrackRun);
        run->reserve(size_t(b - a + 1));
        for (qsizetype i = a; i <= b; ++i) {
            const zeltrin::Coordinate c = m_line->at(i);
            run->push_back(s.frame.project(zeltrin::mercator::toWorld(c.latitude, c.longitude)));
        }
        m_runs[r] = std::move(run);
        m_rebuilt.push_back(qsizetype(r));
    }
}

void TrackLayer::updateNodes(OverlayNodes &nodes, bool all) const
{
    RunNodes *runs = RunNodes::in(nodes.slot(OverlayNodes::Track));
    const auto count = qsizetype(m_runs.size());
    // The marks' node is the last: a change in the number of runs makes it anew.
    const bool marksMoved = runs->count() != count + 1;
    runs->resize(count + 1, runNode);
    if (all || marksMoved || m_marksRebuilt) {
        QSGGeometryNode *node = runs->at(count);
        static const std::vector<QPointF> kNoMarks;
        writeDots(node->geometry(), m_marks ? *m_marks : kNoMarks, nodes.devicePixelRatio(), markColour(),
                  markEdgeColour(), kMarkRadius);
        node->markDirty(QSGNode::DirtyGeometry);
    }
    static const std::vector<QPointF> kNoPoints;
    auto push = [&](qsizetype r) {
        QSGGeometryNode *node = runs->at(r);
        writeLines(node->geometry(), legsOf(m_runs[size_t(r)] ? *m_runs[size_t(r)] : kNoPoints),
                   nodes.devicePixelRatio(), trackColour(), kTrackWidth);
        node->markDirty(QSGNode::DirtyGeometry);
    };
    if (all) {
        for (qsizetype r = 0; r < count; ++r)
            push(r);
    } else {
        for (const qsizetype r : m_rebuilt)
            push(r);
    }
}

std::function<void(QPainter *)> TrackLayer::painter() const
{
    return [runs = m_runs, marks = m_marks](QPainter *p) {
        p->setRenderHint(QPainter::Antialiasing, true);
        for (const auto &run : runs) {
            if (!run)
                continue;
            p->setPen(QPen(trackColour(), kTrackWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p->drawPolyline(run->data(), int(run->size()));
        }
        if (!marks || marks->empty())
            return;
        p->setPen(QPen(markEdgeColour(), 1.5));
        p->setBrush(markColour());
        for (const QPointF &c : *marks)
            p->drawEllipse(c, kMarkRadius, kMarkRadius);
    };
}
