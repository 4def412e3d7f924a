#include "PreviewDotsItem.h"

#include "Mission3DPreviewModel.h"

#include <QQuickWindow>
#include <QPainter>
#include <QSGGeometryNode>
#include <QSGImageNode>
#include <QSGRendererInterface>
#include <QSGTexture>
#include <QSGTextureMaterial>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr double kDiameter = 12.0;
constexpr double kFadedOpacity = 0.3;

// Owns the shared textures. On a GPU renderer the dots are quads of one geometry node drawing
// from a texture holding both discs, so they go out as one draw call; the software renderer
// draws no custom geometry, so there one image node per visible dot hangs under it.
struct DotsNode : QSGNode {
    double dpr = 0;
    QColor color;
    std::unique_ptr<QSGTexture> solid, faded, both;
    QSGGeometryNode *quads = nullptr;
};

QImage disc(const QColor &c, double opacity, double dpr)
{
    const int px = std::max(1, int(std::ceil(kDiameter * dpr)));
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QColor f = c;
    f.setAlphaF(float(c.alphaF() * opacity));
    p.setPen(Qt::NoPen);
    p.setBrush(f);
    p.drawEllipse(QRectF(0, 0, px, px));
    return img;
}

// The solid disc on the left half, the faded one on the right, a transparent texel apart so
// linear filtering never reads across.
QImage discPair(const QColor &c, double dpr)
{
    const QImage a = disc(c, 1.0, dpr), b = disc(c, kFadedOpacity, dpr);
    QImage img(a.width() * 2 + 2, a.height(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.drawImage(0, 0, a);
    p.drawImage(a.width() + 2, 0, b);
    return img;
}

void writeDots(QSGGeometry *g, const PreviewDotsItem::Look &l, long long n, const QSize &atlas, int discPx)
{
    const int dots = int(std::max<long long>(0, l.last - l.first + 1));
    g->allocate(dots * 4, dots * 6);
    auto *v = g->vertexDataAsTexturedPoint2D();
    auto *ix = g->indexDataAsUInt();
    const long long h = n / 2;
    const float tw = float(discPx) / float(atlas.width());
    const float fadedLeft = float(discPx + 2) / float(atlas.width());
    int q = 0;
    for (long long i = l.first; i <= l.last; ++i, ++q) {
        const double cx = l.width / 2 + double(i - h) * zeltrin::preview::kStep;
        const double cy = l.height / 2 + l.lift;
        const float x0 = float(cx - kDiameter / 2), y0 = float(cy - kDiameter / 2);
        const float x1 = x0 + float(kDiameter), y1 = y0 + float(kDiameter);
        const float s0 = i <= l.solidUpTo ? 0.0f : fadedLeft, s1 = s0 + tw;
        v[q * 4 + 0].set(x0, y0, s0, 0);
        v[q * 4 + 1].set(x1, y0, s1, 0);
        v[q * 4 + 2].set(x0, y1, s0, 1);
        v[q * 4 + 3].set(x1, y1, s1, 1);
        const quint32 b = quint32(q * 4);
        const quint32 tri[6] = {b, b + 1, b + 2, b + 1, b + 3, b + 2};
        std::copy(tri, tri + 6, ix + q * 6);
    }
    g->markVertexDataDirty();
    g->markIndexDataDirty();
}
} // namespace
PreviewDotsItem::PreviewDotsItem(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void PreviewDotsItem::setPreview(Mission3DPreviewModel *p)
{
    if (m_preview == p)
        return;
    if (m_preview)
        disconnect(m_preview, nullptr, this, nullptr);
    m_preview = p;
    if (p) {
        connect(p, &Mission3DPreviewModel::drawChanged, this, &PreviewDotsItem::refresh);
        connect(p, &Mission3DPreviewModel::inputChanged, this, &PreviewDotsItem::refresh);
        connect(p, &Mission3DPreviewModel::showPathChanged, this, &PreviewDotsItem::refresh);
    }
    Q_EMIT previewChanged();
    m_dirty = true;
    refresh();
}

void PreviewDotsItem::setColor(const QColor &c)
{
    if (m_color == c)
        return;
    m_color = c;
    Q_EMIT colorChanged();
    m_dirty = true;
    update();
}

void PreviewDotsItem::geometryChange(const QRectF &g, const QRectF &old)
{
    QQuickItem::geometryChange(g, old);
    refresh();
}

PreviewDotsItem::Look PreviewDotsItem::currentLook() const
{
    Look l;
    l.width = width();
    l.height = height();
    l.dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    if (!m_preview || !m_preview->showPath() || m_preview->waypointCount() <= 0)
        return l;
    const long long n = m_preview->waypointCount();
    const long long h = n / 2;
    const double step = zeltrin::preview::kStep;
    // Dot i's centre sits at width/2 + (i - h) * step; keep those that touch the item.
    const double reach = width() / 2 + kDiameter;
    l.first = std::clamp<long long>(h - (long long)std::floor(reach / step), 0, n - 1);
    l.last = std::clamp<long long>(h + (long long)std::ceil(reach / step), 0, n - 1);
    l.solidUpTo = std::clamp<long long>(m_preview->reachedIndex(), l.first - 1, l.last);
    l.lift = m_preview->lift();
    return l;
}

void PreviewDotsItem::refresh()
{
    const Look l = currentLook();
    if (!m_dirty && l == m_look)
        return;
    m_look = l;
    m_dirty = true;
    update();
}

QSGNode *PreviewDotsItem::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    auto *root = static_cast<DotsNode *>(old);
    if (!root)
        root = new DotsNode;
    if (!m_dirty || !window())
        return root;
    m_dirty = false;
    const Look &l = m_look;
    const int dots = int(std::max<long long>(0, l.last - l.first + 1));
    if (window()->rendererInterface()->graphicsApi() != QSGRendererInterface::Software) {
        const int discPx = std::max(1, int(std::ceil(kDiameter * l.dpr)));
        if (root->dpr != l.dpr || root->color != m_color || !root->both) {
            root->dpr = l.dpr;
            root->color = m_color;
            delete root->quads; // leaves the tree before its texture goes
            root->quads = nullptr;
            root->both.reset(window()->createTextureFromImage(discPair(m_color, l.dpr)));
        }
        if (!root->quads) {
            auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 0, 0,
                                      QSGGeometry::UnsignedIntType);
            g->setDrawingMode(QSGGeometry::DrawTriangles);
            auto *m = new QSGTextureMaterial;
            m->setTexture(root->both.get());
            m->setFiltering(QSGTexture::Linear);
            root->quads = new QSGGeometryNode;
            root->quads->setGeometry(g);
            root->quads->setMaterial(m);
            root->quads->setFlags(QSGNode::OwnsGeometry | QSGNode::OwnsMaterial);
            root->appendChildNode(root->quads);
        }
        writeDots(root->quads->geometry(), l, m_preview ? m_preview->waypointCount() : 0,
                  root->both->textureSize(), discPx);
        root->quads->markDirty(QSGNode::DirtyGeometry);
    } else {
        updateImageNodes(root, l, dots);
    }
    if (m_builtDots != dots) {
        m_builtDots = dots;
        Q_EMIT builtDotsChanged();
    }
    return root;
}

void PreviewDotsItem::updateImageNodes(QSGNode *node, const Look &l, int dots)
{
    auto *root = static_cast<DotsNode *>(node);
    // Two disc textures (solid, faded), drawn once per ratio and colour and shared by all dots.
    if (root->dpr != l.dpr || root->color != m_color || !root->solid) {
        root->dpr = l.dpr;
        root->color = m_color;
        root->solid.reset(window()->createTextureFromImage(disc(m_color, 1.0, l.dpr)));
        root->faded.reset(window()->createTextureFromImage(disc(m_color, kFadedOpacity, l.dpr)));
    }
    while (root->childCount() > dots)
        delete root->lastChild();
    while (root->childCount() < dots) {
        QSGImageNode *img = window()->createImageNode();
        img->setFiltering(QSGTexture::Linear);
        root->appendChildNode(img);
    }
    const long long n = m_preview ? m_preview->waypointCount() : 0;
    const long long h = n / 2;
    auto *child = root->firstChild();
    for (long long i = l.first; i <= l.last && child; ++i, child = child->nextSibling()) {
        auto *img = static_cast<QSGImageNode *>(child);
        const double cx = l.width / 2 + double(i - h) * zeltrin::preview::kStep;
        const double cy = l.height / 2 + l.lift;
        img->setTexture(i <= l.solidUpTo ? root->solid.get() : root->faded.get());
        img->setRect(QRectF(cx - kDiameter / 2, cy - kDiameter / 2, kDiameter, kDiameter));
    }
}
