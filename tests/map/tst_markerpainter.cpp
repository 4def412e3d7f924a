// A marker's number stays inside its disc however many digits it has: up to three the disc is
// round, beyond it becomes a pill. Both ways of drawing it: the atlas quads the GPU renderer
// draws, and the sprites the software renderer paints. Markers thinned where they pile up never
// overlap as drawn, discs or pills.
#include "MarkerPainter.h"
#include "Palette.h"
#include "QmlSetup.h"

#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include <cmath>

namespace {

struct Extent {
    double left = 1e9, right = -1e9;
    void add(double l, double r)
    {
        left = std::min(left, l);
        right = std::max(right, r);
    }
};

// A plain marker's width as the atlas draws it: the disc, stretched into a pill past three digits.
double drawnWidth(const MarkerAtlas &atlas, int number)
{
    std::array<MarkerAtlas::Quad, 11> quads;
    const int n = atlas.layout(number, &quads);
    const bool pill = n - int(QString::number(number).size()) == 3;
    return 28 + (pill ? quads[1].target.width() : 0);
}

bool onDevicePixels(double v, qreal dpr)
{
    return std::abs(v * dpr - std::round(v * dpr)) < 1e-6;
}

} // namespace

class TestMarkerPainter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zeltrin::setupApplicationLook(); } // the app's font, whose digits are measured

    void numbersStayInsideTheirDisc_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("pill");
        QTest::newRow("1") << 1 << false;
        QTest::newRow("88") << 88 << false;
        QTest::newRow("888") << 888 << false; // the widest three digits
        QTest::newRow("999") << 999 << false;
        QTest::newRow("1000") << 1000 << true;
        QTest::newRow("10000") << 10000 << true;
        QTest::newRow("88888") << 88888 << true;
        QTest::newRow("12345678") << 12345678 << true;
    }

    // The atlas: one disc quad or a pill's three, contiguous and on device pixels, and every
    // digit within the disc's flat or round part, at each ratio and in each style.
    void numbersStayInsideTheirDisc()
    {
        QFETCH(int, number);
        QFETCH(bool, pill);
        for (const qreal dpr : {1.0, 2.0, 3.0}) {
            const MarkerAtlas atlas(dpr);
            for (const auto kind : {MarkerAtlas::Plain, MarkerAtlas::Selected}) {
                const QString where = QStringLiteral("ratio %1, %2").arg(dpr).arg(kind == MarkerAtlas::Plain ? "plain" : "selected");
                std::array<MarkerAtlas::Quad, 11> quads;
                const int n = atlas.layout(number, &quads, kind);
                const int discQuads = pill ? 3 : 1;
                QCOMPARE(n, discQuads + int(QString::number(number).size()));
                const double shadowQuad = quads[0].target.height(); // the disc's quad is square
                const double disc = kind == MarkerAtlas::Plain ? 28 : 34;
                double stretch = 0;
                if (pill) {
                    QVERIFY2(qFuzzyCompare(quads[0].target.right(), quads[1].target.left()), qPrintable(where));
                    QVERIFY2(qFuzzyCompare(quads[1].target.right(), quads[2].target.left()), qPrintable(where));
                    stretch = quads[1].target.width();
                    QVERIFY2(stretch > 0, qPrintable(where));
                    for (int k = 0; k < 3; ++k) {
                        QVERIFY2(onDevicePixels(quads[size_t(k)].target.left(), dpr), qPrintable(where));
                        QVERIFY2(onDevicePixels(quads[size_t(k)].target.right(), dpr), qPrintable(where));
                    }
                    QCOMPARE(quads[0].target.width() + quads[2].target.width(), shadowQuad);
                }
                Extent ink;
                for (int k = discQuads; k < n; ++k)
                    ink.add(quads[size_t(k)].target.left(), quads[size_t(k)].target.right());
                const double half = (disc + stretch) / 2;
                // A digit's box is its widest glyph's cell: allow a pixel of it past the inset.
                const double margin = marker::kNumberInset - 1;
                QVERIFY2(ink.left >= -half + margin, qPrintable(where + QStringLiteral(": ink from %1, disc from %2").arg(ink.left).arg(-half)));
                QVERIFY2(ink.right <= half - margin, qPrintable(where + QStringLiteral(": ink to %1, disc to %2").arg(ink.right).arg(half)));
            }
        }
    }

    // Two runs piled on one another, their markers `step` px apart along a row (or a column),
    // the runs' markers between each other's. Whatever thinning shows, no two shown markers
    // overlap as the atlas draws them, and at least `least` show.
    void shownMarkersNeverOverlap_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<QPointF>("step");
        QTest::addColumn<int>("least");
        QTest::newRow("discs 10 px apart in a row") << 1 << QPointF(10, 0) << 6;
        QTest::newRow("discs 18 px apart in a column") << 1 << QPointF(0, 18) << 6;
        QTest::newRow("discs 18 px apart on a slant") << 1 << QPointF(18, 9) << 6;
        QTest::newRow("discs 32 px apart: all show") << 1 << QPointF(32, 0) << 20;
        QTest::newRow("four-digit pills 24 px apart") << 1000 << QPointF(24, 0) << 5;
        QTest::newRow("five-digit pills 40 px apart") << 10000 << QPointF(40, 0) << 9;
        QTest::newRow("five-digit pills 20 px apart in a column") << 10000 << QPointF(0, 20) << 6;
    }
    void shownMarkersNeverOverlap()
    {
        QFETCH(int, first);
        QFETCH(QPointF, step);
        QFETCH(int, least);
        const MarkerAtlas atlas(1.0);
        OverlayFrame frame;
        frame.valid = true;
        frame.width = frame.height = 400;
        frame.region = QRectF(-400, -400, 800, 800);
        std::vector<std::shared_ptr<const OverlayChunk>> chunks;
        for (int run = 0; run < 2; ++run) {
            auto c = std::make_shared<OverlayChunk>();
            for (int k = 0; k < 10; ++k) {
                const double at = 2 * k + run - 10;
                c->candidates.push_back({step * at, first + run * 256 + k, 0.0});
            }
            c->markers = c->candidates;
            chunks.push_back(std::move(c));
        }
        overlay::thinAcrossRuns(frame, &chunks);
        std::vector<MarkerDraw> shown;
        for (const auto &c : chunks)
            shown.insert(shown.end(), c->markers.begin(), c->markers.end());
        QVERIFY2(int(shown.size()) >= least, qPrintable(QString::number(shown.size())));
        for (size_t a = 0; a < shown.size(); ++a)
            for (size_t b = a + 1; b < shown.size(); ++b) {
                const QPointF d = shown[a].pos - shown[b].pos;
                const double apart = (drawnWidth(atlas, shown[a].number) + drawnWidth(atlas, shown[b].number)) / 2;
                QVERIFY2(std::abs(d.x()) >= apart || std::abs(d.y()) >= 28,
                         qPrintable(QStringLiteral("%1 and %2 overlap").arg(shown[a].number).arg(shown[b].number)));
            }
    }

    // The software renderer's sprite: along the marker's middle rows, the number's ink starts
    // and ends inside the gold, with gold on both sides of it.
    void spritesKeepTheNumberOnGold_data() { numbersStayInsideTheirDisc_data(); }
    void spritesKeepTheNumberOnGold()
    {
        QFETCH(int, number);
        QFETCH(bool, pill);
        const QColor gold = zeltrin::palette().themeGold;
        for (const bool selected : {false, true}) {
            const QImage img = marker::sprite(number, selected, 1.0).convertToFormat(QImage::Format_ARGB32);
            QVERIFY(!img.isNull());
            QCOMPARE(img.width() > marker::kSpriteSize, pill);
            QCOMPARE(img.height(), marker::kSpriteSize);
            const auto isGold = [&](QRgb c) {
                return qAlpha(c) > 200 && std::abs(qRed(c) - gold.red()) < 24 && std::abs(qGreen(c) - gold.green()) < 24
                       && std::abs(qBlue(c) - gold.blue()) < 24;
            };
            const auto isInk = [&](QRgb c) { return qAlpha(c) > 200 && qGray(c) < 100; };
            Extent discExtent, ink;
            const int mid = img.height() / 2;
            for (int y = mid - 4; y <= mid + 4; ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb c = img.pixel(x, y);
                    if (isGold(c))
                        discExtent.add(x, x);
                    else if (isInk(c))
                        ink.add(x, x);
                }
            }
            const QString where = selected ? QStringLiteral("selected") : QStringLiteral("plain");
            QVERIFY2(ink.right >= ink.left, qPrintable(where + QStringLiteral(": no ink")));
            QVERIFY2(ink.left - discExtent.left >= 2, qPrintable(where + QStringLiteral(": ink from %1, gold from %2").arg(ink.left).arg(discExtent.left)));
            QVERIFY2(discExtent.right - ink.right >= 2, qPrintable(where + QStringLiteral(": ink to %1, gold to %2").arg(ink.right).arg(discExtent.right)));
        }
    }
};

QTEST_MAIN(TestMarkerPainter)
#include "tst_markerpainter.moc"
