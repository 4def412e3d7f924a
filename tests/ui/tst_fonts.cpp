// The bundled faces are cut down at build time: they must still register under the app's own
// family, in every weight the screens use, and draw every character the app's texts contain.
#include "QmlSetup.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

#include <set>

namespace {

// Non-ASCII characters in the product's QML and C++ sources, plus what people's names and
// addresses commonly carry in Latin scripts.
QString charactersToDraw()
{
    std::set<char32_t> chars;
    for (char32_t c : U"éèêëàâäçîïôöùûüÿñßæøåÉÀÇÑÖÜ°…—–×→€") // NOLINT
        chars.insert(c);
    QDirIterator it(qEnvironmentVariable("ZELTRIN_SOURCE_DIR") + QStringLiteral("/src"),
                    {QStringLiteral("*.qml"), QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (char32_t c : QString::fromUtf8(f.readAll()).toUcs4())
            if (c > 0x7e)
                chars.insert(c);
    }
    QString out;
    for (char32_t c : chars)
        out += QString::fromUcs4(&c, 1);
    return out;
}

} // namespace

class TestFonts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The startup path: fonts registered on a worker thread while this one goes on.
    void initTestCase()
    {
        zeltrin::ApplicationLookSetup look;
        look.finish();
    }

    void textFacesRegisterUnderTheAppFamily_data()
    {
        QTest::addColumn<int>("weight");
        QTest::newRow("regular") << int(QFont::Normal);
        QTest::newRow("medium") << int(QFont::Medium);
        QTest::newRow("semibold") << int(QFont::DemiBold);
        QTest::newRow("bold") << int(QFont::Bold);
    }
    void textFacesRegisterUnderTheAppFamily()
    {
        QFETCH(int, weight);
        QFont font(QStringLiteral(ZELTRIN_TEXT_FAMILY));
        font.setPixelSize(17);
        font.setWeight(QFont::Weight(weight));
        const QRawFont raw = QRawFont::fromFont(font);
        QVERIFY(raw.isValid());
        QVERIFY2(raw.familyName().startsWith(QStringLiteral(ZELTRIN_TEXT_FAMILY)), qPrintable(raw.familyName()));
        QCOMPARE(int(raw.weight()), weight); // a face of its own, not a synthesized weight
        const QString text = charactersToDraw();
        QVERIFY(text.contains(QChar(0x2026))); // the scan itself works ("…" is in the sources)
        QStringList missing;
        for (QChar c : text)
            if (!c.isSurrogate() && c.isPrint() && !raw.supportsCharacter(c))
                missing << QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("no glyph for: ") + missing.join(QLatin1Char(' '))));
    }

    // The system's full Inter, if installed, must not stand in: the app font resolves to ours.
    void appFontResolvesToTheBundledFamily()
    {
        QCOMPARE(QFontInfo(QGuiApplication::font()).family(), QStringLiteral(ZELTRIN_TEXT_FAMILY));
        // The icon font registers when first asked for.
        QCOMPARE(zeltrin::iconFontFamily(), QStringLiteral(ZELTRIN_ICON_FAMILY));
        QVERIFY(QFontDatabase::families().contains(QStringLiteral(ZELTRIN_ICON_FAMILY)));
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
