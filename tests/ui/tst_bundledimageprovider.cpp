// Bundled PNGs by id: the @2x file on dense screens when there is one, nothing outside the bundle.
#include "BundledImageProvider.h"

#include <QTest>

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

    void requestedSizeScales()
    {
        BundledImageProvider provider;
        const QImage image = provider.requestImage(QStringLiteral("app/assets/AppIconPreview-256"), nullptr, QSize(64, 64));
        QCOMPARE(image.size(), QSize(64, 64));
    }
};

QTEST_MAIN(TestBundledImageProvider)
#include "tst_bundledimageprovider.moc"
