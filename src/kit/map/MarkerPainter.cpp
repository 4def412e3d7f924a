#include "MarkerPainter.h"

#include "Palette.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QLinearGradient>
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

// A disc's soft shadow: black at 33 %, no offset, fading over `blur` beyond its radius. A disc
// stretched into a pill keeps the round shadow at its ends and the same fall-off between them.
void paintShadow(QPainter *p, QPointF centre, double r, double blur, double stretch = 0)
{
    const QColor dark(0, 0, 0, 84), clear(0, 0, 0, 0);
    const double hx = stretch / 2, outer = r + blur;
    p->setPen(Qt::NoPen);
    for (int side : {-1, 1}) {
        const QPointF end(centre.x() + side * hx, centre.y());
        QRadialGradient g(end, outer);
        g.setColorAt(0, dark);
        g.setColorAt(r / outer, dark);
        g.setColorAt(1, clear);
        p->save();
        if (stretch > 0)
            p->setClipRect(side < 0 ? QRectF(end.x() - outer, end.y() - outer, outer, 2 * outer)
                                    : QRectF(end.x(), end.y() - outer, outer, 2 * outer));
        p->setBrush(g);
        p->drawEllipse(end, outer, outer);
        p->restore();
        if (stretch <= 0)
            return;
    }
    QLinearGradient g(QPointF(0, centre.y() - outer), QPointF(0, centre.y() + outer));
    const double edge = blur / (2 * outer);
    g.setColorAt(0, clear);
    g.setColorAt(edge, dark);
    g.setColorAt(1 - edge, dark);
    g.setColorAt(1, clear);
    p->setBrush(g);
    p->drawRect(QRectF(centre.x() - hx, centre.y() - outer, stretch, 2 * outer));
}

constexpr int kPlainNumberPx = 12;
constexpr int kSelectedNumberPx = 14;

} // namespace

namespace marker {

double stretchFor(double numberWidth, double diameter)
{
    // Even, so each half of the pill lies on whole pixels around a centred disc.
    return std::max(0.0, 2 * std::ceil((numberWidth + 2 * kNumberInset - diameter) / 2));
}

void paintDisc(QPainter *p, QPointF centre, double t, double stretch)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    const auto &pal = zeltrin::palette();
    const double r = (28 + 6 * t) / 2;
    paintShadow(p, centre, r, 4 + 2 * t, stretch);
    QColor fill = pal.themeGold;
    fill.setAlphaF(float(t >= 1 ? 1.0 : 0.9 + 0.1 * std::max(0.0, t)));
    p->setBrush(fill);
    const QRectF shape(centre.x() - r - stretch / 2, centre.y() - r, 2 * r + stretch, 2 * r);
    p->drawRoundedRect(shape, r, r);
    if (t > 0) {
        // The ring sits on the selected circle's edge (diameter 34).
        QColor ring = Qt::white;
        ring.setAlphaF(float(std::min(1.0, t)));
        p->setBrush(Qt::NoBrush);
        p->setPen(QPen(ring, 2));
        p->drawRoundedRect(shape, r, r);
    }
}

void paintHome(QPainter *p, QPointF centre)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    const auto &pal = zeltrin::palette();
    const double r = 11;
    paintShadow(p, centre, r, 4);
    p->setBrush(pal.themeBackground);
    p->setPen(QPen(Qt::white, 2));
    p->drawEllipse(centre, r - 1, r - 1);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setFont(numberFont(12));
    p->setPen(Qt::white);
    p->drawText(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QStringLiteral("H"));
    p->restore();
}

void paintAircraft(QPainter *p, QPointF centre)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->translate(centre);
    // A dart: nose up, swept wings, a notch at the tail.
    QPainterPath dart;
    dart.moveTo(0, -13);
    dart.lineTo(10, 11);
    dart.lineTo(0, 6);
    dart.lineTo(-10, 11);
    dart.closeSubpath();
    for (int i = 3; i >= 1; --i) { // a soft shadow, widening outwards
        p->setPen(QPen(QColor(0, 0, 0, 40), 2.0 * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p->setBrush(Qt::NoBrush);
        p->drawPath(dart);
    }
    p->setPen(QPen(zeltrin::palette().themeBlue, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::white);
    p->drawPath(dart);
    p->restore();
}

namespace {
double numberStretch(int number, double t)
{
    const QFontMetricsF fm(numberFont(t >= 0.5 ? kSelectedNumberPx : kPlainNumberPx));
    return stretchFor(fm.horizontalAdvance(QString::number(number)), 28 + 6 * t);
}
} // namespace

void paint(QPainter *p, const MarkerDraw &m)
{
    const double stretch = numberStretch(m.number, m.selected);
    paintDisc(p, m.pos, m.selected, stretch);
    const double d = 28 + 6 * m.selected, r = d / 2;
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setFont(numberFont(m.selected >= 0.5 ? kSelectedNumberPx : kPlainNumberPx));
    p->setPen(zeltrin::palette().themeBackground);
    p->drawText(QRectF(m.pos.x() - r - stretch / 2, m.pos.y() - r, d + stretch, d), Qt::AlignCenter,
                QString::number(m.number));
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
    const int width = kSpriteSize + int(numberStretch(number, selected ? 1.0 : 0.0));
    QImage img(QSize(width, kSpriteSize) * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    {
        QPainter ip(&img);
        paint(&ip, {QPointF(width / 2.0, kSpriteSize / 2.0), number, selected ? 1.0 : 0.0});
    }
    cache.insert(key, img);
    return img;
}

} // namespace marker

MarkerAtlas::MarkerAtlas(qreal dpr) : m_dpr(dpr > 0 && std::isfinite(dpr) ? dpr : 1.0)
{
    // Each circle's quad is no larger than its shadow, since the rasteriser pays for every
    // blended pixel: plain 28 + 2 × 4, selected 34 + 2 × 6 (its ring lies inside).
    const double circleSize[2] = {36, 46};
    const double discSize[2] = {28, 34};
    const int numberPx[2] = {kPlainNumberPx, kSelectedNumberPx};
    QFont fonts[2];
    double rowWidth = 0, rowTop[2] = {0, 0}, height = 0;
    for (int k = 0; k < 2; ++k) {
        Style &st = m_styles[k];
        fonts[k] = numberFont(numberPx[k]);
        const QFontMetricsF fm(fonts[k]);
        double widest = 0;
        for (int i = 0; i < 10; ++i) {
            st.advance[size_t(i)] = fm.horizontalAdvance(QChar(u'0' + i));
            widest = std::max(widest, st.advance[size_t(i)]);
        }
        st.circleSize = circleSize[k];
        st.discSize = discSize[k];
        st.lineHeight = fm.ascent() + fm.descent();
        st.cell = QSizeF(std::ceil(widest) + 2 * kPad, std::ceil(st.lineHeight) + 2 * kPad);
        st.baseline = kPad + fm.ascent();
        rowTop[k] = height;
        height += std::max(st.circleSize, st.cell.height()) + kPad;
        rowWidth = std::max(rowWidth, st.circleSize + 10 * st.cell.width());
    }
    const double glyphTop = height;
    height += std::max(marker::kHomeSize, marker::kAircraftSize) + kPad;
    rowWidth = std::max(rowWidth, marker::kHomeSize + kPad + marker::kAircraftSize);
    m_image = QImage(QSizeF(std::ceil(rowWidth * m_dpr), std::ceil(height * m_dpr)).toSize(),
                     QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(m_dpr);
    m_image.fill(Qt::transparent);
    QPainter p(&m_image);
    const double iw = double(m_image.width()) / m_dpr, ih = double(m_image.height()) / m_dpr;
    for (int k = 0; k < 2; ++k) {
        Style &st = m_styles[k];
        const double s = st.circleSize, top = rowTop[k];
        marker::paintDisc(&p, QPointF(s / 2, top + s / 2), k == Selected ? 1.0 : 0.0);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(fonts[k]);
        p.setPen(zeltrin::palette().themeBackground);
        for (int i = 0; i < 10; ++i)
            p.drawText(QPointF(s + i * st.cell.width() + kPad, top + st.baseline), QString(QChar(u'0' + i)));
        st.circle = QRectF(0, top / ih, s / iw, s / ih);
        for (int i = 0; i < 10; ++i)
            // The glyph's box without the padding around it: the rasteriser pays for every
            // blended pixel, and a digit's ink stays inside its advance and line.
            st.digit[size_t(i)] = QRectF((s + i * st.cell.width() + kPad) / iw, (top + kPad) / ih,
                                         (st.cell.width() - 2 * kPad) / iw, (st.cell.height() - 2 * kPad) / ih);
    }
    const double hs = marker::kHomeSize, as = marker::kAircraftSize, ax = hs + kPad;
    marker::paintHome(&p, QPointF(hs / 2, glyphTop + hs / 2));
    marker::paintAircraft(&p, QPointF(ax + as / 2, glyphTop + as / 2));
    m_home = {QRectF(-hs / 2, -hs / 2, hs, hs), QRectF(0, glyphTop / ih, hs / iw, hs / ih)};
    m_aircraft = {QRectF(-as / 2, -as / 2, as, as), QRectF(ax / iw, glyphTop / ih, as / iw, as / ih)};
}

int MarkerAtlas::layout(int number, std::array<Quad, 11> *out, StyleKind kind) const
{
    const Style &st = m_styles[kind == Selected ? 1 : 0];
    const double s = st.circleSize;
    char digits[12];
    const int len = std::snprintf(digits, sizeof digits, "%d", std::max(0, number));
    // Every quad starts on a whole device pixel (advances rounded to them), so a marker placed on
    // one is drawn texel for texel: sharp, and sampled without filtering.
    auto snap = [this](double v) { return std::round(v * m_dpr) / m_dpr; };
    double width = 0;
    for (int i = 0; i < len; ++i)
        width += snap(st.advance[size_t(digits[i] - '0')]);
    int n = 0;
    const double stretch = std::ceil(marker::stretchFor(width, st.discSize) * m_dpr) / m_dpr;
    if (stretch <= 0) {
        (*out)[size_t(n++)] = {QRectF(-s / 2, -s / 2, s, s), st.circle};
    } else {
        // A pill: the circle's two halves apart, and its middle column of texels between them.
        const QRectF &c = st.circle;
        const double texel = c.width() / (s * m_dpr), hx = stretch / 2;
        (*out)[size_t(n++)] = {QRectF(-s / 2 - hx, -s / 2, s / 2, s), QRectF(c.left(), c.top(), c.width() / 2, c.height())};
        (*out)[size_t(n++)] = {QRectF(-hx, -s / 2, stretch, s), QRectF(c.center().x() - texel / 2, c.top(), texel, c.height())};
        (*out)[size_t(n++)] = {QRectF(hx, -s / 2, s / 2, s), QRectF(c.center().x(), c.top(), c.width() / 2, c.height())};
    }
    // Centred as the painter centres a line: by its advance and its ascent plus descent.
    double x = snap(-width / 2);
    const double top = snap(-st.lineHeight / 2 + (st.baseline - kPad) - st.baseline);
    for (int i = 0; i < len && n < 11; ++i) {
        const int d = digits[i] - '0';
        (*out)[size_t(n++)] = {QRectF(x, top + kPad, st.cell.width() - 2 * kPad, st.cell.height() - 2 * kPad),
                               st.digit[size_t(d)]};
        x += snap(st.advance[size_t(d)]);
    }
    return n;
}
