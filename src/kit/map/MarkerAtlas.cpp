#include "MarkerAtlas.h"

#include "MarkerPainter.h"
#include "Palette.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

MarkerAtlas::MarkerAtlas(qreal dpr) : m_dpr(dpr > 0 && std::isfinite(dpr) ? dpr : 1.0)
{
    // Each circle's quad is no larger than its shadow, since the rasteriser pays for every
    // blended pixel: plain 28 + 2 × 4, selected 34 + 2 × 6 (its ring lies inside).
    const double circleSize[2] = {36, 46};
    const double discSize[2] = {28, 34};
    const int numberPx[2] = {marker::kPlainNumberPx, marker::kSelectedNumberPx};
    QFont fonts[2];
    double rowWidth = 0, rowTop[2] = {0, 0}, height = 0;
    for (int k = 0; k < 2; ++k) {
        Style &st = m_styles[k];
        fonts[k] = marker::numberFont(numberPx[k]);
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
        (*out)[size_t(n++)] = {QRectF(-s / 2 - hx, -s / 2, s / 2, s),
                               QRectF(c.left(), c.top(), c.width() / 2, c.height())};
        (*out)[size_t(n++)] = {QRectF(-hx, -s / 2, stretch, s),
                               QRectF(c.center().x() - texel / 2, c.top(), texel, c.height())};
        (*out)[size_t(n++)] = {QRectF(hx, -s / 2, s / 2, s),
                               QRectF(c.center().x(), c.top(), c.width() / 2, c.height())};
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
