#include "PreviewDotsItem.h"

#include "Mission3DPreviewModel.h"

#include <QQuickWindow>
#include <QPainter>
#include <QSGImageNode>
#include <QSGTexture>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr double kDiameter = 12.0;
constexpr double kFadedOpacity = 0.3;

// Owns the shared textures; one image node per visible dot hangs under it.
struct DotsNode : QSGNode {
    double dpr = 0;
    QColor color;
    std::unique_ptr<QSGTexture> solid, faded;
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
    // Two disc textures (solid, faded), drawn once per ratio and colour and shared by all dots.
    if (root->dpr != l.dpr || root->color != m_color || !root->solid) {
        root->dpr = l.dpr;
        root->color = m_color;
        root->solid.reset(window()->createTextureFromImage(disc(m_color, 1.0, l.dpr)));
        root->faded.reset(window()->createTextureFromImage(disc(m_color, kFadedOpacity, l.dpr)));
    }
    const int dots = int(std::max<long long>(0, l.last - l.first + 1));
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
    if (m_builtDots != dots) {
        m_builtDots = dots;
        Q_EMIT builtDotsChanged();
    }
    return root;
}
