#include "TileMapItem.h"

#include "OverlayNodes.h"
#include "PainterLayerNode.h"

#include <QAccessible>
#include <QLineF>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <array>
#include <cmath>

namespace {

// The tiles' nodes, then the overlay's. A transform node (identity), not a plain one: the
// software renderer re-places a changed node's subtree from its direct parent's recorded state,
// and records none for plain nodes.
class MapRootNode : public QSGTransformNode
{
public:
    QSGNode *tiles = nullptr;
    QSGNode *overlay = nullptr;
};

} // namespace

TileMapItem::TileMapItem(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::LeftButton);
    // The item takes touch itself, so no mouse events are synthesised for a finger.
    setAcceptTouchEvents(true);
    setClip(true);
    connect(&m_tiles.loader(), &TileLoader::tileLoaded, this, [this] {
        m_imageryFailedUnanswered = false;
        updateImageryState();
        update();
        Q_EMIT tilesChanged();
    });
    connect(&m_tiles.loader(), &TileLoader::tileFailed, this, [this](int layer, bool answered) {
        if (layer != 0)
            return;
        m_imageryFailedUnanswered = !answered;
        updateImageryState();
    });
    // Areas downloaded or opened while the map is up draw at once.
    connect(&m_tiles.loader(), &TileLoader::offlineTilesChanged, this, &QQuickItem::polish);
    markerTitleFunction = [](int i) { return QStringLiteral("WP%1").arg(i + 1); };

    m_inertia.setInterval(16);
    connect(&m_inertia, &QTimer::timeout, this, &TileMapItem::stepInertia);
}

TileMapItem::~TileMapItem() = default;

void TileMapItem::setRegion(const MapRegion &r)
{
    if (r == m_region && m_cameraValid)
        return;
    if (!std::isfinite(r.centerLatitude) || !std::isfinite(r.centerLongitude) || !(r.latitudeSpan > 0)
        || !(r.longitudeSpan > 0) || !std::isfinite(r.latitudeSpan) || !std::isfinite(r.longitudeSpan))
        return; // not a region: keep the camera where it is
    m_region = r;
    m_cameraValid = false;
    m_framing.dropFit(); // placed where asked: nothing to fit again
    applyRegion();
    Q_EMIT regionChanged();
}

void TileMapItem::setBearing(double degrees)
{
    if (!std::isfinite(degrees))
        return;
    m_cam.bearing = std::fmod(degrees, 360.0);
    Q_EMIT bearingChanged();
    polish();
    update();
}

QVariantMap TileMapItem::boundsOf(QRectF area) const
{
    if (m_cam.width <= 0 || m_cam.height <= 0 || area.isEmpty())
        return {}; // not laid out yet: no area
    const MapCamera::Bounds b = m_cam.boundsOf(area);
    return {{QStringLiteral("south"), b.south},
            {QStringLiteral("west"), b.west},
            {QStringLiteral("north"), b.north},
            {QStringLiteral("east"), b.east}};
}

void TileMapItem::setMarkers(CoordinateListModel *m)
{
    if (m_markers.model() == m)
        return;
    m_markers.setModel(m);
    Q_EMIT markersChanged();
    update();
}

void TileMapItem::setUrlTemplate(int layer, const QString &t)
{
    m_tiles.setUrlTemplate(layer, t);
    if (layer == 0)
        m_imageryFailedUnanswered = false;
    updateImageryState();
    Q_EMIT sourceChanged();
    polish();
    update();
}

void TileMapItem::updateImageryState()
{
    const bool shown = m_cameraValid && m_tiles.imageryShown(m_cam);
    const bool unreachable = !shown && m_imageryFailedUnanswered && !imageryUrlTemplate().isEmpty();
    if (shown == m_imageryShown && unreachable == m_imageryUnreachable)
        return;
    m_imageryShown = shown;
    m_imageryUnreachable = unreachable;
    Q_EMIT imageryStateChanged();
}

void TileMapItem::setViewArea(QRectF area)
{
    if (!m_framing.setViewArea(area))
        return;
    Q_EMIT viewAreaChanged();
    refit();
    follow();
}

void TileMapItem::setFollowsAircraft(bool on)
{
    if (!m_framing.setFollows(on))
        return;
    Q_EMIT followsAircraftChanged();
    follow();
}

// What was fitted into the view area is fitted again into its new shape.
void TileMapItem::refit()
{
    if (const auto b = m_framing.toRefit(); b && width() > 0 && height() > 0)
        fitInView(*b, m_framing.usableArea(size()));
}

// While following, an aircraft outside the view area is brought back to its middle.
void TileMapItem::follow()
{
    if (!m_cameraValid || !m_vehicles.state().showsAircraft)
        return;
    const QPointF at = coordinateToPoint(aircraftLatitude(), aircraftLongitude());
    if (const auto d = m_framing.followPan(at, size()))
        panBy(d->x(), d->y());
}

void TileMapItem::setAttribution(const QString &a)
{
    m_tiles.setAttribution(a);
    Q_EMIT sourceChanged();
}

void TileMapItem::setCacheDirectory(const QString &dir)
{
    m_tiles.setCacheDirectory(dir);
    Q_EMIT sourceChanged();
}

void TileMapItem::setOfflineTiles(OfflineTileSource *source)
{
    if (offlineTiles() == source)
        return;
    m_tiles.loader().setOfflineSource(source);
    Q_EMIT sourceChanged();
    polish();
}

void TileMapItem::setMaxConcurrentRequests(int n)
{
    m_tiles.loader().setMaxConcurrent(n);
    Q_EMIT sourceChanged();
}

void TileMapItem::setTrack(TrackLine *t)
{
    if (m_track.line() == t)
        return;
    m_track.setLine(t);
    Q_EMIT trackChanged();
    update();
}

qreal TileMapItem::devicePixelRatio() const
{
    return window() ? window()->effectiveDevicePixelRatio() : 1.0;
}

void TileMapItem::vehiclesMoved()
{
    Q_EMIT vehiclesChanged();
    follow();
    if (m_vehicles.needsFrame(m_frame, m_cam.bearing, devicePixelRatio()))
        update();
}

void TileMapItem::applyRegion()
{
    m_cam.width = width();
    m_cam.height = height();
    if (width() <= 0 || height() <= 0)
        return;
    m_cam.fitRegion(m_region);
    m_cameraValid = true;
    polish();
    update();
}

void TileMapItem::cameraMoved(bool byGesture)
{
    m_region = m_cam.region();
    Q_EMIT regionChanged();
    if (byGesture)
        Q_EMIT regionMoved();
    polish();
    update();
}

void TileMapItem::fitBounds(double south, double west, double north, double east, QRectF area)
{
    if (!std::isfinite(south) || !std::isfinite(west) || !std::isfinite(north) || !std::isfinite(east)
        || width() <= 0 || height() <= 0)
        return;
    const MapCamera::Bounds b{south, west, north, east};
    const bool inView = !area.isValid() || area.isEmpty();
    m_framing.fitted(inView ? std::optional(b) : std::nullopt);
    fitInView(b, inView ? m_framing.usableArea(size()) : area);
}

void TileMapItem::fitInView(const MapCamera::Bounds &b, QRectF area)
{
    m_cam.width = width();
    m_cam.height = height();
    m_cam.fitBounds(b.south, b.west, b.north, b.east, area);
    m_cameraValid = true;
    Q_EMIT bearingChanged();
    cameraMoved(true);
}

void TileMapItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    m_cam.width = width();
    m_cam.height = height();
    if (!m_cameraValid)
        applyRegion();
    else if (newGeometry.size() != oldGeometry.size())
        refit();
    polish();
    update();
}

void TileMapItem::panBy(double dx, double dy)
{
    m_cam.pan(dx, dy);
    cameraMoved(true);
}

void TileMapItem::zoomBy(double factor, QPointF anchor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    // Keep the point under the fingers where it was.
    m_cam.zoomAround(factor, anchor);
    cameraMoved(true);
}

void TileMapItem::rotateBy(double degrees)
{
    if (!std::isfinite(degrees))
        return;
    m_cam.bearing = std::fmod(m_cam.bearing + degrees, 360.0);
    Q_EMIT bearingChanged();
    cameraMoved(true);
}

void TileMapItem::updatePolish()
{
    if (m_cameraValid && width() > 0 && height() > 0)
        m_tiles.request(m_cam);
    updateImageryState();
    updateAccessibleMarkers();
}

void TileMapItem::setExposesMarkers(bool on)
{
    m_exposeMarkers = on;
    updateAccessibleMarkers();
    Q_EMIT accessibleMarkersChanged();
}

void TileMapItem::updateAccessibleMarkers()
{
    if (!m_exposeMarkers && !QAccessible::isActive())
        return;
    constexpr int kMaxExposed = 200;
    const QList<int> onScreen = m_cameraValid ? m_markers.markersIn(m_cam, boundingRect(), kMaxExposed) : QList<int>();
    if (onScreen != m_accessibleMarkers) {
        m_accessibleMarkers = onScreen;
        Q_EMIT accessibleMarkersChanged();
    }
}

// The layers bring their nodes up to date while the GUI thread waits.
QSGNode *TileMapItem::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    auto *root = static_cast<MapRootNode *>(old);
    LayerSync s;
    s.window = window();
    s.dpr = s.window->effectiveDevicePixelRatio();
    s.software = s.window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
    s.placed = m_cameraValid;
    s.cam = m_cam;
    s.bounds = boundingRect();
    if (m_cameraValid) {
        // Panning only moves what was built, until the frame no longer covers the view.
        s.frameChanged = !m_frame.covers(m_cam);
        if (s.frameChanged)
            m_frame = OverlayFrame::around(m_cam);
        s.frame = m_frame;
    }
    if (!root) {
        root = new MapRootNode;
        root->tiles = m_tiles.updateNode(nullptr, s);
        root->appendChildNode(root->tiles);
        root->overlay = new QSGNode;
        root->appendChildNode(root->overlay);
    } else {
        m_tiles.updateNode(root->tiles, s);
    }
    if (!m_cameraValid)
        return root;
    m_footprints.sync(s);
    m_markers.sync(s);
    m_track.sync(s);
    m_vehicles.sync(s);
    const QPointF offset = s.offset();

    if (s.software) {
        // The software renderer draws no geometry nodes: the layers paint the same data in the
        // same order, the track between the path and the markers.
        PainterLayerNode::in(root->overlay, s.window, s.bounds)->paint =
            [offset,
             layers = std::array{m_footprints.painter(), m_markers.pathPainter(), m_track.painter(),
                                 m_markers.markerPainter(), m_vehicles.painter()}](QPainter *p) {
                p->translate(offset);
                for (const auto &paint : layers)
                    paint(p);
            };
        return root;
    }
    bool all = false; // the nodes are new: every run goes in
    OverlayNodes *nodes = OverlayNodes::in(root->overlay, s.window, s.dpr, &all);
    // The slots' order: path, track, markers, the selected marker, the vehicles.
    nodes->setOffset(offset);
    m_footprints.updateNodes(*nodes, all);
    m_markers.updateNodes(*nodes, all);
    m_track.updateNodes(*nodes, all);
    m_vehicles.updateNodes(*nodes);
    return root;
}
