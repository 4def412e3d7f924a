// Thinning across runs: where runs pile up, the later run's marker and dash show and the one
// beneath is left out, and a run no longer covered shows again; shared runs are never changed.
#include "MapOverlay.h"

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
    c->candidateDashes.assign(run.dashes.begin(), run.dashes.end());
    c->markers = c->candidates;
    c->dashes = c->candidateDashes;
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

QList<int> numbers(const OverlayChunk &c)
{
    QList<int> out;
    for (const MarkerDraw &m : c.markers)
        out.append(m.number);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Run)

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
        QCOMPARE(int(chunks[0]->dashes.size()), lowerDashes);
        QCOMPARE(int(chunks[1]->dashes.size()), upperDashes);
        // A replaced run is a copy: whoever still holds the old one sees it as it was.
        for (size_t c = 0; c < chunks.size(); ++c) {
            QCOMPARE(before[c]->markers, before[c]->candidates);
            QCOMPARE(chunks[c] == before[c], std::find(changed.begin(), changed.end(), qsizetype(c)) == changed.end());
        }
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
