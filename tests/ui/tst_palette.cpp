#include "Palette.h"

#include <QTest>

class TestPalette : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void colorFromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::newRow("hash") << "#D4A017" << 212 << 160 << 23;
        QTest::newRow("bare") << "D4A017" << 212 << 160 << 23;
        QTest::newRow("lower with blanks") << "  d4a017 \t" << 212 << 160 << 23;
        QTest::newRow("trailing hash") << "#D4A017#" << 212 << 160 << 23;
        QTest::newRow("0x prefix") << "0x3A7BD5" << 58 << 123 << 213;
        QTest::newRow("0X prefix") << "0X3A7BD5" << 58 << 123 << 213;
        QTest::newRow("hash then 0x") << "#0x3A7BD5" << 58 << 123 << 213;
        QTest::newRow("three digits not expanded") << "#FFF" << 0 << 15 << 255;
        QTest::newRow("eight digits drop the top") << "#80FF0000" << 255 << 0 << 0;
        QTest::newRow("stops at non-hex") << "#12G456" << 0 << 0 << 18;
        QTest::newRow("empty") << "" << 0 << 0 << 0;
        QTest::newRow("lone hash") << "#" << 0 << 0 << 0;
        QTest::newRow("letters") << "zzz" << 0 << 0 << 0;
        QTest::newRow("17 digits overflow to white") << "#1FFFFFFFFFFFFFFFF" << 255 << 255 << 255;
        QTest::newRow("leading zeros are not significant") << "#00000000000000000000D4A017" << 212 << 160 << 23;
        QTest::newRow("16 digits fit") << "F23456789ABCDEF0" << 0xBC << 0xDE << 0xF0;
        QTest::newRow("inner blank stops reading") << "#D4 A017" << 0 << 0 << 0xD4;
        // Letters of other scripts are not trimmed, so reading stops at once.
        QTest::newRow("non-latin letter kept") << QString::fromUtf8("\xC3\xA9" "D4A017") << 0 << 0 << 0;
        QTest::newRow("trailing non-latin letter") << QString::fromUtf8("D4A017\xC3\xA9") << 212 << 160 << 23;
        QTest::newRow("combining mark kept at end") << QString::fromUtf8("D4A017\xCC\x81") << 212 << 160 << 23;
        QTest::newRow("emoji trimmed") << QString::fromUtf8("\xF0\x9F\x8E\xA8#2ECC71\xF0\x9F\x8E\xA8") << 46 << 204 << 113;
        QTest::newRow("arabic digit kept") << QString::fromUtf8("\xD9\xA3" "2ECC71") << 0 << 0 << 0;
        QTest::newRow("0x alone") << "0x" << 0 << 0 << 0;
        QTest::newRow("0x without digits") << "0xZZ" << 0 << 0 << 0;
    }
    void colorFromHex()
    {
        QFETCH(QString, text);
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        const QColor c = zeltrin::colorFromHex(text);
        QCOMPARE(c.red(), r);
        QCOMPARE(c.green(), g);
        QCOMPARE(c.blue(), b);
        QCOMPARE(c.alphaF(), 1.0f);
    }

    void paletteColours()
    {
        const auto &p = zeltrin::palette();
        const QList<QPair<QColor, QColor>> expected = {
            {p.themeBackground, QColor(15, 15, 18)}, {p.themeSurface, QColor(26, 26, 34)},
            {p.themeSurfaceRaised, QColor(44, 44, 58)}, {p.themeGold, QColor(212, 160, 23)},
            {p.themeBlue, QColor(58, 123, 213)}, {p.themeRed, QColor(224, 57, 42)},
            {p.themeGreen, QColor(46, 204, 113)}, {p.themeGrey, QColor(107, 112, 128)},
        };
        for (const auto &[actual, want] : expected)
            QCOMPARE(actual.rgba(), want.rgba());
        QCOMPARE(&zeltrin::palette(), &p); // built once
    }
};

QTEST_APPLESS_MAIN(TestPalette)
#include "tst_palette.moc"
