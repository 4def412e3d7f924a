#include "CameraModel.h"
#include "DJIDroneManager.h"
#include "FakeDJISDK.h"
#include "Palette.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>
#include <set>

using zeltrin::ColorProfile;
using zeltrin::FocusMode;

namespace {
struct Harness {
    FakeDJISDK sdk;
    DJIDroneManager drone{&sdk};
    CameraModel camera;
    Harness()
    {
        drone.setLogSink([](const QString &) {});
        camera.setDrone(&drone);
    }
};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

class TestCameraModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshScreen()
    {
        Harness h;
        QCOMPARE(h.camera.iso(), 100.0);
        QCOMPARE(h.camera.gimbalPitch(), 0.0);
        QCOMPARE(h.camera.shutterIndex(), 4);
        QCOMPARE(h.camera.isPhotoMode(), true);
        QCOMPARE(h.camera.showAdvancedControls(), false);
        QCOMPARE(h.camera.isRecording(), false);
    }

    void shutterSpeedsInOrder()
    {
        QCOMPARE(CameraModel::shutterSpeeds(),
                 QStringList({"1/30", "1/60", "1/120", "1/250", "1/500", "1/1000", "1/2000", "1/4000", "1/8000"}));
        Harness h;
        h.camera.setShutterIndex(8);
        QCOMPARE(h.camera.shutterIndex(), 8);
        h.camera.setShutterIndex(9); // off the wheel: ignored
        QCOMPARE(h.camera.shutterIndex(), 8);
        h.camera.setShutterIndex(-1);
        QCOMPARE(h.camera.shutterIndex(), 8);
    }

    void isoSnaps_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("expected");
        QTest::newRow("step") << 200.0 << 200.0;
        QTest::newRow("rounds down") << 149.0 << 100.0;
        QTest::newRow("rounds up") << 151.0 << 200.0;
        QTest::newRow("below range") << 0.0 << 100.0;
        QTest::newRow("above range") << 6400.0 << 3200.0;
        QTest::newRow("top") << 3199.9 << 3200.0;
        QTest::newRow("NaN kept out") << kNaN << 100.0;
        QTest::newRow("infinity kept out") << kInf << 100.0;
    }
    void isoSnaps()
    {
        QFETCH(double, input);
        QFETCH(double, expected);
        Harness h;
        QSignalSpy spy(&h.camera, &CameraModel::isoChanged);
        h.camera.setIso(input);
        QCOMPARE(h.camera.iso(), expected);
        QCOMPARE(spy.count(), 1);
    }

    void gimbalSnaps_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("expected");
        QTest::newRow("whole") << -45.0 << -45.0;
        QTest::newRow("fraction") << -12.4 << -12.0;
        QTest::newRow("bottom") << -90.0 << -90.0;
        QTest::newRow("below") << -120.0 << -90.0;
        QTest::newRow("top") << 30.0 << 30.0;
        QTest::newRow("above") << 31.0 << 30.0;
        QTest::newRow("NaN kept out") << kNaN << 0.0;
    }
    void gimbalSnaps()
    {
        QFETCH(double, input);
        QFETCH(double, expected);
        Harness h;
        h.camera.setGimbalPitch(input);
        QCOMPARE(h.camera.gimbalPitch(), expected);
    }

    // Sweeping each slider's whole travel in fine steps visits exactly its positions.
    void positionCounts_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("positions");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("last");
        QTest::newRow("iso") << "iso" << 32 << 100.0 << 3200.0;
        QTest::newRow("gimbal") << "gimbal" << 121 << -90.0 << 30.0;
        QTest::newRow("aperture") << "aperture" << 74 << 1.4 << 16.0;
        QTest::newRow("exposure") << "exposure" << 21 << -3.0 << 3.0;
    }
    void positionCounts()
    {
        QFETCH(QString, slider);
        QFETCH(int, positions);
        QFETCH(double, first);
        QFETCH(double, last);
        CameraModel c;
        auto set = [&](double v) {
            if (slider == QLatin1String("iso")) { c.setIso(v); return c.iso(); }
            if (slider == QLatin1String("gimbal")) { c.setGimbalPitch(v); return c.gimbalPitch(); }
            if (slider == QLatin1String("aperture")) { c.setAperture(v); return c.aperture(); }
            c.setExposureCompensation(v);
            return c.exposureCompensation();
        };
        std::set<double> seen;
        const double span = last - first;
        for (int i = -100; i <= 10100; ++i)
            seen.insert(set(first + span * i / 10000.0));
        QCOMPARE(int(seen.size()), positions);
        QCOMPARE(*seen.begin(), first);
        QCOMPARE(*seen.rbegin(), last);
    }

    void steppedPositions_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("aperture first") << "aperture" << 0 << 1.4 << "f/1.4";
        QTest::newRow("aperture default") << "aperture" << 7 << 2.8 << "f/2.8";
        QTest::newRow("aperture f/4") << "aperture" << 13 << 4.0 << "f/4.0";
        QTest::newRow("aperture last") << "aperture" << 73 << 16.0 << "f/16.0";
        QTest::newRow("aperture past end") << "aperture" << 99 << 16.0 << "f/16.0";
        QTest::newRow("ev first") << "exposure" << 0 << -3.0 << " EV-3.0";
        QTest::newRow("ev -0.3") << "exposure" << 9 << -0.3 << " EV-0.3";
        QTest::newRow("ev zero") << "exposure" << 10 << 0.0 << " EV0.0";
        QTest::newRow("ev 0.3") << "exposure" << 11 << 0.3 << " EV0.3";
        QTest::newRow("ev last") << "exposure" << 20 << 3.0 << " EV3.0";
        QTest::newRow("ev before start") << "exposure" << -4 << -3.0 << " EV-3.0";
    }
    void steppedPositions()
    {
        QFETCH(QString, slider);
        QFETCH(int, index);
        QFETCH(double, value);
        QFETCH(QString, text);
        CameraModel c;
        if (slider == QLatin1String("aperture")) {
            c.setApertureIndex(index);
            QCOMPARE(c.aperture(), value); // exact: no accumulated error
            QCOMPARE(c.apertureText(), text);
            c.setAperture(value);
            QCOMPARE(c.aperture(), value);
        } else {
            c.setExposureIndex(index);
            QCOMPARE(c.exposureCompensation(), value);
            QCOMPARE(c.exposureText(), text);
        }
    }

    void advancedDefaults()
    {
        CameraModel c;
        QCOMPARE(c.aperture(), 2.8);
        QCOMPARE(c.apertureText(), QStringLiteral("f/2.8"));
        QCOMPARE(c.exposureCompensation(), 0.0);
        QCOMPARE(c.exposureText(), QStringLiteral(" EV0.0"));
        QCOMPARE(c.whiteBalance(), 5500);
        QCOMPARE(c.whiteBalanceTexts().at(c.whiteBalanceIndex()), QStringLiteral("5500K - Daylight"));
        QCOMPARE(c.focusMode(), FocusMode::autoFocus);
        QCOMPARE(c.focusModes().at(c.focusModeIndex()).toMap().value("title").toString(), QStringLiteral("Auto Focus"));
        QCOMPARE(c.colorProfile(), ColorProfile::standard);
        QCOMPARE(c.colorProfiles().at(c.colorProfileIndex()).toMap().value("title").toString(), QStringLiteral("Standard"));
    }

    void whiteBalanceTakesOnlyPresets_data()
    {
        QTest::addColumn<int>("kelvin");
        QTest::addColumn<int>("expected");
        QTest::newRow("tungsten") << 2800 << 2800;
        QTest::newRow("cloudy") << 6500 << 6500;
        QTest::newRow("shade") << 7500 << 7500;
        QTest::newRow("between presets") << 6000 << 5500;
        QTest::newRow("zero") << 0 << 5500;
    }
    void whiteBalanceTakesOnlyPresets()
    {
        QFETCH(int, kelvin);
        QFETCH(int, expected);
        CameraModel c;
        c.setWhiteBalance(kelvin);
        QCOMPARE(c.whiteBalance(), expected);
        c.setWhiteBalanceIndex(5); // past the wheel
        QCOMPARE(c.whiteBalance(), expected);
    }

    void wheelOptionsInOrder()
    {
        QCOMPARE(CameraModel::whiteBalanceTexts(),
                 QStringList({"2800K - Tungsten", "4000K - Fluorescent", "5500K - Daylight", "6500K - Cloudy", "7500K - Shade"}));
        CameraModel c;
        c.setWhiteBalanceIndex(3);
        QCOMPARE(c.whiteBalance(), 6500);
    }

    void resetRestoresInOrderAndKeepsSheetOpen()
    {
        CameraModel c;
        c.setShowAdvancedControls(true);
        c.setFocusModeIndex(1);
        c.setColorProfileIndex(1);
        c.setAperture(4.0);
        c.setWhiteBalance(6500);
        c.setExposureIndex(3);
        c.setIso(800);
        QCOMPARE(c.focusMode(), FocusMode::manual);
        QCOMPARE(c.colorProfile(), ColorProfile::dLog);

        QStringList order;
        connect(&c, &CameraModel::apertureChanged, this, [&] { order << "aperture"; });
        connect(&c, &CameraModel::whiteBalanceChanged, this, [&] { order << "whiteBalance"; });
        connect(&c, &CameraModel::exposureCompensationChanged, this, [&] { order << "exposure"; });
        connect(&c, &CameraModel::colorProfileChanged, this, [&] { order << "colorProfile"; });
        connect(&c, &CameraModel::focusModeChanged, this, [&] { order << "focusMode"; });
        QSignalSpy sheet(&c, &CameraModel::showAdvancedControlsChanged);
        c.resetAdvanced();
        QCOMPARE(order, QStringList({"aperture", "whiteBalance", "exposure", "colorProfile", "focusMode"}));
        QCOMPARE(c.aperture(), 2.8);
        QCOMPARE(c.whiteBalance(), 5500);
        QCOMPARE(c.exposureCompensation(), 0.0);
        QCOMPARE(c.colorProfile(), ColorProfile::standard);
        QCOMPARE(c.focusMode(), FocusMode::autoFocus);
        QCOMPARE(c.showAdvancedControls(), true);
        QCOMPARE(sheet.count(), 0);
        QCOMPARE(c.iso(), 800.0); // not an advanced setting
    }

    void isoAndShutterCommandNothing()
    {
        Harness h;
        QSignalSpy sent(&h.camera, &CameraModel::gimbalPitchSent);
        QSignalSpy rec(&h.drone, &DJIDroneManager::isRecordingChanged);
        QSignalSpy photo(&h.camera, &CameraModel::photoCaptureRequested);
        h.camera.setIso(1600);
        h.camera.setShutterIndex(7);
        h.camera.setAperture(8.0);
        h.camera.resetAdvanced();
        QCOMPARE(sent.count(), 0);
        QCOMPARE(rec.count(), 0);
        QCOMPARE(photo.count(), 0);
    }

    void recordToggles_data()
    {
        const auto &p = zeltrin::palette();
        QTest::addColumn<int>("taps");
        QTest::addColumn<bool>("photoMode");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QColor>("fill");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("iconColor");
        QTest::newRow("idle") << 0 << true << false << p.themeSurface << "record.circle" << p.themeRed;
        QTest::newRow("one tap") << 1 << true << true << p.themeRed << "stop.fill" << QColor(Qt::white);
        QTest::newRow("two taps") << 2 << true << false << p.themeSurface << "record.circle" << p.themeRed;
        QTest::newRow("one tap in video") << 1 << false << true << p.themeRed << "stop.fill" << QColor(Qt::white);
        QTest::newRow("two taps in video") << 2 << false << false << p.themeSurface << "record.circle" << p.themeRed;
    }
    void recordToggles()
    {
        QFETCH(int, taps);
        QFETCH(bool, photoMode);
        QFETCH(bool, recording);
        QFETCH(QColor, fill);
        QFETCH(QString, icon);
        QFETCH(QColor, iconColor);
        Harness h;
        h.camera.setIsPhotoMode(photoMode);
        QSignalSpy look(&h.camera, &CameraModel::isRecordingChanged);
        for (int i = 0; i < taps; ++i)
            h.camera.toggleRecording();
        QCOMPARE(look.count(), taps);
        QCOMPARE(h.drone.isRecording(), recording);
        QCOMPARE(h.camera.isRecording(), recording);
        QCOMPARE(h.camera.recordFillColor(), fill);
        QCOMPARE(h.camera.recordIcon(), icon);
        QCOMPARE(h.camera.recordIconColor(), iconColor);
    }

    void noDroneIsHarmless()
    {
        CameraModel c;
        QSignalSpy sent(&c, &CameraModel::gimbalPitchSent);
        c.toggleRecording();
        c.capturePhoto();
        c.sendGimbalPitch();
        QCOMPARE(c.isRecording(), false);
        QCOMPARE(sent.count(), 1);
    }

    void enumerationsFromRaw_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("focus");   // -1: none
        QTest::addColumn<int>("profile"); // -1: none
        QTest::newRow("auto focus") << "Auto Focus" << 0 << -1;
        QTest::newRow("manual") << "Manual Focus" << 1 << -1;
        QTest::newRow("continuous") << "Continuous AF" << 2 << -1;
        QTest::newRow("standard") << "Standard" << -1 << 0;
        QTest::newRow("d-log") << "D-Log" << -1 << 1;
        QTest::newRow("flat") << "Flat" << -1 << 2;
        QTest::newRow("vivid") << "Vivid" << -1 << 3;
        QTest::newRow("case name") << "auto" << -1 << -1;
        QTest::newRow("wrong case") << "d-log" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
    }
    void enumerationsFromRaw()
    {
        QFETCH(QString, raw);
        QFETCH(int, focus);
        QFETCH(int, profile);
        const auto f = zeltrin::focusModeFromRaw(raw);
        const auto p = zeltrin::colorProfileFromRaw(raw);
        QCOMPARE(f ? int(*f) : -1, focus);
        QCOMPARE(p ? int(*p) : -1, profile);
        if (f)
            QCOMPARE(zeltrin::rawValue(*f), raw);
        if (p)
            QCOMPARE(zeltrin::rawValue(*p), raw);
    }

    void casesForCards()
    {
        const auto modes = CameraModel::focusModes();
        QCOMPARE(modes.size(), 3);
        QCOMPARE(modes.at(2).toMap().value("icon").toString(), QStringLiteral("arrow.triangle.2.circlepath.circle"));
        const auto profiles = CameraModel::colorProfiles();
        QCOMPARE(profiles.size(), 4);
        QCOMPARE(profiles.at(1).toMap().value("description").toString(),
                 QStringLiteral("Maximum dynamic range for color grading"));
    }

    void equalAssignmentsStillNotify()
    {
        CameraModel c;
        QSignalSpy iso(&c, &CameraModel::isoChanged);
        QSignalSpy mode(&c, &CameraModel::isPhotoModeChanged);
        QSignalSpy ap(&c, &CameraModel::apertureChanged);
        QSignalSpy fm(&c, &CameraModel::focusModeChanged);
        c.setIso(100);
        c.setIsPhotoMode(true);
        c.setAperture(2.8);
        c.setFocusModeIndex(0);
        QCOMPARE(iso.count() + mode.count() + ap.count() + fm.count(), 4);
    }
};

QTEST_GUILESS_MAIN(TestCameraModel)
#include "tst_cameramodel.moc"
