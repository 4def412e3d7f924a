#include "SettingsModel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {
std::unique_ptr<QSettings> storeIn(const QTemporaryDir &dir)
{
    return std::make_unique<QSettings>(dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
}
} // namespace

class TestSettingsModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstLaunchDefaults()
    {
        QTemporaryDir dir;
        SettingsModel m(storeIn(dir));
        QCOMPARE(m.maxAltitudeLimit(), 120.0);
        QCOMPARE(m.maxAltitudeText(), QStringLiteral("120 m"));
        QVERIFY(m.enablePreflight());
        QVERIFY(m.useMetric());
        QVERIFY(!m.showLogoutConfirm());
    }

    // Told once: acknowledged, the notice stays away across restarts.
    void fileStoreNoticeToldOnce()
    {
        QTemporaryDir dir;
        {
            SettingsModel m(storeIn(dir));
            QVERIFY(!m.fileStoreNoticeSeen());
            QSignalSpy seen(&m, &SettingsModel::fileStoreNoticeSeenChanged);
            m.acknowledgeFileStoreNotice();
            QCOMPARE(seen.size(), 1);
            QVERIFY(m.fileStoreNoticeSeen());
        }
        SettingsModel again(storeIn(dir));
        QVERIFY(again.fileStoreNoticeSeen());
        QCOMPARE(again.maxAltitudeLimit(), 120.0); // nothing else changed
    }

    void keptAcrossRestarts()
    {
        QTemporaryDir dir;
        {
            SettingsModel m(storeIn(dir));
            m.setMaxAltitudeLimit(400);
            m.setEnablePreflight(false);
            m.setUseMetric(false);
            m.setShowLogoutConfirm(true); // screen state, not stored
        }
        QSettings raw(dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("maxAltitudeLimit")).toDouble(), 400.0);
        QCOMPARE(raw.value(QStringLiteral("enablePreflightChecklist")).toBool(), false);
        QCOMPARE(raw.value(QStringLiteral("useMetric")).toBool(), false);
        SettingsModel again(storeIn(dir));
        QCOMPARE(again.maxAltitudeText(), QStringLiteral("400 m"));
        QVERIFY(!again.enablePreflight());
        QVERIFY(!again.useMetric());
        QVERIFY(!again.showLogoutConfirm());
    }

    void sliderSteps_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("stored");
        QTest::newRow("step") << 130.0 << 130.0;
        QTest::newRow("rounds to step") << 134.9 << 130.0;
        QTest::newRow("rounds up") << 135.1 << 140.0;
        QTest::newRow("not below 30") << 0.0 << 30.0;
        QTest::newRow("not above 400") << 9999.0 << 400.0;
        QTest::newRow("nan keeps a sane value") << std::nan("") << 120.0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 120.0;
    }
    void sliderSteps()
    {
        QFETCH(double, input);
        QFETCH(double, stored);
        QTemporaryDir dir;
        SettingsModel m(storeIn(dir));
        QSignalSpy spy(&m, &SettingsModel::maxAltitudeLimitChanged);
        m.setMaxAltitudeLimit(input);
        QCOMPARE(m.maxAltitudeLimit(), stored);
        QCOMPARE(spy.count(), 1);
    }

    void damagedStoreFallsBack_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("shown");
        QTest::newRow("text") << QVariant(QStringLiteral("high")) << 120.0;
        QTest::newRow("too high") << QVariant(5000.0) << 400.0;
        QTest::newRow("too low") << QVariant(-3.0) << 30.0;
    }
    void damagedStoreFallsBack()
    {
        QFETCH(QVariant, value);
        QFETCH(double, shown);
        QTemporaryDir dir;
        storeIn(dir)->setValue(QStringLiteral("maxAltitudeLimit"), value);
        SettingsModel m(storeIn(dir));
        QCOMPARE(m.maxAltitudeLimit(), shown);
    }
};

QTEST_GUILESS_MAIN(TestSettingsModel)
#include "tst_settingsmodel.moc"
