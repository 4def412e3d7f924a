#pragma once

#include "MapOverlay.h"
#include "MarkerPainter.h"

#include <QColor>
#include <QImage>

#include <vector>

class QSGGeometry;
class QSGGeometryNode;
class QSGMaterial;
class QSGTransformNode;

// The overlay's vertex data: what each node's geometry holds, written in place.
namespace overlaygeometry {

// Solid lines (the flown track) as feathered quads, coloured per vertex.
void writeLines(QSGGeometry *g, const std::vector<QLineF> &lines, qreal dpr, const QColor &colour, double width);
// Round dots `radius` pixels across the middle, `fill` at the centre shading to an `edge` ring,
// feathered by one device pixel, coloured per vertex like writeLines (the photos on a track).
void writeDots(QSGGeometry *g, const std::vector<QPointF> &centres, qreal dpr, const QColor &fill, const QColor &edge,
               double radius);
// The dash pattern texture that writePieces' quads repeat along their length.
QImage dashPattern(qreal dpr, const QColor &colour, double width);
void writePieces(QSGGeometry *g, const std::vector<PathPiece> &pieces, qreal dpr, double width);
double snap(double v, qreal dpr);
void writeMarkers(QSGGeometry *g, const std::vector<MarkerDraw> &markers, const MarkerAtlas &atlas,
                  MarkerAtlas::StyleKind kind = MarkerAtlas::Plain);
void writeQuad(QSGGeometry *g, const MarkerAtlas::Quad &quad);
// A node owning its geometry and material.
QSGGeometryNode *geometryNode(QSGGeometry *g, QSGMaterial *m);
// Moves an overlay frame's node by `offset`, on whole device pixels.
void setSnappedOffset(QSGTransformNode *node, QPointF offset, qreal dpr);

} // namespace overlaygeometry
