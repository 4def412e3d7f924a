#include "TileMapItem.h"

#include "MarkerPainter.h"
#include "WebMercator.h"

#include <QAccessible>
#include <QStandardPaths>

#include <cmath>

namespace merc = zeltrin::mercator;

TileMapItem::TileMapItem(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptTouchEvents(true);
    setClip(true);
    m_templates[0] = defaultImageryUrlTemplate();
    m_templates[1] = defaultLabelsUrlTemplate();
    m_attribution = defaultAttribution();
    m_loader.setUrlTemplate(0, m_templates[0]);
    m_loader.setUrlTemplate(1, m_templates[1]);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    m_cacheDir = base.isEmpty() ? QString() : base + QStringLiteral("/tiles");
    m_loader.setCacheDirectory(m_cacheDir, 200ll * 1024 * 1024);
    connect(&m_loader, &TileLoader::tileLoaded, this, [this] {
        update();
        Q_EMIT tilesChanged();
    });
    // Areas downloaded or opened while the map is up draw at once.
    connect(&m_loader, &TileLoader::offlineTilesChanged, this, &QQuickItem::polish);
    markerTitleFunction = [](int i) { return QStringLiteral("WP%1").arg(i + 1); };

    m_inertia.setInterval(16);
    connect(&m_inertia, &QTimer::timeout, this, &TileMapItem::stepInertia);

    m_region.centerLatitude = 0;
    m_region.centerLongitude = 0;
    m_region.latitudeSpan = 60;
    m_region.longitudeSpan = 60;
    m_overlay = std::make_shared<OverlayState>();
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

double TileMapItem::zoomLevel() const { return m_cam.zoomLevel(); }

double TileMapItem::meanTileBytes() const
{
    return m_loader.bodiesReceived() > 0 ? double(m_loader.bodyBytesReceived()) / m_loader.bodiesReceived() : 0.0;
}

QVariantMap TileMapItem::boundsOf(QRectF area) const
{
    if (m_cam.width <= 0 || m_cam.height <= 0 || area.isEmpty())
        return {}; // not laid out yet: no area
    double x0 = 1, x1 = 0, y0 = 1, y1 = 0;
    for (const QPointF &corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        const QPointF w = m_cam.screenToWorld(corner);
        x0 = std::min(x0, w.x());
        x1 = std::max(x1, w.x());
        y0 = std::min(y0, w.y());
        y1 = std::max(y1, w.y());
    }
    // One copy of the world: a frame over its edge is cut there.
    x0 = std::clamp(x0, 0.0, 1.0);
    x1 = std::clamp(x1, 0.0, 1.0);
    y0 = std::clamp(y0, 0.0, 1.0);
    y1 = std::clamp(y1, 0.0, 1.0);
    return {{QStringLiteral("south"), merc::latitude(y1)}, {QStringLiteral("west"), merc::longitude(x0)},
            {QStringLiteral("north"), merc::latitude(y0)}, {QStringLiteral("east"), merc::longitude(x1)}};
}

void TileMapItem::setMarkers(CoordinateListModel *m)
{
    if (m_markers == m)
        return;
    if (m_markers)
        m_markers->disconnect(this);
    m_markers = m;
    m_shownSelection = m_markers ? m_markers->marked() : std::nullopt;
    m_previousSelection.reset();
    m_firstChanged = 0;
    if (m_markers) {
        connect(m_markers, &CoordinateListModel::coordinatesChangedFrom, this,
                [this](qsizetype first) { m_firstChanged = std::min(m_firstChanged, first); });
        connect(m_markers, &CoordinateListModel::contentChanged, this, [this] {
            const auto now = m_markers ? m_markers->marked() : std::nullopt;
            if (now != m_shownSelection) {
                // Both runs change: one gets its marker back, the other gives one up.
                markChunkDirty(m_previousSelection);
                markChunkDirty(m_shownSelection);
                markChunkDirty(now);
                m_previousSelection = m_shownSelection;
                m_shownSelection = now;
                m_selectionClock.start();
            }
            update();
            polish();
        });
    }
    Q_EMIT markersChanged();
    update();
}

void TileMapItem::setImageryUrlTemplate(const QString &t)
{
    m_templates[0] = t;
    m_loader.setUrlTemplate(0, t);
    Q_EMIT sourceChanged();
    polish();
    update();
}

void TileMapItem::setLabelsUrlTemplate(const QString &t)
{
    m_templates[1] = t;
    m_loader.setUrlTemplate(1, t);
    Q_EMIT sourceChanged();
    polish();
    update();
}

void TileMapItem::setAttribution(const QString &a)
{
    m_attribution = a;
    Q_EMIT sourceChanged();
}

void TileMapItem::setCacheDirectory(const QString &dir)
{
    m_cacheDir = dir;
    m_loader.setCacheDirectory(dir, 200ll * 1024 * 1024);
    Q_EMIT sourceChanged();
}

void TileMapItem::setOfflineTiles(OfflineTileSource *source)
{
    if (m_loader.offlineSource() == source)
        return;
    m_loader.setOfflineSource(source);
    Q_EMIT sourceChanged();
    polish();
}

void TileMapItem::setMaxConcurrentRequests(int n)
{
    m_loader.setMaxConcurrent(n);
    Q_EMIT sourceChanged();
}

void TileMapItem::applyRegion()
{
    m_cam.width = width();
    m_cam.height = height();
    if (width() <= 0 || height() <= 0)
        return;
    const double lat = std::clamp(m_region.centerLatitude, -merc::kMaxLatitude, merc::kMaxLatitude);
    m_cam.cx = merc::worldX(m_region.centerLongitude);
    m_cam.cy = merc::worldY(lat);
    const double spanX = m_region.longitudeSpan / 360.0;
    const double spanY = std::abs(merc::worldY(lat - m_region.latitudeSpan / 2)
                                  - merc::worldY(lat + m_region.latitudeSpan / 2));
    // Fit the whole region, as a map view does.
    double scale = width() / spanX;
    if (spanY > 0)
        scale = std::min(scale, height() / spanY);
    m_cam.scale = std::clamp(scale, MapCamera::kMinScale, MapCamera::kMaxScale);
    m_cameraValid = true;
    polish();
    update();
}

void TileMapItem::updateRegionFromCamera()
{
    m_cam.normalise(); // wraps around the date line
    m_region.centerLongitude = merc::longitude(m_cam.cx);
    m_region.centerLatitude = merc::latitude(m_cam.cy);
    m_region.longitudeSpan = width() / m_cam.scale * 360.0;
    const double half = height() / m_cam.scale / 2;
    m_region.latitudeSpan = merc::latitude(m_cam.cy - half) - merc::latitude(m_cam.cy + half);
}

void TileMapItem::cameraMoved(bool byGesture)
{
    updateRegionFromCamera();
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
    const QPointF nw = merc::toWorld(north, west), se = merc::toWorld(south, east);
    // A single point (or a line along one axis) gets a street-level view, not infinite zoom.
    constexpr double kMinSpan = 256.0 / (256.0 * (1 << 17));
    const double dx = std::max(se.x() - nw.x(), kMinSpan), dy = std::max(se.y() - nw.y(), kMinSpan);
    m_cam.width = width();
    m_cam.height = height();
    m_cam.bearing = 0;
    m_cam.scale = std::clamp(std::min(area.width() / dx, area.height() / dy), MapCamera::kMinScale, MapCamera::kMaxScale);
    // The bounds' centre goes to the area's centre.
    const QPointF offset = (area.center() - QPointF(width() / 2, height() / 2)) / m_cam.scale;
    m_cam.cx = (nw.x() + se.x()) / 2 - offset.x();
    m_cam.cy = (nw.y() + se.y()) / 2 - offset.y();
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

QPointF TileMapItem::coordinateToPoint(double latitude, double longitude) const
{
    return m_cam.worldToScreen(merc::toWorld(latitude, longitude));
}

int TileMapItem::markerAt(QPointF point) const
{
    if (!m_markers)
        return -1;
    const auto &list = m_markers->coordinates();
    const auto marked = m_markers->marked();
    // Later markers are drawn on top, so search from the end.
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        const QPointF s = coordinateToPoint(list[i].latitude, list[i].longitude);
        const double r = marker::hitRadius(marked && *marked == i);
        const QPointF d = s - point;
        if (d.x() * d.x() + d.y() * d.y() <= r * r)
            return int(i);
    }
    return -1;
}

double TileMapItem::selectionAmount(qsizetype index) const
{
    double t = 1.0;
    if (m_selectionClock.isValid()) {
        const double x = std::min(1.0, double(m_selectionClock.elapsed()) / double(kSelectionMs));
        t = 1.0 - std::pow(1.0 - x, 3); // ease out
    }
    if (m_shownSelection && *m_shownSelection == index)
        return t;
    if (m_previousSelection && *m_previousSelection == index)
        return 1.0 - t;
    return 0.0;
}

QString TileMapItem::markerTitle(int index) const
{
    return markerTitleFunction ? markerTitleFunction(index) : QString();
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
    requestTiles();
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
    QList<int> onScreen;
    if (m_markers && m_cameraValid) {
        const auto &list = m_markers->coordinates();
        const QRectF area = boundingRect();
        constexpr int kMaxExposed = 200;
        for (qsizetype i = 0; i < list.size() && onScreen.size() < kMaxExposed; ++i)
            if (area.contains(coordinateToPoint(list[i].latitude, list[i].longitude)))
                onScreen.append(int(i));
    }
    if (onScreen != m_accessibleMarkers) {
        m_accessibleMarkers = onScreen;
        Q_EMIT accessibleMarkersChanged();
    }
}

void TileMapItem::requestTiles()
{
    if (!m_cameraValid || width() <= 0 || height() <= 0)
        return;
    const TileRange r = TileRange::covering(m_cam, m_cam.tileZoom());
    const int n = 1 << r.z;
    QList<TileKey> wanted;
    wanted.reserve(2 * r.count());
    // Imagery before labels, centre tiles first.
    const int mx = (r.x0 + r.x1) / 2, my = (r.y0 + r.y1) / 2;
    for (int layer = 0; layer < 2; ++layer) {
        const qsizetype start = wanted.size();
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x)
                wanted.append({layer, r.z, ((x % n) + n) % n, y});
        std::sort(wanted.begin() + start, wanted.end(), [&](const TileKey &a, const TileKey &b) {
            return std::abs(a.x - mx) + std::abs(a.y - my) < std::abs(b.x - mx) + std::abs(b.y - my);
        });
    }
    m_visibleTiles = int(wanted.size() / 2);
    m_loader.request(wanted);
}

