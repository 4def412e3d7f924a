#pragma once

#include "CameraSettings.h"
#include "DJIDroneManager.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <functional>

// The camera screen's own state: exposure, shutter, gimbal, mode, and the advanced settings the
// advanced sheet edits through this object. Everything starts fresh when the screen is created;
// only recording, capture and the gimbal reach the drone link.
class CameraModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)

    Q_PROPERTY(double iso READ iso WRITE setIso NOTIFY isoChanged)
    Q_PROPERTY(double isoMin READ isoMin CONSTANT)
    Q_PROPERTY(double isoMax READ isoMax CONSTANT)
    Q_PROPERTY(double isoStep READ isoStep CONSTANT)

    Q_PROPERTY(int shutterIndex READ shutterIndex WRITE setShutterIndex NOTIFY shutterIndexChanged)
    Q_PROPERTY(QStringList shutterSpeeds READ shutterSpeeds CONSTANT)

    Q_PROPERTY(double gimbalPitch READ gimbalPitch WRITE setGimbalPitch NOTIFY gimbalPitchChanged)
    Q_PROPERTY(double gimbalMin READ gimbalMin CONSTANT)
    Q_PROPERTY(double gimbalMax READ gimbalMax CONSTANT)
    Q_PROPERTY(double gimbalStep READ gimbalStep CONSTANT)

    Q_PROPERTY(bool isPhotoMode READ isPhotoMode WRITE setIsPhotoMode NOTIFY isPhotoModeChanged)
    Q_PROPERTY(bool showAdvancedControls READ showAdvancedControls WRITE setShowAdvancedControls NOTIFY showAdvancedControlsChanged)

    // Advanced settings. Sliders work on step indices; the values follow from them.
    Q_PROPERTY(double aperture READ aperture WRITE setAperture NOTIFY apertureChanged)
    Q_PROPERTY(int apertureIndex READ apertureIndex WRITE setApertureIndex NOTIFY apertureChanged)
    Q_PROPERTY(int apertureCount READ apertureCount CONSTANT)
    Q_PROPERTY(QString apertureText READ apertureText NOTIFY apertureChanged)
    Q_PROPERTY(double exposureCompensation READ exposureCompensation WRITE setExposureCompensation NOTIFY exposureCompensationChanged)
    Q_PROPERTY(int exposureIndex READ exposureIndex WRITE setExposureIndex NOTIFY exposureCompensationChanged)
    Q_PROPERTY(int exposureCount READ exposureCount CONSTANT)
    Q_PROPERTY(QString exposureText READ exposureText NOTIFY exposureCompensationChanged)
    Q_PROPERTY(int whiteBalance READ whiteBalance WRITE setWhiteBalance NOTIFY whiteBalanceChanged)
    Q_PROPERTY(int whiteBalanceIndex READ whiteBalanceIndex WRITE setWhiteBalanceIndex NOTIFY whiteBalanceChanged)
    Q_PROPERTY(QStringList whiteBalanceTexts READ whiteBalanceTexts CONSTANT)
    Q_PROPERTY(int focusModeIndex READ focusModeIndex WRITE setFocusModeIndex NOTIFY focusModeChanged)
    Q_PROPERTY(QVariantList focusModes READ focusModes CONSTANT)
    Q_PROPERTY(int colorProfileIndex READ colorProfileIndex WRITE setColorProfileIndex NOTIFY colorProfileChanged)
    Q_PROPERTY(QVariantList colorProfiles READ colorProfiles CONSTANT)

    // The record button's look follows the drone link's recording flag.
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    Q_PROPERTY(QColor recordFillColor READ recordFillColor NOTIFY isRecordingChanged)
    Q_PROPERTY(QString recordIcon READ recordIcon NOTIFY isRecordingChanged)
    Q_PROPERTY(QColor recordIconColor READ recordIconColor NOTIFY isRecordingChanged)
    // Time since recording started, "mm:ss"; "00:00" while not recording.
    Q_PROPERTY(QString recordingTimeText READ recordingTimeText NOTIFY recordingTimeChanged)

public:
    static constexpr double kIsoMin = 100, kIsoMax = 3200, kIsoStep = 100;
    static constexpr double kGimbalMin = -90, kGimbalMax = 30, kGimbalStep = 1;
    static constexpr double kDefaultAperture = 2.8;
    static constexpr int kDefaultWhiteBalance = 5500;
    static constexpr double kDefaultExposureCompensation = 0;

    explicit CameraModel(QObject *parent = nullptr);

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);

    double iso() const { return m_iso; }
    void setIso(double v);
    static double isoMin() { return kIsoMin; }
    static double isoMax() { return kIsoMax; }
    static double isoStep() { return kIsoStep; }
    // Nearest multiple of 100 within 100…3200; none for NaN or infinity.
    static std::optional<double> snapIso(double v);

    int shutterIndex() const { return m_shutterIndex; }
    void setShutterIndex(int index);
    static QStringList shutterSpeeds();

    double gimbalPitch() const { return m_gimbalPitch; }
    void setGimbalPitch(double degrees);
    static double gimbalMin() { return kGimbalMin; }
    static double gimbalMax() { return kGimbalMax; }
    static double gimbalStep() { return kGimbalStep; }
    // Nearest whole degree within -90…30; none for NaN or infinity.
    static std::optional<double> snapGimbal(double v);

    bool isPhotoMode() const { return m_isPhotoMode; }
    void setIsPhotoMode(bool v);
    bool showAdvancedControls() const { return m_showAdvancedControls; }
    void setShowAdvancedControls(bool v);

    double aperture() const { return zeltrin::kApertureRange.valueAt(m_apertureIndex); }
    void setAperture(double v);
    int apertureIndex() const { return m_apertureIndex; }
    void setApertureIndex(int index);
    static int apertureCount() { return zeltrin::kApertureRange.count; }
    QString apertureText() const;

    double exposureCompensation() const { return zeltrin::kExposureCompRange.valueAt(m_exposureIndex); }
    void setExposureCompensation(double v);
    int exposureIndex() const { return m_exposureIndex; }
    void setExposureIndex(int index);
    static int exposureCount() { return zeltrin::kExposureCompRange.count; }
    QString exposureText() const;

    int whiteBalance() const { return m_whiteBalance; }
    // Only the five preset tags are taken; any other value leaves the setting as it is.
    void setWhiteBalance(int kelvin);
    int whiteBalanceIndex() const;
    void setWhiteBalanceIndex(int index);
    static QStringList whiteBalanceTexts();

    zeltrin::FocusMode focusMode() const { return m_focusMode; }
    void setFocusMode(zeltrin::FocusMode m);
    int focusModeIndex() const { return int(m_focusMode); }
    void setFocusModeIndex(int index);
    static QVariantList focusModes();

    zeltrin::ColorProfile colorProfile() const { return m_colorProfile; }
    void setColorProfile(zeltrin::ColorProfile p);
    int colorProfileIndex() const { return int(m_colorProfile); }
    void setColorProfileIndex(int index);
    static QVariantList colorProfiles();

    bool isRecording() const;
    QColor recordFillColor() const;
    QString recordIcon() const;
    QColor recordIconColor() const;
    QString recordingTimeText() const;
    // Milliseconds on a monotonic clock; tests hand in their own.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // Record button: stops while recording, starts otherwise.
    Q_INVOKABLE void toggleRecording();
    Q_INVOKABLE void capturePhoto();
    // Hands the current pitch to the drone link, as single precision (gimbal slider's drag
    // start and end).
    Q_INVOKABLE void sendGimbalPitch();
    // Back to the advanced defaults, in a fixed order: aperture, white balance, exposure
    // compensation, colour profile, focus mode.
    Q_INVOKABLE void resetAdvanced();

Q_SIGNALS:
    void droneChanged();
    void isoChanged();
    void shutterIndexChanged();
    void gimbalPitchChanged();
    void isPhotoModeChanged();
    void showAdvancedControlsChanged();
    void apertureChanged();
    void exposureCompensationChanged();
    void whiteBalanceChanged();
    void focusModeChanged();
    void colorProfileChanged();
    void isRecordingChanged();
    void recordingTimeChanged();
    // Each pitch handed to the drone link (which has no observable effect of its own).
    void gimbalPitchSent(float degrees);
    void photoCaptureRequested();

private:
    QPointer<DJIDroneManager> m_drone;
    QMetaObject::Connection m_recordingConnection;
    void followRecording();
    std::function<qint64()> m_clock;
    qint64 m_recordingStart = -1;
    QTimer m_recordingTick;
    double m_iso = 100;
    int m_shutterIndex = 4;
    double m_gimbalPitch = 0;
    bool m_isPhotoMode = true;
    bool m_showAdvancedControls = false;
    int m_apertureIndex;
    int m_exposureIndex;
    int m_whiteBalance = kDefaultWhiteBalance;
    zeltrin::FocusMode m_focusMode = zeltrin::FocusMode::autoFocus;
    zeltrin::ColorProfile m_colorProfile = zeltrin::ColorProfile::standard;
};
