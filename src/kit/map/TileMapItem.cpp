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
        update();
        Q_EMIT tilesChanged();
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
    Q_EMIT sourceChanged();
    polish();
    update();
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
    if (!area.isValid() || area.isEmpty())
        area = QRectF(0, 0, width(), height());
    m_cam.width = width();
    m_cam.height = height();
    m_cam.fitBounds(south, west, north, east, area);
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
        // The software renderer draws no geometry nodes: the layers paint the same data, the
        // track between the path and the markers.
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
    // Here the track goes over the resting markers and under the selected ones (the slots' order).
    nodes->setOffset(offset);
    m_footprints.updateNodes(*nodes, all);
    m_markers.updateNodes(*nodes, all);
    m_track.updateNodes(*nodes, all);
    m_vehicles.updateNodes(*nodes);
    return root;
}

MapGestureRecognizer::Reports TileMapItem::gestureReports()
{
    MapGestureRecognizer::Reports r;
    r.contact = [this] { m_inertia.stop(); };
    r.pan = [this](QPointF d) { panBy(d.x(), d.y()); };
    r.zoom = [this](double factor, QPointF anchor) { zoomBy(factor, anchor); };
    r.rotate = [this](double degrees) { rotateBy(degrees); };
    r.fling = [this](QPointF velocity) {
        m_velocity = velocity;
        m_inertia.start();
    };
    r.tap = [this](QPointF at) {
        const int marker = markerAt(at);
        if (marker >= 0) {
            m_gestures.forgetTap(); // a marker tap is no first half of a double tap
            Q_EMIT markerTapped(marker);
            return;
        }
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapTapped(c.latitude, c.longitude);
    };
    r.doubleTap = [this](QPointF at) {
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapDoubleTapped(c.latitude, c.longitude);
        zoomBy(2.0, at);
    };
    r.longPress = [this](QPointF at) {
        if (markerAt(at) >= 0)
            return;
        const zeltrin::Coordinate c = m_cam.coordinateAt(at);
        Q_EMIT mapLongPressed(c.latitude, c.longitude);
    };
    return r;
}

void TileMapItem::stepInertia()
{
    m_velocity *= 0.92;
    if (QLineF(QPointF(), m_velocity).length() < 0.02) {
        m_inertia.stop();
        return;
    }
    panBy(m_velocity.x() * 16, m_velocity.y() * 16);
}

// A drag or a pinch keeps the grab from the items under the map (a flickable sheet, say).
void TileMapItem::keepGrabs()
{
    setKeepMouseGrab(m_gestures.dragging());
    setKeepTouchGrab(m_gestures.dragging() || m_gestures.pinching());
}

void TileMapItem::mousePressEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
    e->accept();
}

void TileMapItem::mouseMoveEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
}

void TileMapItem::mouseReleaseEvent(QMouseEvent *e)
{
    m_gestures.mouseEvent(*e);
    keepGrabs();
}

void TileMapItem::mouseUngrabEvent()
{
    m_gestures.cancelPointer();
    keepGrabs();
}

void TileMapItem::touchEvent(QTouchEvent *e)
{
    m_gestures.touchEvent(*e);
    keepGrabs();
    e->accept();
}

void TileMapItem::touchUngrabEvent()
{
    m_gestures.cancelTouch();
    keepGrabs();
}

void TileMapItem::wheelEvent(QWheelEvent *e)
{
    m_gestures.wheelEvent(*e);
    e->accept();
}
