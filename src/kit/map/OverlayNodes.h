#pragma once

#include "MapOverlay.h"
#include "MarkerPainter.h"

#include <QSGNode>
#include <QSGRenderNode>
#include <QSGTransformNode>

#include <functional>
#include <memory>
#include <vector>

class QQuickWindow;
class QSGGeometryNode;
class QSGOpacityNode;
class QSGTexture;

// The path, the markers and the graticule as scene-graph geometry in an overlay frame: vertex
// buffers that change only with the data or the frame, under a transform node that a pan moves.
// Runs of markers are separate nodes, so an edit re-uploads only its runs; they share one
// material state (the marker atlas), so the renderer batches them.
class OverlayNodes : public QSGTransformNode
{
public:
    OverlayNodes(QQuickWindow *window, qreal dpr);
    ~OverlayNodes() override;

    qreal devicePixelRatio() const { return m_atlas.devicePixelRatio(); }
    void setOffset(QPointF offset);
    // Makes run `c`'s nodes show `chunk`; runs past `count` are removed.
    void setChunk(qsizetype c, const OverlayChunk &chunk);
    void setChunkCount(qsizetype count);
    // The selected marker, and the one just deselected while it fades, over every run (frame
    // pixels; `selected` is how far each is into its selected look).
    void setSelection(const std::vector<MarkerDraw> &markers);
    // Makes run `r` of the flown track show `points` (a polyline); runs past `count` are removed.
    void setTrackRunCount(qsizetype count);
    void setTrackRun(qsizetype r, const std::vector<QPointF> &points);
    // The home point and the aircraft: atlas quads that a move only re-places.
    void setVehicles(const VehicleDraw &v);

private:
    // One marker over the runs: its plain and its selected look, each scaled and faded.
    struct Lifted {
        QSGNode *root = nullptr;
        QSGOpacityNode *fade[2] = {nullptr, nullptr};
        QSGTransformNode *place[2] = {nullptr, nullptr};
        QSGGeometryNode *quads[2] = {nullptr, nullptr};
        int number = -1;
    };
    QSGGeometryNode *atlasNode();
    struct Run {
        QSGGeometryNode *path = nullptr;
        QSGGeometryNode *markers = nullptr;
    };
    QQuickWindow *m_window;
    MarkerAtlas m_atlas;
    QSGTexture *m_atlasTexture = nullptr;
    QSGTexture *m_dashTexture = nullptr;
    QSGNode *m_paths = nullptr;
    QSGNode *m_markers = nullptr;
    QSGNode *m_lifted = nullptr;
    QSGNode *m_track = nullptr;
    QSGTransformNode *m_home = nullptr, *m_aircraft = nullptr; // their quads as children
    VehicleDraw m_shownVehicles;
    std::vector<Run> m_runs;
    std::vector<Lifted> m_liftedMarkers;
};

// The graticule's lines in an overlay frame, under the tiles.
class GraticuleNode : public QSGTransformNode
{
public:
    GraticuleNode();
    void setOffset(QPointF offset, qreal dpr);
    void setLines(const std::vector<QLineF> &lines);

private:
    QSGGeometryNode *m_lines;
};

// A layer painted with QPainter straight into the software renderer's painter each frame.
class PainterLayerNode : public QSGRenderNode
{
public:
    std::function<void(QPainter *)> paint;
    QRectF bounds;
    QQuickWindow *window = nullptr;

    void render(const RenderState *state) override;
    StateFlags changedStates() const override { return {}; }
    RenderingFlags flags() const override { return BoundedRectRendering; }
    QRectF rect() const override { return bounds; }
};

namespace overlay {
// What the software renderer draws of the same data, translated by `offset`.
void paintGraticule(QPainter *p, const std::vector<QLineF> &lines);
void paintPath(QPainter *p, const std::vector<PathPiece> &pieces);
void paintMarkers(QPainter *p, const std::vector<MarkerDraw> &markers);
void paintTrack(QPainter *p, const std::vector<QPointF> &points);
void paintVehicles(QPainter *p, const VehicleDraw &v);
} // namespace overlay
