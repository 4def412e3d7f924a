// Compares the tour rendered offscreen (software scene graph) with the same tour rendered in a
// real window (OpenGL): each scene must look the same on both, up to anti-aliasing and text
// rasterisation. A pixel differs when one channel moves by more than kChannelTolerance; a scene
// fails when more than kMaxDifferingShare of its pixels differ, or when the differing pixels
// cluster into a block (a missing card, a control drawn elsewhere) rather than scattered edges.
// Usage: tst_tourcompare OFFSCREEN_DIR WINDOW_DIR [QtTest args]; writes <WINDOW_DIR>/diff/*.png.
#include <QDir>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

QString g_offscreenDir, g_windowDir;

constexpr int kChannelTolerance = 48;
constexpr double kMaxDifferingShare = 0.08; // text is rasterised differently by the two renderers
constexpr int kMaxBlocks = 2;
// A block: a kBlock x kBlock tile in which more than kBlockShare of the pixels differ.
constexpr int kBlock = 16;
constexpr double kBlockShare = 0.5;

struct Difference {
    double share = 0;
    int blocks = 0;
    QPoint firstBlock{-1, -1};
    QImage mask;
};

bool differs(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) > kChannelTolerance || std::abs(qGreen(a) - qGreen(b)) > kChannelTolerance
        || std::abs(qBlue(a) - qBlue(b)) > kChannelTolerance;
}

Difference compare(const QImage &a, const QImage &b)
{
    Difference d;
    d.mask = QImage(a.size(), QImage::Format_RGB32);
    d.mask.fill(Qt::black);
    qint64 count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        auto *rm = reinterpret_cast<QRgb *>(d.mask.scanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (differs(ra[x], rb[x])) {
                ++count;
                rm[x] = qRgb(255, 0, 255);
            } else {
                rm[x] = qRgb(qGray(ra[x]) / 3, qGray(ra[x]) / 3, qGray(ra[x]) / 3);
            }
        }
    }
    d.share = double(count) / (qint64(a.width()) * a.height());
    for (int by = 0; by + kBlock <= a.height(); by += kBlock) {
        for (int bx = 0; bx + kBlock <= a.width(); bx += kBlock) {
            int n = 0;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx; x < bx + kBlock; ++x)
                    n += d.mask.pixel(x, y) == qRgb(255, 0, 255);
            if (n > kBlockShare * kBlock * kBlock) {
                if (d.blocks++ == 0)
                    d.firstBlock = QPoint(bx, by);
            }
        }
    }
    return d;
}

} // namespace

class TestTourCompare : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameInRealWindow_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList files = QDir(g_offscreenDir).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(QStringLiteral("no tour images in ") + g_offscreenDir));
        for (const QString &f : files)
            QTest::newRow(qPrintable(f)) << f;
    }
    void sameInRealWindow()
    {
        QFETCH(QString, name);
        const QImage a = QImage(QDir(g_offscreenDir).filePath(name)).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(QDir(g_windowDir).filePath(name)).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!a.isNull(), qPrintable(name + QStringLiteral(": offscreen image unreadable")));
        QVERIFY2(!b.isNull(), qPrintable(name + QStringLiteral(": no real-window image")));
        QCOMPARE(b.size(), a.size());
        const Difference d = compare(a, b);
        const QString summary = QStringLiteral("%1: %2% of pixels differ, %3 solid %4px blocks (first at %5,%6)")
                                    .arg(name)
                                    .arg(d.share * 100, 0, 'f', 2)
                                    .arg(d.blocks)
                                    .arg(kBlock)
                                    .arg(d.firstBlock.x())
                                    .arg(d.firstBlock.y());
        qInfo("%s", qPrintable(summary));
        if (d.share > 0) {
            const QString diffDir = QDir(g_windowDir).filePath(QStringLiteral("diff"));
            QDir().mkpath(diffDir);
            d.mask.save(QDir(diffDir).filePath(name));
        }
        QVERIFY2(d.share <= kMaxDifferingShare && d.blocks <= kMaxBlocks, qPrintable(summary));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OFFSCREEN_DIR WINDOW_DIR [QtTest args]\n", argv[0]);
        return 2;
    }
    g_offscreenDir = QString::fromLocal8Bit(argv[1]);
    g_windowDir = QString::fromLocal8Bit(argv[2]);
    // QtTest sees only its own arguments.
    std::vector<char *> rest{argv[0]};
    for (int i = 3; i < argc; ++i)
        rest.push_back(argv[i]);
    TestTourCompare t;
    return QTest::qExec(&t, int(rest.size()), rest.data());
}

#include "tst_tourcompare.moc"
