#include "TileMapItem.h"

#include "Palette.h"
#include "WebMercator.h"

#include <QAccessible>
#include <QFont>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QRadialGradient>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGRenderNode>
#include <QSGRendererInterface>
#include <QSGTransformNode>
#include <QStandardPaths>
#include <QStyleHints>
#include <QGuiApplication>

#include <cmath>
#include <numbers>

#ifndef ZELTRIN_TILE_IMAGERY_URL
#define ZELTRIN_TILE_IMAGERY_URL ""
#endif
#ifndef ZELTRIN_TILE_LABELS_URL
#define ZELTRIN_TILE_LABELS_URL ""
#endif
#ifndef ZELTRIN_TILE_ATTRIBUTION
#define ZELTRIN_TILE_ATTRIBUTION ""
#endif

namespace merc = zeltrin::mercator;

namespace {

constexpr double kTileSize = 256.0;
constexpr int kMaxZoom = 19;
constexpr double kMinScale = 256.0;                  // whole world in one tile
constexpr double kMaxScale = 256.0 * (1 << 21);
constexpr qreal kTapSlop = 8;
constexpr int kDoubleTapMs = 250;
constexpr qreal kDoubleTapSlop = 40;
constexpr qsizetype kChunk = 64;
constexpr double kMarkerCull = 24; // px beyond the edges still drawn (marker radius + shadow)
constexpr double kPathMargin = 8; // px beyond the edges the path is still cut into dashes
constexpr qint64 kSelectionMs = 300; // stand-in for a spring of response 0.3 s, damping 0.825
const QColor kGraticuleBackground(0x14, 0x18, 0x1F);
const QColor kGraticuleLine(255, 255, 255, 26);

// What the overlay layers draw, computed while the GUI thread is blocked (sync).
struct MarkerDraw {
    QPointF pos;
    int number;
    double selected; // 0 plain, 1 selected; between while the selection animates
};
struct PathRun {
    QPolygonF points;
    double startLength; // path length before the run, for the dash phase
};

void paintGraticule(QPainter *p, const QList<QLineF> &lines)
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(QPen(kGraticuleLine, 1));
    p->drawLines(lines.constData(), int(lines.size()));
}

// The part of segment a→b inside `clip`, as distances from a (Liang–Barsky); false if none.
bool clipSegment(QPointF a, QPointF b, const QRectF &clip, double len, double *from, double *to)
{
    double t0 = 0, t1 = 1;
    const double d[2] = {b.x() - a.x(), b.y() - a.y()};
    const double lo[2] = {clip.left() - a.x(), clip.top() - a.y()};
    const double hi[2] = {clip.right() - a.x(), clip.bottom() - a.y()};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (lo[k] > 0 || hi[k] < 0)
                return false;
            continue;
        }
        double e0 = lo[k] / d[k], e1 = hi[k] / d[k];
        if (e0 > e1)
            std::swap(e0, e1);
        t0 = std::max(t0, e0);
        t1 = std::min(t1, e1);
        if (t0 >= t1)
            return false;
    }
    *from = t0 * len;
    *to = t1 * len;
    return true;
}

// The dashes (5 on, 5 off from the path's start) are cut here and drawn as plain lines in one
// call: much cheaper than the painter's general dasher. Each leg is first clipped to `clip`, so
// a leg far longer than the screen costs only its visible dashes, and the phase is taken from
// the leg's true start, so it stays put while panning.
QList<QLineF> dashSegments(const QList<PathRun> &runs, const QRectF &clip)
{
    constexpr double kOn = 5, kPeriod = 10;
    QList<QLineF> dashes;
    for (const PathRun &r : runs) {
        double along = r.startLength;
        for (qsizetype i = 1; i < r.points.size(); ++i) {
            const QPointF a = r.points[i - 1], b = r.points[i];
            const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
            double t = 0, stop = 0;
            if (len > 0 && std::isfinite(len) && clipSegment(a, b, clip, len, &t, &stop)) {
                while (t < stop) {
                    const double phase = std::fmod(along + t, kPeriod);
                    if (phase < kOn) {
                        const double end = std::min(stop, t + (kOn - phase));
                        dashes.append(QLineF(a + (b - a) * (t / len), a + (b - a) * (end / len)));
                        t = end;
                    } else {
                        t = std::min(stop, t + (kPeriod - phase));
                    }
                }
            }
            along += len;
        }
    }
    return dashes;
}

void paintPath(QPainter *p, const QList<QLineF> &dashes)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    QPen pen(zeltrin::palette().themeGold, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    p->setPen(pen);
    p->drawLines(dashes.constData(), int(dashes.size()));
}

void paintMarker(QPainter *p, const MarkerDraw &m);

// Settled markers are drawn from cached images; painting circles, shadows and text for every
// marker on every frame would dominate the frame time of a long mission.
QImage markerSprite(int number, bool selected, qreal dpr)
{
    static QMutex mutex;
    static QHash<quint64, QImage> cache;
    const quint64 key = (quint64(number) << 8) | (selected ? 1 : 0) | (quint64(qRound(dpr * 4)) << 1);
    QMutexLocker lock(&mutex);
    if (auto it = cache.constFind(key); it != cache.cend())
        return it.value();
    if (cache.size() > 2048)
        cache.clear();
    constexpr int kSize = 48;
    QImage img(QSize(kSize, kSize) * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    {
        QPainter ip(&img);
        paintMarker(&ip, {QPointF(kSize / 2.0, kSize / 2.0), number, selected ? 1.0 : 0.0});
    }
    cache.insert(key, img);
    return img;
}

void paintMarkers(QPainter *p, const QList<MarkerDraw> &markers)
{
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    for (const MarkerDraw &m : markers) {
        if (m.selected <= 0 || m.selected >= 1) {
            const QImage sprite = markerSprite(m.number, m.selected >= 1, dpr);
            p->drawImage(QPointF(m.pos.x() - 24, m.pos.y() - 24), sprite);
        } else {
            paintMarker(p, m);
        }
    }
}

void paintMarker(QPainter *p, const MarkerDraw &m)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    const auto &pal = zeltrin::palette();
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setBold(true);
    QColor unselected = pal.themeGold;
    unselected.setAlphaF(0.9f);
    {
        const double t = m.selected;
        const double d = 28 + 6 * t;
        const double r = d / 2;
        const double blur = 4 + 2 * t;
        // Soft shadow, black at 33 %, no offset.
        QRadialGradient g(m.pos, r + blur);
        g.setColorAt(0, QColor(0, 0, 0, 84));
        g.setColorAt(r / (r + blur), QColor(0, 0, 0, 84));
        g.setColorAt(1, QColor(0, 0, 0, 0));
        p->setPen(Qt::NoPen);
        p->setBrush(g);
        p->drawEllipse(m.pos, r + blur, r + blur);
        QColor fill = pal.themeGold;
        fill.setAlphaF(float(0.9 + 0.1 * t));
        p->setBrush(t >= 1 ? pal.themeGold : (t <= 0 ? unselected : fill));
        p->drawEllipse(m.pos, r, r);
        if (t > 0) {
            // The ring sits on the selected circle's edge (diameter 34).
            QColor ring = Qt::white;
            ring.setAlphaF(float(t));
            p->setBrush(Qt::NoBrush);
            p->setPen(QPen(ring, 2));
            p->drawEllipse(m.pos, r, r);
        }
        font.setPixelSize(t >= 0.5 ? 14 : 12);
        p->setFont(font);
        p->setPen(pal.themeBackground);
        p->drawText(QRectF(m.pos.x() - r, m.pos.y() - r, d, d), Qt::AlignCenter, QString::number(m.number));
    }
}

// A layer painted with QPainter. With the software scene graph it paints straight into the
// window's painter each frame (no intermediate image); other backends get a texture.
class PainterLayerNode : public QSGRenderNode
{
public:
    std::function<void(QPainter *)> paint;
    QRectF bounds;
    QQuickWindow *window = nullptr;

    void render(const RenderState *state) override
    {
        auto *p = static_cast<QPainter *>(window->rendererInterface()->getResource(
            window, QSGRendererInterface::PainterResource));
        if (!p || !paint)
            return;
        p->save();
        p->setTransform(matrix()->toTransform());
        p->setOpacity(inheritedOpacity());
        if (const QRegion *clip = state->clipRegion(); clip && !clip->isEmpty())
            p->setClipRegion(*clip, Qt::ReplaceClip);
        paint(p);
        p->restore();
    }
    StateFlags changedStates() const override { return {}; }
    RenderingFlags flags() const override { return BoundedRectRendering; }
    QRectF rect() const override { return bounds; }
};

bool isSoftware(QQuickWindow *w)
{
    return w->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

// Builds or refreshes one painted layer in place of `old`.
QSGNode *paintedLayer(QSGNode *old, QQuickWindow *window, const QRectF &bounds,
                      std::function<void(QPainter *)> paint)
{
    if (isSoftware(window)) {
        auto *node = static_cast<PainterLayerNode *>(old);
        if (!node) {
            node = new PainterLayerNode;
            node->window = window;
        }
        node->bounds = bounds;
        node->paint = std::move(paint);
        node->markDirty(QSGNode::DirtyMaterial);
        return node;
    }
    auto *node = static_cast<QSGImageNode *>(old);
    if (!node)
        node = window->createImageNode();
    const qreal dpr = window->effectiveDevicePixelRatio();
    QImage img((bounds.size() * dpr).toSize().expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        paint(&p);
    }
    node->setTexture(window->createTextureFromImage(img));
    node->setOwnsTexture(true);
    node->setRect(bounds);
    return node;
}

// Tile nodes kept by key, so a tile's texture is made once while it stays on screen.
class TileLayerNode : public QSGNode
{
public:
    QHash<TileKey, QSGImageNode *> tiles;
};

// The item's node tree: background, graticule, transform { imagery, labels }, path, markers.
class MapRootNode : public QSGNode
{
public:
    QSGRectangleNode *background = nullptr;
    QSGNode *graticule = nullptr;
    QSGTransformNode *tileTransform = nullptr;
    TileLayerNode *layers[2] = {nullptr, nullptr};
    QSGNode *path = nullptr;
    QSGNode *markers = nullptr;
    QSGNode *pathSlot = nullptr;
    QSGNode *markerSlot = nullptr;
    QSGNode *graticuleSlot = nullptr;
};

} // namespace

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
    markerTitleFunction = [](int i) { return QStringLiteral("WP%1").arg(i + 1); };

    m_inertia.setInterval(16);
    connect(&m_inertia, &QTimer::timeout, this, &TileMapItem::stepInertia);

    m_region.centerLatitude = 0;
    m_region.centerLongitude = 0;
    m_region.latitudeSpan = 60;
    m_region.longitudeSpan = 60;
}

TileMapItem::~TileMapItem() = default;

QString TileMapItem::defaultImageryUrlTemplate() { return QStringLiteral(ZELTRIN_TILE_IMAGERY_URL); }
QString TileMapItem::defaultLabelsUrlTemplate() { return QStringLiteral(ZELTRIN_TILE_LABELS_URL); }
QString TileMapItem::defaultAttribution() { return QStringLiteral(ZELTRIN_TILE_ATTRIBUTION); }

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
    m_bearing = std::fmod(degrees, 360.0);
    Q_EMIT bearingChanged();
    polish();
    update();
}

double TileMapItem::zoomLevel() const { return std::log2(m_cam.scale / kTileSize); }

void TileMapItem::setMarkers(CoordinateListModel *m)
{
    if (m_markers == m)
        return;
    if (m_markers)
        m_markers->disconnect(this);
    m_markers = m;
    m_shownSelection = m_markers ? m_markers->marked() : std::nullopt;
    m_worldDirty = true;
    if (m_markers)
        connect(m_markers, &CoordinateListModel::contentChanged, this, [this] {
            const auto now = m_markers ? m_markers->marked() : std::nullopt;
            m_worldDirty = true;
            if (now != m_shownSelection) {
                m_previousSelection = m_shownSelection;
                m_shownSelection = now;
                m_selectionClock.start();
            }
            update();
            polish();
        });
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

void TileMapItem::setMaxConcurrentRequests(int n)
{
    m_loader.setMaxConcurrent(n);
    Q_EMIT sourceChanged();
}

void TileMapItem::applyRegion()
{
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
    m_cam.scale = std::clamp(scale, kMinScale, kMaxScale);
    m_cameraValid = true;
    polish();
    update();
}

void TileMapItem::updateRegionFromCamera()
{
    m_cam.cx = m_cam.cx - std::floor(m_cam.cx); // wrap around the date line
    m_cam.cy = std::clamp(m_cam.cy, 0.0, 1.0);
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

void TileMapItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (!m_cameraValid)
        applyRegion();
    polish();
    update();
}

QPointF TileMapItem::worldToScreen(double wx, double wy) const
{
    // Nearest copy of the world horizontally, so markers near the date line stay put.
    double dx = wx - m_cam.cx;
    dx -= std::round(dx);
    const double x = dx * m_cam.scale;
    const double y = (wy - m_cam.cy) * m_cam.scale;
    const double a = -m_bearing * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    return {width() / 2 + x * c - y * s, height() / 2 + x * s + y * c};
}

QPointF TileMapItem::screenToWorld(QPointF p) const
{
    const double x = p.x() - width() / 2, y = p.y() - height() / 2;
    const double a = m_bearing * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    return {m_cam.cx + (x * c - y * s) / m_cam.scale, m_cam.cy + (x * s + y * c) / m_cam.scale};
}

QPointF TileMapItem::coordinateToPoint(double latitude, double longitude) const
{
    return worldToScreen(merc::worldX(longitude), merc::worldY(latitude));
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
        const double r = (marked && *marked == i) ? 17 : 14;
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
    const double a = m_bearing * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    m_cam.cx -= (dx * c - dy * s) / m_cam.scale;
    m_cam.cy -= (dx * s + dy * c) / m_cam.scale;
    cameraMoved(true);
}

void TileMapItem::zoomBy(double factor, QPointF anchor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    const QPointF before = screenToWorld(anchor);
    m_cam.scale = std::clamp(m_cam.scale * factor, kMinScale, kMaxScale);
    const QPointF after = screenToWorld(anchor);
    // Keep the point under the fingers where it was.
    m_cam.cx += before.x() - after.x();
    m_cam.cy += before.y() - after.y();
    cameraMoved(true);
}

void TileMapItem::rotateBy(double degrees)
{
    if (!std::isfinite(degrees))
        return;
    m_bearing = std::fmod(m_bearing + degrees, 360.0);
    Q_EMIT bearingChanged();
    cameraMoved(true);
}

int TileMapItem::tileZoom() const
{
    const double z = std::log2(m_cam.scale / kTileSize);
    return std::clamp(int(std::lround(z)), 0, kMaxZoom);
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
    const int z = tileZoom();
    const int n = 1 << z;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (QPointF corner : {QPointF(0, 0), QPointF(width(), 0), QPointF(0, height()), QPointF(width(), height())}) {
        const QPointF w = screenToWorld(corner);
        minX = std::min(minX, w.x());
        maxX = std::max(maxX, w.x());
        minY = std::min(minY, w.y());
        maxY = std::max(maxY, w.y());
    }
    const int x0 = int(std::floor(minX * n)), x1 = int(std::floor(maxX * n));
    const int y0 = std::max(0, int(std::floor(minY * n))), y1 = std::min(n - 1, int(std::floor(maxY * n)));
    QList<TileKey> wanted;
    // Imagery before labels, centre tiles first.
    const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    for (int layer = 0; layer < 2; ++layer) {
        const qsizetype start = wanted.size();
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                wanted.append({layer, z, ((x % n) + n) % n, y});
        std::sort(wanted.begin() + start, wanted.end(), [&](const TileKey &a, const TileKey &b) {
            return std::abs(a.x - mx) + std::abs(a.y - my) < std::abs(b.x - mx) + std::abs(b.y - my);
        });
    }
    m_visibleTiles = int(wanted.size() / 2);
    m_loader.request(wanted);
}

QSGNode *TileMapItem::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    auto *root = static_cast<MapRootNode *>(old);
    QQuickWindow *win = window();
    if (!root) {
        root = new MapRootNode;
        root->background = win->createRectangleNode();
        root->background->setColor(kGraticuleBackground);
        root->appendChildNode(root->background);
        root->graticuleSlot = new QSGNode;
        root->appendChildNode(root->graticuleSlot);
        root->tileTransform = new QSGTransformNode;
        root->appendChildNode(root->tileTransform);
        for (auto &layer : root->layers) {
            layer = new TileLayerNode;
            root->tileTransform->appendChildNode(layer);
        }
        root->pathSlot = new QSGNode;
        root->appendChildNode(root->pathSlot);
        root->markerSlot = new QSGNode;
        root->appendChildNode(root->markerSlot);
    }
    const QRectF bounds = boundingRect();
    root->background->setRect(bounds);
    if (!m_cameraValid)
        return root;

    // Graticule: meridians and parallels at a round spacing, 4 to 10 lines across.
    {
        QList<QLineF> lines;
        const double spanDeg = width() / m_cam.scale * 360.0;
        double step = std::pow(10.0, std::floor(std::log10(std::max(spanDeg, 1e-9) / 4)));
        if (spanDeg / step > 10)
            step *= 2;
        if (spanDeg / step > 10)
            step *= 2.5;
        const double diag = std::hypot(width(), height()) / 2 / m_cam.scale; // world units
        const double lonA = merc::longitude(m_cam.cx - diag), lonB = merc::longitude(m_cam.cx + diag);
        const double latA = merc::latitude(std::clamp(m_cam.cy + diag, 0.0, 1.0));
        const double latB = merc::latitude(std::clamp(m_cam.cy - diag, 0.0, 1.0));
        for (double lon = std::floor(lonA / step) * step; lon <= lonB && lines.size() < 400; lon += step)
            lines.append({coordinateToPoint(latA, lon), coordinateToPoint(latB, lon)});
        for (double lat = std::floor(latA / step) * step; lat <= latB && lines.size() < 800; lat += step)
            lines.append({coordinateToPoint(lat, lonA), coordinateToPoint(lat, lonB)});
        QSGNode *g = root->graticuleSlot->firstChild();
        QSGNode *n = paintedLayer(g, win, bounds, [lines](QPainter *p) { paintGraticule(p, lines); });
        if (!g)
            root->graticuleSlot->appendChildNode(n);
    }

    // Tiles: positioned relative to the centre, rotated by the transform node.
    {
        QMatrix4x4 m;
        m.translate(float(width() / 2), float(height() / 2));
        m.rotate(float(-m_bearing), 0, 0, 1);
        root->tileTransform->setMatrix(m);
        const int z = tileZoom();
        const int n = 1 << z;
        const double tilePx = m_cam.scale / n;
        double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
        for (QPointF corner : {QPointF(0, 0), QPointF(width(), 0), QPointF(0, height()), QPointF(width(), height())}) {
            const QPointF w = screenToWorld(corner);
            minX = std::min(minX, w.x());
            maxX = std::max(maxX, w.x());
            minY = std::min(minY, w.y());
            maxY = std::max(maxY, w.y());
        }
        const int x0 = int(std::floor(minX * n)), x1 = int(std::floor(maxX * n));
        const int y0 = std::max(0, int(std::floor(minY * n))), y1 = std::min(n - 1, int(std::floor(maxY * n)));
        for (int layer = 0; layer < 2; ++layer) {
            TileLayerNode *ln = root->layers[layer];
            QSet<TileKey> seen;
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const TileKey k{layer, z, ((x % n) + n) % n, y};
                    const QImage *img = m_loader.image(k);
                    if (!img)
                        continue;
                    seen.insert(k);
                    QSGImageNode *tn = ln->tiles.value(k);
                    if (!tn) {
                        tn = win->createImageNode();
                        tn->setTexture(win->createTextureFromImage(*img));
                        tn->setOwnsTexture(true);
                        tn->setFiltering(QSGTexture::Linear);
                        ln->tiles.insert(k, tn);
                        ln->appendChildNode(tn);
                    }
                    const double left = (double(x) / n - m_cam.cx) * m_cam.scale;
                    const double top = (double(y) / n - m_cam.cy) * m_cam.scale;
                    tn->setRect(QRectF(left, top, tilePx, tilePx));
                }
            }
            // Tiles that left the screen give their textures back.
            for (auto it = ln->tiles.begin(); it != ln->tiles.end();) {
                if (!seen.contains(it.key())) {
                    ln->removeChildNode(it.value());
                    delete it.value();
                    it = ln->tiles.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }

    // Path and markers, culled to the screen. World positions are cached per list change, so a
    // frame only applies the camera's similarity transform to each point.
    QList<PathRun> runs;
    QList<MarkerDraw> markers;
    if (m_markers) {
        const auto &list = m_markers->coordinates();
        if (m_worldDirty || qsizetype(m_world.size()) != list.size()) {
            m_world.resize(size_t(list.size()));
            m_cumWorld.resize(size_t(list.size()));
            double cum = 0;
            for (qsizetype i = 0; i < list.size(); ++i) {
                m_world[size_t(i)] = merc::toWorld(list[i].latitude, list[i].longitude);
                if (i > 0) {
                    const QPointF d = m_world[size_t(i)] - m_world[size_t(i - 1)];
                    cum += std::hypot(d.x(), d.y());
                }
                m_cumWorld[size_t(i)] = cum;
            }
            m_chunkBox.assign(size_t((list.size() + kChunk - 1) / kChunk), QRectF());
            auto grow = [this](size_t chunk, QPointF w) {
                QRectF &box = m_chunkBox[chunk];
                const QRectF pt(w, QSizeF(1e-12, 1e-12));
                box = box.isNull() ? pt : box.united(pt);
            };
            for (qsizetype i = 0; i < list.size(); ++i) {
                grow(size_t(i / kChunk), m_world[size_t(i)]);
                // A chunk's box also holds the first point of the next chunk (its last segment).
                if (i > 0 && i % kChunk == 0)
                    grow(size_t(i / kChunk - 1), m_world[size_t(i)]);
            }
            m_worldDirty = false;
        }
        const double a = -m_bearing * std::numbers::pi / 180.0;
        const double ca = std::cos(a) * m_cam.scale, sa = std::sin(a) * m_cam.scale;
        const double hw = width() / 2, hh = height() / 2;
        auto project = [&](const QPointF &w) {
            double dx = w.x() - m_cam.cx;
            dx -= std::round(dx);
            const double dy = w.y() - m_cam.cy;
            return QPointF(hw + dx * ca - dy * sa, hh + dx * sa + dy * ca);
        };
        const QRectF cull = bounds.adjusted(-kMarkerCull, -kMarkerCull, kMarkerCull, kMarkerCull);
        // Only chunks of the list whose world box meets the view are projected, so a frame costs
        // little more than what is on screen even for a very long mission.
        QRectF view;
        for (QPointF corner : {cull.topLeft(), cull.topRight(), cull.bottomLeft(), cull.bottomRight()}) {
            const QPointF w = screenToWorld(corner);
            view = view.isNull() ? QRectF(w, QSizeF(1e-12, 1e-12)) : view.united(QRectF(w, QSizeF(1e-12, 1e-12)));
        }
        const bool wraps = view.left() < 0 || view.right() > 1; // the date line is on screen
        struct Candidate {
            QPointF pos;
            qsizetype index;
        };
        std::vector<Candidate> visible;
        const qsizetype n = list.size();
        QPointF prev;
        bool prevInRun = false;
        for (qsizetype c0 = 0; c0 < n; c0 += kChunk) {
            const qsizetype c1 = std::min(n, c0 + kChunk + 1); // one past: the segment into the next chunk
            if (!wraps && !m_chunkBox[size_t(c0 / kChunk)].intersects(view)) {
                prevInRun = false;
                continue;
            }
            prev = project(m_world[size_t(c0)]);
            for (qsizetype i = c0; i < c1; ++i) {
                const QPointF s = i == c0 ? prev : project(m_world[size_t(i)]);
                if (i < c0 + kChunk && cull.contains(s))
                    visible.push_back({s, i});
                if (i > c0) {
                    const QRectF seg = QRectF(prev, s).normalized().adjusted(-2, -2, 2, 2);
                    if (seg.intersects(bounds)) {
                        if (!prevInRun)
                            runs.append({QPolygonF{prev}, m_cumWorld[size_t(i - 1)] * m_cam.scale});
                        runs.last().points.append(s);
                        prevInRun = true;
                    } else {
                        prevInRun = false;
                    }
                }
                prev = s;
            }
        }
        // Markers piled on one spot (a zoomed-out view of a long mission) are drawn once per
        // small cell: the topmost one shows, the hidden ones cost nothing.
        constexpr double kCell = 8;
        const int cols = int(cull.width() / kCell) + 1, rows = int(cull.height() / kCell) + 1;
        std::vector<bool> taken(size_t(cols) * size_t(rows), false);
        for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
            const double sel = selectionAmount(it->index);
            const size_t cell = size_t(int((it->pos.y() - cull.top()) / kCell)) * size_t(cols)
                + size_t(int((it->pos.x() - cull.left()) / kCell));
            if (sel <= 0 && taken[cell])
                continue;
            taken[cell] = true;
            markers.append({it->pos, int(it->index + 1), sel});
        }
        std::reverse(markers.begin(), markers.end());
        // The selected marker draws over its neighbours.
        std::stable_partition(markers.begin(), markers.end(), [](const MarkerDraw &m) { return m.selected <= 0; });
        if (m_selectionClock.isValid() && m_selectionClock.elapsed() < kSelectionMs)
            // Keep animating; queued because this may run on the render thread.
            QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
    }
    {
        QSGNode *old = root->pathSlot->firstChild();
        QSGNode *n = paintedLayer(old, win, bounds, [dashes = dashSegments(runs, bounds.adjusted(-kPathMargin, -kPathMargin, kPathMargin, kPathMargin))](QPainter *p) { paintPath(p, dashes); });
        if (!old)
            root->pathSlot->appendChildNode(n);
    }
    {
        QSGNode *old = root->markerSlot->firstChild();
        QSGNode *n = paintedLayer(old, win, bounds, [markers](QPainter *p) { paintMarkers(p, markers); });
        if (!old)
            root->markerSlot->appendChildNode(n);
    }
    return root;
}

// --- Gestures ---------------------------------------------------------------------------
// The mouse and a single finger share one path (press, move, release); two fingers pinch.
// The item takes touch itself, so no mouse events are synthesised for a finger.

void TileMapItem::pointerPress(QPointF pos)
{
    m_inertia.stop();
    m_pressed = true;
    m_dragging = false;
    m_pressPos = m_lastPos = pos;
    m_velocity = {};
    m_pressClock.start();
    m_moveClock.start();
}

void TileMapItem::pointerMove(QPointF pos)
{
    if (!m_pressed || m_pinching)
        return;
    if (!m_dragging && QLineF(pos, m_pressPos).length() > kTapSlop) {
        m_dragging = true;
        setKeepMouseGrab(true);
        setKeepTouchGrab(true);
    }
    if (m_dragging) {
        const QPointF d = pos - m_lastPos;
        const double dt = std::max<qint64>(1, m_moveClock.restart());
        // Smoothed velocity for the fling.
        m_velocity = m_velocity * 0.3 + (d / dt) * 0.7;
        panBy(d.x(), d.y());
    }
    m_lastPos = pos;
}

void TileMapItem::pointerRelease(QPointF pos)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    setKeepMouseGrab(false);
    setKeepTouchGrab(false);
    if (m_dragging) {
        m_dragging = false;
        if (m_moveClock.elapsed() < 80 && QLineF(QPointF(), m_velocity).length() > 0.05)
            m_inertia.start();
        return;
    }
    if (!m_pinching)
        handleTap(pos);
}

void TileMapItem::pointerCancel()
{
    m_pressed = false;
    m_dragging = false;
    setKeepMouseGrab(false);
    setKeepTouchGrab(false);
}

void TileMapItem::mousePressEvent(QMouseEvent *e)
{
    pointerPress(e->position());
    e->accept();
}

void TileMapItem::mouseMoveEvent(QMouseEvent *e) { pointerMove(e->position()); }

void TileMapItem::mouseReleaseEvent(QMouseEvent *e) { pointerRelease(e->position()); }

void TileMapItem::mouseUngrabEvent() { pointerCancel(); }

void TileMapItem::touchUngrabEvent()
{
    pointerCancel();
    m_pinching = false;
}

void TileMapItem::handleTap(QPointF pos)
{
    // A second tap soon after a map tap, near the same spot, is a double tap: it zooms in, and
    // the waypoint the first tap added at once is taken back.
    if (m_lastTapClock.isValid() && m_lastTapClock.elapsed() < kDoubleTapMs
        && QLineF(pos, m_lastTapPos).length() < kDoubleTapSlop) {
        m_lastTapClock.invalidate();
        withdrawLastTap();
        zoomBy(2.0, pos);
        return;
    }
    m_lastTapClock.invalidate();
    m_tapAdded.reset();
    const int marker = markerAt(pos);
    if (marker >= 0) {
        Q_EMIT markerTapped(marker);
        return;
    }
    m_lastTapPos = pos;
    m_lastTapClock.start();
    // The tap acts at once; what it appended (if anything) is remembered so a double tap can undo it.
    const qsizetype before = m_markers ? m_markers->count() : -1;
    Q_EMIT mapTapped();
    if (m_markers && m_markers->count() == before + 1)
        m_tapAdded = TapAdded{before, m_markers->coordinates().constLast()};
}

void TileMapItem::withdrawLastTap()
{
    const std::optional<TapAdded> added = std::exchange(m_tapAdded, std::nullopt);
    if (!added || !m_markers)
        return;
    const auto &list = m_markers->coordinates();
    // Only if the list is still as the tap left it.
    if (list.size() != added->position + 1 || !(list.constLast() == added->coordinate))
        return;
    const auto marked = m_markers->marked();
    m_markers->removePositions({added->position});
    if (m_markers->marked() != marked)
        m_markers->setMarked(marked);
    Q_EMIT mapTapWithdrawn();
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

void TileMapItem::wheelEvent(QWheelEvent *e)
{
    const double steps = e->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomBy(std::pow(2.0, steps / 2), e->position());
    e->accept();
}

void TileMapItem::touchEvent(QTouchEvent *e)
{
    if (e->type() == QEvent::TouchCancel) {
        touchUngrabEvent();
        e->accept();
        return;
    }
    // The fingers still down, in the order they landed.
    QList<const QEventPoint *> down;
    for (const QEventPoint &p : e->points())
        if (p.state() != QEventPoint::Released)
            down.append(&p);
    if (!m_pinching && down.size() >= 2) {
        // A second finger: whatever the first one started becomes a pinch.
        pointerCancel();
        m_pinching = true;
        m_inertia.stop();
        m_lastTapClock.invalidate();
        m_pinchIds = {down[0]->id(), down[1]->id()};
        m_pinchA = down[0]->position();
        m_pinchB = down[1]->position();
        setKeepTouchGrab(true);
    } else if (m_pinching) {
        const QEventPoint *pa = nullptr, *pb = nullptr;
        for (const QEventPoint *p : down) {
            if (p->id() == m_pinchIds.first)
                pa = p;
            else if (p->id() == m_pinchIds.second)
                pb = p;
        }
        if (pa && pb) {
            pinchTo(pa->position(), pb->position());
        } else if (down.size() >= 2) {
            // One of the pair lifted while others stay: continue with the two now down.
            m_pinchIds = {down[0]->id(), down[1]->id()};
            m_pinchA = down[0]->position();
            m_pinchB = down[1]->position();
        }
        if (down.isEmpty()) {
            // A pinch ends with all fingers up, and never as a tap.
            m_pinching = false;
            setKeepTouchGrab(false);
        }
    } else if (!e->points().isEmpty()) {
        const QEventPoint &p = e->points().constFirst();
        switch (p.state()) {
        case QEventPoint::Pressed:
            pointerPress(p.position());
            break;
        case QEventPoint::Released:
            pointerRelease(p.position());
            break;
        default:
            pointerMove(p.position());
            break;
        }
    }
    e->accept();
}

void TileMapItem::pinchTo(QPointF a, QPointF b)
{
    const QPointF midOld = (m_pinchA + m_pinchB) / 2, midNew = (a + b) / 2;
    const double dOld = QLineF(m_pinchA, m_pinchB).length(), dNew = QLineF(a, b).length();
    panBy(midNew.x() - midOld.x(), midNew.y() - midOld.y());
    if (dOld > 1 && dNew > 1)
        zoomBy(dNew / dOld, midNew);
    const double angOld = QLineF(m_pinchA, m_pinchB).angle(), angNew = QLineF(a, b).angle();
    double delta = angOld - angNew; // QLineF angles run counter-clockwise
    if (delta > 180)
        delta -= 360;
    if (delta < -180)
        delta += 360;
    if (std::abs(delta) > 0.01)
        rotateBy(-delta);
    m_pinchA = a;
    m_pinchB = b;
}
