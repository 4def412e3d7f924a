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

} // namespace

namespace marker {

QFont numberFont(int pixelSize)
{
    QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

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
