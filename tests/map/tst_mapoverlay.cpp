// Building a run's path: legs running straight on become one piece with the dash pattern carried
// across, and the pieces' dashes as a painter draws them. Thinning across runs: where runs pile up, the later run's marker and dash show and the one
// beneath is left out, and a run no longer covered shows again; shared runs are never changed.
#include "MapOverlay.h"
#include "MarkerIndex.h"
#include "WebMercator.h"

#include <QTest>

namespace {

struct Run {
    QList<QPointF> markers; // numbered from `first` upwards
    int first = 1;
    QList<QLineF> dashes;
};

std::shared_ptr<const OverlayChunk> chunkOf(const Run &run)
{
    auto c = std::make_shared<OverlayChunk>();
    int n = run.first;
    for (const QPointF &p : run.markers)
        c->candidates.push_back({p, n++, 0.0});
    for (const QLineF &d : run.dashes)
        c->candidatePath.push_back({d, 0});
    c->markers = c->candidates;
    c->path = c->candidatePath;
    return c;
}

OverlayFrame frame()
{
    OverlayFrame f;
    f.valid = true;
    f.width = f.height = 400;
    f.region = QRectF(-400, -400, 800, 800);
    return f;
}

// Frame pixels as waypoints: the world point at the frame's origin is (0.5, 0.5).
constexpr double kScale = 1e6;
QList<zeltrin::Coordinate> waypointsAt(const QList<QPointF> &pixels)
{
    QList<zeltrin::Coordinate> out;
    for (const QPointF &p : pixels)
        out.append({zeltrin::mercator::latitude(0.5 + p.y() / kScale), zeltrin::mercator::longitude(0.5 + p.x() / kScale)});
    return out;
}

struct Pieces {
    QList<QLineF> lines;
    QList<double> phases;
};

bool near(const QLineF &a, const QLineF &b)
{
    return QLineF(a.p1(), b.p1()).length() < 1e-3 && QLineF(a.p2(), b.p2()).length() < 1e-3;
}

// Phases compare round the pattern: 9.9999 is 0.
bool samePhase(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), kDashPeriod);
    return std::min(d, kDashPeriod - d) < 1e-3;
}

QString describe(const QList<QLineF> &lines, const QList<double> &phases)
{
    QStringList out;
    for (qsizetype i = 0; i < lines.size(); ++i)
        out << QString::asprintf("(%.2f,%.2f)-(%.2f,%.2f)@%.2f", lines[i].x1(), lines[i].y1(), lines[i].x2(), lines[i].y2(),
                                 i < phases.size() ? phases[i] : -1.0);
    return out.join(u' ');
}

QList<int> numbers(const OverlayChunk &c)
{
    QList<int> out;
    for (const MarkerDraw &m : c.markers)
        out.append(m.number);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(Pieces)

class TestMapOverlay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void thinsAcrossRuns_data()
    {
        QTest::addColumn<Run>("lower");
        QTest::addColumn<Run>("upper");
        QTest::addColumn<QList<int>>("lowerShown");
        QTest::addColumn<QList<int>>("upperShown");
        QTest::addColumn<int>("lowerDashes");
        QTest::addColumn<int>("upperDashes");
        QTest::addColumn<QList<qsizetype>>("replaced");
        QTest::newRow("apart: both show, nothing replaced")
            << Run{{{0, 0}}, 1, {}} << Run{{{100, 0}}, 257, {}} << QList<int>{1} << QList<int>{257} << 0 << 0
            << QList<qsizetype>{};
        QTest::newRow("one cell: the later run's marker")
            << Run{{{0, 0}, {60, 0}}, 1, {}} << Run{{{4, 4}}, 257, {}} << QList<int>{2} << QList<int>{257} << 0 << 0
            << QList<qsizetype>{0};
        QTest::newRow("one dash cell: the later run's dash")
            << Run{{}, 1, {QLineF(0, 0, 4, 0), QLineF(20, 0, 24, 0)}} << Run{{}, 257, {QLineF(1, 1, 3, 1)}}
            << QList<int>{} << QList<int>{} << 1 << 1 << QList<qsizetype>{0};
        QTest::newRow("a run over itself: its later dash")
            << Run{{}, 1, {QLineF(0, 0, 4, 0), QLineF(0, 1, 4, 1)}} << Run{}
            << QList<int>{} << QList<int>{} << 1 << 0 << QList<qsizetype>{0};
        QTest::newRow("a long piece covered along its whole length: left out")
            << Run{{}, 1, {QLineF(0, 0, 100, 0)}} << Run{{}, 257, {QLineF(0, 1, 100, 1)}}
            << QList<int>{} << QList<int>{} << 0 << 1 << QList<qsizetype>{0};
        QTest::newRow("a long piece covered for part of it: still shows")
            << Run{{}, 1, {QLineF(0, 0, 200, 0)}} << Run{{}, 257, {QLineF(0, 1, 100, 1)}}
            << QList<int>{} << QList<int>{} << 1 << 1 << QList<qsizetype>{};
        QTest::newRow("outside the built region: left out")
            << Run{{{5000, 0}}, 1, {}} << Run{} << QList<int>{} << QList<int>{} << 0 << 0 << QList<qsizetype>{0};
    }
    void thinsAcrossRuns()
    {
        QFETCH(Run, lower);
        QFETCH(Run, upper);
        QFETCH(QList<int>, lowerShown);
        QFETCH(QList<int>, upperShown);
        QFETCH(int, lowerDashes);
        QFETCH(int, upperDashes);
        QFETCH(QList<qsizetype>, replaced);
        std::vector<std::shared_ptr<const OverlayChunk>> chunks{chunkOf(lower), chunkOf(upper)};
        const std::vector<std::shared_ptr<const OverlayChunk>> before = chunks;
        const std::vector<qsizetype> changed = overlay::thinAcrossRuns(frame(), &chunks);
        QCOMPARE(QList<qsizetype>(changed.begin(), changed.end()), replaced);
        QCOMPARE(numbers(*chunks[0]), lowerShown);
        QCOMPARE(numbers(*chunks[1]), upperShown);
        QCOMPARE(int(chunks[0]->path.size()), lowerDashes);
        QCOMPARE(int(chunks[1]->path.size()), upperDashes);
        // A replaced run is a copy: whoever still holds the old one sees it as it was.
        for (size_t c = 0; c < chunks.size(); ++c) {
            QCOMPARE(before[c]->markers, before[c]->candidates);
            QCOMPARE(chunks[c] == before[c], std::find(changed.begin(), changed.end(), qsizetype(c)) == changed.end());
        }
    }

    void buildsPieces_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<Pieces>("want");
        QTest::newRow("a straight row is one piece")
            << QList<QPointF>{{0, 0}, {10, 0}, {20, 0}, {35, 0}} << Pieces{{QLineF(0, 0, 35, 0)}, {0}};
        QTest::newRow("a turn starts a piece that carries the pattern on")
            << QList<QPointF>{{0, 0}, {12, 0}, {12, 20}} << Pieces{{QLineF(0, 0, 12, 0), QLineF(12, 0, 12, 20)}, {0, 2}};
        QTest::newRow("a piece wholly in a gap is left out")
            << QList<QPointF>{{0, 0}, {6, 0}, {6, 3}, {0, 3}} << Pieces{{QLineF(0, 0, 6, 0), QLineF(6, 3, 0, 3)}, {0, 9}};
        QTest::newRow("a bend of a pixel is not straightened")
            << QList<QPointF>{{0, 0}, {100, 0}, {200, 1}} << Pieces{{QLineF(0, 0, 100, 0), QLineF(100, 0, 200, 1)}, {0, 0}};
        QTest::newRow("turning back is a new piece")
            << QList<QPointF>{{0, 0}, {50, 0}, {20, 0}} << Pieces{{QLineF(0, 0, 50, 0), QLineF(50, 0, 20, 0)}, {0, 0}};
        QTest::newRow("clipped at the region, the phase counts the part cut off")
            << QList<QPointF>{{-1000, 0}, {0, 0}} << Pieces{{QLineF(-408, 0, 0, 0)}, {2}};
    }
    void buildsPieces()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(Pieces, want);
        MarkerIndex index;
        index.update(waypointsAt(points), 0);
        OverlayFrame f = frame();
        f.ox = f.oy = 0.5;
        f.scale = kScale;
        OverlayChunk chunk;
        overlay::buildChunk(index, 0, f, std::nullopt, std::nullopt, &chunk);
        QList<QLineF> lines;
        QList<double> phases;
        for (const PathPiece &p : chunk.path) {
            lines.append(p.line);
            phases.append(p.phase);
        }
        bool same = lines.size() == want.lines.size();
        for (qsizetype i = 0; same && i < lines.size(); ++i)
            same = near(lines[i], want.lines[i]) && samePhase(phases[i], want.phases[i]);
        QVERIFY2(same, qPrintable(describe(lines, phases) + " wanted " + describe(want.lines, want.phases)));
    }

    // Within one run: markers clear of each other all show, however the cells fall; markers
    // closer than a marker's width show the later one of each pair that would overlap.
    void markersOfARun_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("32 px apart in a row: all") << QList<QPointF>{{0, 0}, {32, 0}, {64, 0}, {96, 0}, {128, 0}, {160, 0}}
                                                  << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("31 px apart in a column: all") << QList<QPointF>{{0, 0}, {0, 31}, {0, 62}, {0, 93}}
                                                     << QList<int>{1, 2, 3, 4};
        QTest::newRow("20 px apart: every other, the later ones") << QList<QPointF>{{0, 0}, {20, 0}, {40, 0}, {60, 0}}
                                                                  << QList<int>{2, 4};
        QTest::newRow("on one another: the later") << QList<QPointF>{{0, 0}, {3, 2}} << QList<int>{2};
    }
    void markersOfARun()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(QList<int>, shown);
        MarkerIndex index;
        index.update(waypointsAt(points), 0);
        OverlayFrame f = frame();
        f.ox = f.oy = 0.5;
        f.scale = kScale;
        // Every offset of the cell grid against the markers.
        for (const double shift : {0.0, 7.0, 16.0, 29.0, 41.0}) {
            f.ox = 0.5 + shift / kScale;
            OverlayChunk chunk;
            overlay::buildChunk(index, 0, f, std::nullopt, std::nullopt, &chunk);
            QCOMPARE(numbers(chunk), shown);
        }
    }

    void dashesOfAPiece_data()
    {
        QTest::addColumn<double>("phase");
        QTest::addColumn<double>("length");
        QTest::addColumn<QList<QLineF>>("want");
        QTest::newRow("from the start of a dash") << 0.0 << 12.0 << QList<QLineF>{QLineF(0, 0, 5, 0), QLineF(10, 0, 12, 0)};
        QTest::newRow("from inside a dash") << 3.0 << 20.0
            << QList<QLineF>{QLineF(0, 0, 2, 0), QLineF(7, 0, 12, 0), QLineF(17, 0, 20, 0)};
        QTest::newRow("from inside a gap") << 8.0 << 4.0 << QList<QLineF>{QLineF(2, 0, 4, 0)};
        QTest::newRow("wholly in a gap") << 6.0 << 3.0 << QList<QLineF>{};
    }
    void dashesOfAPiece()
    {
        QFETCH(double, phase);
        QFETCH(double, length);
        QFETCH(QList<QLineF>, want);
        std::vector<QLineF> got;
        overlay::appendDashes({QLineF(0, 0, length, 0), phase}, &got);
        const QList<QLineF> lines(got.begin(), got.end());
        bool same = lines.size() == want.size();
        for (qsizetype i = 0; same && i < lines.size(); ++i)
            same = near(lines[i], want[i]);
        QVERIFY2(same, qPrintable(describe(lines, {}) + " wanted " + describe(want, {})));
    }

    // The run on top moves away (an edit rebuilds only it): the marker beneath shows again, and
    // thinning the same runs twice replaces nothing.
    void uncoveredRunShowsAgain()
    {
        std::vector<std::shared_ptr<const OverlayChunk>> chunks{chunkOf({{{0, 0}}, 1, {}}), chunkOf({{{3, 3}}, 257, {}})};
        overlay::thinAcrossRuns(frame(), &chunks);
        QVERIFY(chunks[0]->markers.empty());
        QVERIFY(overlay::thinAcrossRuns(frame(), &chunks).empty());
        chunks[1] = chunkOf({{{200, 0}}, 257, {}});
        const std::vector<qsizetype> changed = overlay::thinAcrossRuns(frame(), &chunks);
        QCOMPARE(QList<qsizetype>(changed.begin(), changed.end()), QList<qsizetype>{0});
        QCOMPARE(numbers(*chunks[0]), QList<int>{1});
        QCOMPARE(numbers(*chunks[1]), QList<int>{257});
    }
};

QTEST_APPLESS_MAIN(TestMapOverlay)
#include "tst_mapoverlay.moc"
