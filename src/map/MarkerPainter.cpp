#include "MarkerPainter.h"

#include "Palette.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

QFont numberFont(int pixelSize)
{
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

constexpr int kPlainNumberPx = 12;
constexpr int kSelectedNumberPx = 14;

} // namespace

namespace marker {

void paintDisc(QPainter *p, QPointF centre, double t)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    const auto &pal = zeltrin::palette();
    const double r = (28 + 6 * t) / 2;
    const double blur = 4 + 2 * t;
    // Soft shadow, black at 33 %, no offset.
    QRadialGradient g(centre, r + blur);
    g.setColorAt(0, QColor(0, 0, 0, 84));
    g.setColorAt(r / (r + blur), QColor(0, 0, 0, 84));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p->setPen(Qt::NoPen);
    p->setBrush(g);
    p->drawEllipse(centre, r + blur, r + blur);
    QColor fill = pal.themeGold;
    fill.setAlphaF(float(t >= 1 ? 1.0 : 0.9 + 0.1 * std::max(0.0, t)));
    p->setBrush(fill);
    p->drawEllipse(centre, r, r);
    if (t > 0) {
        // The ring sits on the selected circle's edge (diameter 34).
        QColor ring = Qt::white;
        ring.setAlphaF(float(std::min(1.0, t)));
        p->setBrush(Qt::NoBrush);
        p->setPen(QPen(ring, 2));
        p->drawEllipse(centre, r, r);
    }
}

void paint(QPainter *p, const MarkerDraw &m)
{
    paintDisc(p, m.pos, m.selected);
    const double d = 28 + 6 * m.selected, r = d / 2;
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setFont(numberFont(m.selected >= 0.5 ? kSelectedNumberPx : kPlainNumberPx));
    p->setPen(zeltrin::palette().themeBackground);
    p->drawText(QRectF(m.pos.x() - r, m.pos.y() - r, d, d), Qt::AlignCenter, QString::number(m.number));
}

QImage sprite(int number, bool selected, qreal dpr)
{
    static QMutex mutex;
    static QHash<quint64, QImage> cache;
    const quint64 key = (quint64(number) << 16) | (quint64(qRound(dpr * 4)) << 1) | (selected ? 1 : 0);
    QMutexLocker lock(&mutex);
    if (auto it = cache.constFind(key); it != cache.cend())
        return it.value();
    if (cache.size() > 2048)
        cache.clear();
    QImage img(QSize(kSpriteSize, kSpriteSize) * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    {
        QPainter ip(&img);
        paint(&ip, {QPointF(kSpriteSize / 2.0, kSpriteSize / 2.0), number, selected ? 1.0 : 0.0});
    }
    cache.insert(key, img);
    return img;
}

} // namespace marker

MarkerAtlas::MarkerAtlas(qreal dpr) : m_dpr(dpr > 0 && std::isfinite(dpr) ? dpr : 1.0)
{
    const QFont font = numberFont(kPlainNumberPx);
    const QFontMetricsF fm(font);
    double widest = 0;
    for (int i = 0; i < 10; ++i) {
        m_advance[size_t(i)] = fm.horizontalAdvance(QChar(u'0' + i));
        widest = std::max(widest, m_advance[size_t(i)]);
    }
    m_lineHeight = fm.ascent() + fm.descent();
    m_cell = QSizeF(std::ceil(widest) + 2 * kPad, std::ceil(m_lineHeight) + 2 * kPad);
    m_baseline = kPad + fm.ascent();
    const double w = kCircleSize + 10 * m_cell.width();
    const double h = std::max<double>(kCircleSize, m_cell.height());
    m_image = QImage(QSizeF(std::ceil(w * m_dpr), std::ceil(h * m_dpr)).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(m_dpr);
    m_image.fill(Qt::transparent);
    QPainter p(&m_image);
    const double s = kCircleSize;
    marker::paintDisc(&p, QPointF(s / 2, s / 2), 0.0);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(zeltrin::palette().themeBackground);
    for (int i = 0; i < 10; ++i)
        p.drawText(QPointF(s + i * m_cell.width() + kPad, m_baseline), QString(QChar(u'0' + i)));
    p.end();
    const double iw = double(m_image.width()) / m_dpr, ih = double(m_image.height()) / m_dpr;
    m_circle = QRectF(0, 0, s / iw, s / ih);
    for (int i = 0; i < 10; ++i)
        m_digit[size_t(i)] = QRectF((s + i * m_cell.width()) / iw, 0, m_cell.width() / iw, m_cell.height() / ih);
}

int MarkerAtlas::layout(int number, std::array<Quad, 11> *out) const
{
    const double s = kCircleSize;
    int n = 0;
    (*out)[size_t(n++)] = {QRectF(-s / 2, -s / 2, s, s), m_circle};
    char digits[12];
    const int len = std::snprintf(digits, sizeof digits, "%d", std::max(0, number));
    double width = 0;
    for (int i = 0; i < len; ++i)
        width += m_advance[size_t(digits[i] - '0')];
    // Centred as the painter centres a line: by its advance and its ascent plus descent.
    double x = -width / 2;
    const double baseline = -m_lineHeight / 2 + (m_baseline - kPad);
    for (int i = 0; i < len && n < 11; ++i) {
        const int d = digits[i] - '0';
        (*out)[size_t(n++)] = {QRectF(x - kPad, baseline - m_baseline, m_cell.width(), m_cell.height()),
                               m_digit[size_t(d)]};
        x += m_advance[size_t(d)];
    }
    return n;
}
