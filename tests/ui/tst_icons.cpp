#include "Icons.h"

#include <QDirIterator>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

#include <set>

namespace {

QString sourceDir() { return qEnvironmentVariable("ZELTRIN_SOURCE_DIR"); }

// Icon identifiers the product's sources use: QML icon properties, and text literals on C++
// lines that speak of icons (tables of titles and icons, computed icon names).
std::set<QString> usedIdentifiers()
{
    static const QRegularExpression qmlProp(
        QStringLiteral(R"re((?:\bicon|iconName|systemImage|glyphName)\s*:\s*"([^"]+)")re"));
    static const QRegularExpression qmlIconName(QStringLiteral(R"re(\bname\s*:\s*"([a-z0-9]+(?:\.[a-z0-9]+)*)")re"));
    static const QRegularExpression glyphCall(QStringLiteral(R"re(Icons\.glyph\(\s*"([^"]+)"\s*\))re"));
    static const QRegularExpression cppLiteral(QStringLiteral(R"re("([a-z0-9]+(?:\.[a-z0-9]+)+)")re"));
    std::set<QString> ids;
    QDirIterator it(sourceDir() + QStringLiteral("/src"), {QStringLiteral("*.qml"), QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QStringLiteral("/Icons.cpp")))
            continue;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(f.readAll());
        if (path.endsWith(QStringLiteral(".qml"))) {
            for (const auto *re : {&qmlProp, &glyphCall})
                for (auto m = re->globalMatch(text); m.hasNext();)
                    ids.insert(m.next().captured(1));
            if (text.contains(QStringLiteral("Icon {")))
                for (auto m = qmlIconName.globalMatch(text); m.hasNext();)
                    ids.insert(m.next().captured(1));
        } else {
            for (const QString &line : text.split(QLatin1Char('\n'))) {
                if (!line.contains(QStringLiteral("icon"), Qt::CaseInsensitive))
                    continue;
                for (auto m = cppLiteral.globalMatch(line); m.hasNext();)
                    ids.insert(m.next().captured(1));
            }
        }
    }
    return ids;
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyUsedIdentifierHasAGlyph()
    {
        QVERIFY2(!sourceDir().isEmpty(), "ZELTRIN_SOURCE_DIR is not set");
        const auto ids = usedIdentifiers();
        QVERIFY(ids.count(QStringLiteral("house.fill")) == 1); // the scan itself works
        QStringList missing;
        for (const QString &id : ids)
            if (!zeltrin::hasIcon(id))
                missing << id;
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("no glyph for: ") + missing.join(QStringLiteral(", "))));
    }

    void tableIsSortedAndUnique()
    {
        const auto table = zeltrin::iconTable();
        for (size_t i = 1; i < table.size(); ++i)
            QVERIFY2(qstrcmp(table[i - 1].id, table[i].id) < 0, table[i].id);
    }

    // Each code point is the named glyph's in the font's own table, and the bundled font draws it.
    void glyphsExistInBundledFont()
    {
        QFile scss(qEnvironmentVariable("ZELTRIN_ICON_CODEPOINTS"));
        QVERIFY2(scss.open(QIODevice::ReadOnly), "Material Icons code point table not found");
        const QString table = QString::fromUtf8(scss.readAll());
        QFile fontFile(QStringLiteral(":/fonts/ZeltrinIcons.ttf"));
        QVERIFY(fontFile.open(QIODevice::ReadOnly));
        const QRawFont font(fontFile.readAll(), 24);
        QVERIFY(font.isValid());
        for (const auto &g : zeltrin::iconTable()) {
            const QRegularExpression re(QStringLiteral("\"%1\": ([0-9a-f]+),").arg(QString::fromLatin1(g.materialName)));
            const auto m = re.match(table);
            QVERIFY2(m.hasMatch(), g.materialName);
            QCOMPARE(m.captured(1).toUInt(nullptr, 16), uint(g.codePoint));
            QVERIFY2(font.supportsCharacter(QChar(g.codePoint)), g.materialName);
        }
    }

    // What the glyphs look like where it matters: outline shapes are hollow, and icons shown
    // side by side for different things are not the same drawing.
    void glyphShapes_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("other"); // must be drawn differently; empty: none
        QTest::addColumn<bool>("hollow");   // the centre is empty
        QTest::newRow("circle is an outline") << "circle" << "" << true;
        QTest::newRow("dashed circle is an outline") << "circle.dashed" << "" << true;
        QTest::newRow("POI is not ActiveTrack") << "scope" << "location.fill.viewfinder" << false;
    }
    void glyphShapes()
    {
        QFETCH(QString, id);
        QFETCH(QString, other);
        QFETCH(bool, hollow);
        QFile fontFile(QStringLiteral(":/fonts/ZeltrinIcons.ttf"));
        QVERIFY(fontFile.open(QIODevice::ReadOnly));
        const QRawFont font(fontFile.readAll(), 48);
        auto draw = [&](const QString &name) {
            const auto glyphs = font.glyphIndexesForString(zeltrin::iconGlyph(name));
            return glyphs.size() == 1 ? font.alphaMapForGlyph(glyphs.first(), QRawFont::PixelAntialiasing) : QImage();
        };
        const QImage img = draw(id);
        QVERIFY(!img.isNull());
        if (hollow) {
            const QRect c(img.width() / 2 - 3, img.height() / 2 - 3, 6, 6);
            for (int y = c.top(); y <= c.bottom(); ++y)
                for (int x = c.left(); x <= c.right(); ++x)
                    QCOMPARE(img.format() == QImage::Format_Alpha8 ? qAlpha(img.pixel(x, y)) : qGray(img.pixel(x, y)), 0);
        }
        if (!other.isEmpty())
            QVERIFY(img != draw(other));
    }

    void unknownIdentifierGivesEmptyGlyph()
    {
        QVERIFY(zeltrin::iconGlyph(u"no.such.icon").isEmpty());
        QCOMPARE(zeltrin::iconGlyph(u"house.fill"), QString(QChar(0xe88a)));
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
