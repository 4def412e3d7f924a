#include "Fmt.h"
#include "NumberFormat.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

using zeltrin::format;

class TestNumberFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printfRounding_data()
    {
        QTest::addColumn<QString>("fmt");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("small negative keeps sign") << "%.0fm" << -0.4 << "-0m";
        QTest::newRow("round up") << "%.0fm" << 12.6 << "13m";
        QTest::newRow("half rounds to even") << "%.0f" << 0.5 << "0";
        QTest::newRow("1.5 rounds to 2") << "%.0f" << 1.5 << "2";
        QTest::newRow("2.5 rounds to 2") << "%.0f" << 2.5 << "2";
        QTest::newRow("plus sign zero") << "%+.1f m/s" << 0.0 << "+0.0 m/s";
        QTest::newRow("plus sign negative") << "%+.1f m/s" << -0.5 << "-0.5 m/s";
        QTest::newRow("plus sign positive") << "%+.1f m/s" << 2.0 << "+2.0 m/s";
        QTest::newRow("tiny negative two places") << "%.2f m/s" << -0.004 << "-0.00 m/s";
        QTest::newRow("six places") << "%.6f\u00B0" << 47.3977419 << "47.397742\u00B0";
        QTest::newRow("degree rounding") << "%.0f\u00B0" << 359.6 << "360\u00B0";
        QTest::newRow("nan") << "%.1f" << std::nan("") << "nan";
        QTest::newRow("infinity") << "%.0f" << std::numeric_limits<double>::infinity() << "inf";
    }
    void printfRounding()
    {
        QFETCH(QString, fmt);
        QFETCH(double, value);
        QFETCH(QString, expected);
        const QByteArray f = fmt.toUtf8();
        QCOMPARE(format(f.constData(), value), expected);
        // The run-time (QML) path must agree with the compile-time one.
        QCOMPARE(zeltrin::formatVariants(fmt, {value}), expected);
    }

    void integersAndTexts()
    {
        QCOMPARE(format("%02d:%02d", 5, 7), QStringLiteral("05:07"));
        QCOMPARE(format("%02d:%02d", 60LL, 0), QStringLiteral("60:00"));
        QCOMPARE(format("%d%%", qint64(42)), QStringLiteral("42%"));
        QCOMPARE(format("%.0f %@", 30.0, QStringLiteral("\u00B0/s")), QStringLiteral("30 \u00B0/s"));
        QCOMPARE(format("%.0f%@", 30.4, QStringLiteral("m")), QStringLiteral("30m"));
        QCOMPARE(format("%@ EV%+.1f", QStringLiteral("x"), -0.3), QStringLiteral("x EV-0.3"));
        QCOMPARE(format("plain"), QStringLiteral("plain"));
        const QString longText(1000, QLatin1Char('a'));
        QCOMPARE(format("%@!", longText), longText + QLatin1Char('!'));
    }

    void runtimeFormatting_data()
    {
        QTest::addColumn<QString>("fmt");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text argument") << "%.0f %@" << QVariantList{12.0, "m"} << "12 m";
        QTest::newRow("minutes seconds") << "%02d:%02d" << QVariantList{12, 34} << "12:34";
        QTest::newRow("integer from double truncates") << "%d" << QVariantList{12.9} << "12";
        QTest::newRow("integer from nan is placeholder") << "%02d" << QVariantList{std::nan("")} << "\u2014";
        QTest::newRow("integer from huge is placeholder") << "%d" << QVariantList{1e300} << "\u2014";
        QTest::newRow("percent literal") << "%d%%" << QVariantList{7} << "7%";
        QTest::newRow("missing argument") << "%.1f m" << QVariantList{} << "0.0 m";
    }
    void runtimeFormatting()
    {
        QFETCH(QString, fmt);
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        QCOMPARE(zeltrin::formatVariants(fmt, args), expected);
    }

    // The same texts under system locales with a decimal comma or other digits (installed by
    // scripts/ensure-deps.sh): a library that calls setlocale must not change what the pilot reads.
    void independentOfSystemLocale_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("probe"); // what the C library itself prints there for 48.6
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << "48,6";
        QTest::newRow("fr_FR") << QByteArray("fr_FR.UTF-8") << "48,6";
        // glibc keeps the point here and gives Arabic-Indic digits only for the 'I' flag.
        QTest::newRow("ar_EG") << QByteArray("ar_EG.UTF-8") << "48.6";
    }
    void independentOfSystemLocale()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QString, probe);
        const std::string before = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, locale.constData()))
            QFAIL(qPrintable(QStringLiteral("locale %1 is not installed: run scripts/ensure-deps.sh as root")
                                 .arg(QString::fromLatin1(locale))));
        struct Restore {
            std::string name;
            ~Restore() { std::setlocale(LC_ALL, name.c_str()); }
        } restore{before};
        // The locale is really in force: plain snprintf shows its decimal separator.
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", 48.6);
        QCOMPARE(QString::fromUtf8(buf), probe);

        struct Row { const char *fmt; double value; const char *expected; };
        const Row rows[] = {
            {"%.1f m", 48.6, "48.6 m"},
            {"%.1f m/s", 7.25, "7.2 m/s"},
            {"%+.1f m/s", -0.5, "-0.5 m/s"},
            {"%.0fm", -0.4, "-0m"},
            {"%.6f\u00B0", 47.3977419, "47.397742\u00B0"},
            {"%.2f", 1234567.891, "1234567.89"},
        };
        for (const Row &r : rows) {
            QCOMPARE(format(r.fmt, r.value), QString::fromUtf8(r.expected));
            QCOMPARE(zeltrin::formatVariants(QString::fromUtf8(r.fmt), {r.value}), QString::fromUtf8(r.expected));
        }
        QCOMPARE(format("%02d:%02d", 5, 7), QStringLiteral("05:07"));
        QCOMPARE(format("%d%%", 1234567), QStringLiteral("1234567%"));
    }

    void checkedTruncate_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("expected");
        QTest::newRow("positive") << 754.9 << true << 754LL;
        QTest::newRow("negative truncates toward zero") << -61.9 << true << -61LL;
        QTest::newRow("nan") << std::nan("") << false << 0LL;
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << false << 0LL;
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << false << 0LL;
        QTest::newRow("2^63 out of range") << 9223372036854775808.0 << false << 0LL;
        QTest::newRow("-2^63 fits") << -9223372036854775808.0 << true << std::numeric_limits<qlonglong>::min();
        QTest::newRow("1e19") << 1e19 << false << 0LL;
    }
    void checkedTruncate()
    {
        QFETCH(double, value);
        QFETCH(bool, ok);
        QFETCH(qlonglong, expected);
        const auto r = zeltrin::checkedTruncate(value);
        QCOMPARE(r.has_value(), ok);
        if (ok)
            QCOMPARE(*r, expected);
    }

    void shortestDouble_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 50.0 << "50.0";
        QTest::newRow("half") << 12.5 << "12.5";
        QTest::newRow("zero") << 0.0 << "0.0";
        QTest::newRow("hundred") << 100.0 << "100.0";
        QTest::newRow("shortest round trip") << 0.1 * 3 * 100 << "30.000000000000004";
        QTest::newRow("0.7 * 100") << 0.7 * 100.0 << "70.0";
        QTest::newRow("tiny") << 1e-05 << "1e-05";
    }
    void shortestDouble()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(zeltrin::shortestDouble(value), expected);
    }
};

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
