// Bundled images by id: the @2x file on dense screens when there is one, nothing outside the
// bundle, and only well-formed raw images.
#include "BundledImageProvider.h"

#include <QTest>
#include <QtEndian>

class TestBundledImageProvider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void servesBundledPngs_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("size");
        QTest::newRow("icon") << QStringLiteral("app/assets/AppIconPreview-110") << QSize(110, 110);
        QTest::newRow("icon, dense screen") << QStringLiteral("app/assets/AppIconPreview-110?dpr=2") << QSize(220, 220);
        QTest::newRow("no @2x file: the plain one") << QStringLiteral("app/assets/AppIconPreview-256?dpr=2") << QSize(256, 256);
        QTest::newRow("glow") << QStringLiteral("screens/auth/assets/GateGlow") << QSize(170, 170);
        QTest::newRow("missing") << QStringLiteral("app/assets/NoSuchImage") << QSize(0, 0);
        QTest::newRow("leaves the bundle") << QStringLiteral("../fonts/ZeltrinIcons") << QSize(0, 0);
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << QSize(0, 0);
        QTest::newRow("empty") << QString() << QSize(0, 0);
    }
    void servesBundledPngs()
    {
        QFETCH(QString, id);
        QFETCH(QSize, size);
        BundledImageProvider provider;
        QSize reported(-2, -2);
        const QImage image = provider.requestImage(id, &reported, {});
        QCOMPARE(image.size(), size);
        QCOMPARE(reported, image.size());
    }

    // Channel order and premultiplication survive the build step: the icon's corner is clear,
    // its centre opaque, and no colour channel exceeds alpha.
    void pixelsArePremultipliedArgb()
    {
        BundledImageProvider provider;
        const QImage icon = provider.requestImage(QStringLiteral("app/assets/AppIconPreview-256"), nullptr, {});
        QCOMPARE(icon.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(128, 128)), 255);
        const QImage glow = provider.requestImage(QStringLiteral("screens/auth/assets/GateGlow"), nullptr, {});
        for (const QImage &image : {icon, glow})
            for (int y = 0; y < image.height(); y += 7)
                for (int x = 0; x < image.width(); x += 7) {
                    const QRgb p = image.pixel(x, y);
                    QVERIFY(qRed(p) <= qAlpha(p) && qGreen(p) <= qAlpha(p) && qBlue(p) <= qAlpha(p));
                }
    }

    void rawForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        const auto header = [](quint32 w, quint32 h, const char *magic = "ZARGB\x01\0\0") {
            QByteArray b(magic, 8);
            const quint32 le[2] = {qToLittleEndian(w), qToLittleEndian(h)};
            b.append(reinterpret_cast<const char *>(le), 8);
            return b;
        };
        const QByteArray twoPixels = QByteArray::fromHex("ff0000ff" "80404080"); // LE words
        QTest::newRow("2x1") << header(2, 1) + twoPixels << QSize(2, 1);
        QTest::newRow("1x2") << header(1, 2) + twoPixels << QSize(1, 2);
        QTest::newRow("pixels missing") << header(2, 1) + twoPixels.left(6) << QSize();
        QTest::newRow("pixels left over") << header(1, 1) + twoPixels << QSize();
        QTest::newRow("other version") << header(2, 1, "ZARGB\x02\0\0") + twoPixels << QSize();
        QTest::newRow("not the form") << header(2, 1, "\x89PNG\r\n\x1a\n") + twoPixels << QSize();
        QTest::newRow("zero width") << header(0, 1) << QSize();
        QTest::newRow("sides that overflow") << header(0x10000, 0x10000) + twoPixels << QSize();
        QTest::newRow("header cut short") << header(2, 1).left(12) << QSize();
        QTest::newRow("empty") << QByteArray() << QSize();
    }
    void rawForm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const QImage image = BundledImageProvider::fromRaw(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
        if (!size.isValid()) {
            QVERIFY(image.isNull());
            return;
        }
        QCOMPARE(image.size(), size);
        // Stored as little-endian words, kept as they are (already premultiplied).
        const auto *first = reinterpret_cast<const quint32 *>(image.constScanLine(0));
        const quint32 second = size.width() > 1 ? first[1] : *reinterpret_cast<const quint32 *>(image.constScanLine(1));
        QCOMPARE(first[0], 0xff0000ffu);
        QCOMPARE(second, 0x80404080u);
    }

    void requestedSizeScales()
    {
        BundledImageProvider provider;
        const QImage image = provider.requestImage(QStringLiteral("app/assets/AppIconPreview-256"), nullptr, QSize(64, 64));
        QCOMPARE(image.size(), QSize(64, 64));
    }
};

QTEST_MAIN(TestBundledImageProvider)
#include "tst_bundledimageprovider.moc"
