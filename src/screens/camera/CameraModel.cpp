#include "CameraModel.h"

#include "DJIDroneManager.h"
#include "NumberFormat.h"
#include "Palette.h"

#include <QElapsedTimer>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

using namespace zeltrin;

CameraModel::CameraModel(QObject *parent)
    : QObject(parent)
    , m_clock([] {
        static QElapsedTimer since;
        if (!since.isValid())
            since.start();
        return since.elapsed();
    })
    , m_apertureIndex(*kApertureRange.indexOf(kDefaultAperture))
    , m_exposureIndex(*kExposureCompRange.indexOf(kDefaultExposureCompensation))
{
    m_recordingTick.setInterval(250);
    connect(&m_recordingTick, &QTimer::timeout, this, &CameraModel::recordingTimeChanged);
    connect(this, &CameraModel::isRecordingChanged, this, &CameraModel::followRecording);
}

// The recording flag lives in the drone link; the elapsed time counts from when this screen
// first sees it set.
void CameraModel::followRecording()
{
    const bool recording = isRecording();
    if (recording && m_recordingStart < 0) {
        m_recordingStart = m_clock();
        m_recordingTick.start();
    } else if (!recording) {
        m_recordingStart = -1;
        m_recordingTick.stop();
    }
    Q_EMIT recordingTimeChanged();
}

QString CameraModel::recordingTimeText() const
{
    const qint64 seconds = m_recordingStart < 0 ? 0 : std::max<qint64>(0, m_clock() - m_recordingStart) / 1000;
    return format("%02d:%02d", seconds / 60, seconds % 60);
}

void CameraModel::setDrone(DJIDroneManager *drone)
{
    if (m_recordingConnection)
        disconnect(m_recordingConnection);
    m_drone = drone;
    if (drone)
        m_recordingConnection = connect(drone, &DJIDroneManager::isRecordingChanged, this, &CameraModel::isRecordingChanged);
    Q_EMIT droneChanged();
    Q_EMIT isRecordingChanged();
}

std::optional<double> CameraModel::snapIso(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    return std::clamp(std::round(v / kIsoStep) * kIsoStep, kIsoMin, kIsoMax);
}

void CameraModel::setIso(double v)
{
    if (auto s = snapIso(v))
        m_iso = *s;
    Q_EMIT isoChanged();
}

void CameraModel::setShutterIndex(int index)
{
    if (index >= 0 && index < int(kShutterSpeeds.size()))
        m_shutterIndex = index;
    Q_EMIT shutterIndexChanged();
}

QStringList CameraModel::shutterSpeeds()
{
    QStringList out;
    for (const char *s : kShutterSpeeds)
        out << QString::fromLatin1(s);
    return out;
}

std::optional<double> CameraModel::snapGimbal(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    return std::clamp(std::round(v / kGimbalStep) * kGimbalStep, kGimbalMin, kGimbalMax);
}

void CameraModel::setGimbalPitch(double degrees)
{
    if (auto s = snapGimbal(degrees))
        m_gimbalPitch = *s;
    Q_EMIT gimbalPitchChanged();
}

void CameraModel::setIsPhotoMode(bool v)
{
    m_isPhotoMode = v;
    Q_EMIT isPhotoModeChanged();
}

void CameraModel::setShowAdvancedControls(bool v)
{
    m_showAdvancedControls = v;
    Q_EMIT showAdvancedControlsChanged();
}

void CameraModel::setAperture(double v)
{
    if (auto i = kApertureRange.indexOf(v))
        m_apertureIndex = *i;
    Q_EMIT apertureChanged();
}

void CameraModel::setApertureIndex(int index)
{
    m_apertureIndex = std::clamp(index, 0, kApertureRange.count - 1);
    Q_EMIT apertureChanged();
}

// The unit comes first: "f/2.8".
QString CameraModel::apertureText() const { return format("%@%.1f", QStringLiteral("f/"), aperture()); }

void CameraModel::setExposureCompensation(double v)
{
    if (auto i = kExposureCompRange.indexOf(v))
        m_exposureIndex = *i;
    Q_EMIT exposureCompensationChanged();
}

void CameraModel::setExposureIndex(int index)
{
    m_exposureIndex = std::clamp(index, 0, kExposureCompRange.count - 1);
    Q_EMIT exposureCompensationChanged();
}

// The unit comes first: " EV-0.3".
QString CameraModel::exposureText() const { return format("%@%.1f", QStringLiteral(" EV"), exposureCompensation()); }

void CameraModel::setWhiteBalance(int kelvin)
{
    if (::zeltrin::whiteBalanceIndex(kelvin))
        m_whiteBalance = kelvin;
    Q_EMIT whiteBalanceChanged();
}

int CameraModel::whiteBalanceIndex() const { return ::zeltrin::whiteBalanceIndex(m_whiteBalance).value_or(2); }

void CameraModel::setWhiteBalanceIndex(int index)
{
    if (index >= 0 && index < int(kWhiteBalancePresets.size()))
        m_whiteBalance = kWhiteBalancePresets[size_t(index)].kelvin;
    Q_EMIT whiteBalanceChanged();
}

QStringList CameraModel::whiteBalanceTexts()
{
    QStringList out;
    for (const auto &p : kWhiteBalancePresets)
        out << QString::fromLatin1(p.text);
    return out;
}

void CameraModel::setFocusMode(FocusMode m)
{
    m_focusMode = m;
    Q_EMIT focusModeChanged();
}

void CameraModel::setFocusModeIndex(int index)
{
    if (index >= 0 && index < int(kAllFocusModes.size()))
        m_focusMode = kAllFocusModes[size_t(index)];
    Q_EMIT focusModeChanged();
}

QVariantList CameraModel::focusModes()
{
    QVariantList out;
    for (FocusMode m : kAllFocusModes)
        out << QVariantMap{{QStringLiteral("title"), rawValue(m)}, {QStringLiteral("icon"), iconName(m)}};
    return out;
}

void CameraModel::setColorProfile(ColorProfile p)
{
    m_colorProfile = p;
    Q_EMIT colorProfileChanged();
}

void CameraModel::setColorProfileIndex(int index)
{
    if (index >= 0 && index < int(kAllColorProfiles.size()))
        m_colorProfile = kAllColorProfiles[size_t(index)];
    Q_EMIT colorProfileChanged();
}

QVariantList CameraModel::colorProfiles()
{
    QVariantList out;
    for (ColorProfile p : kAllColorProfiles)
        out << QVariantMap{{QStringLiteral("title"), rawValue(p)},
                           {QStringLiteral("description"), profileDescription(p)}};
    return out;
}

bool CameraModel::isRecording() const { return m_drone && m_drone->isRecording(); }

QColor CameraModel::recordFillColor() const
{
    return isRecording() ? palette().themeRed : palette().themeSurface;
}

QString CameraModel::recordIcon() const
{
    return isRecording() ? QStringLiteral("stop.fill") : QStringLiteral("record.circle");
}

QColor CameraModel::recordIconColor() const
{
    return isRecording() ? QColor(Qt::white) : palette().themeRed;
}

void CameraModel::toggleRecording()
{
    if (!m_drone)
        return;
    if (m_drone->isRecording())
        m_drone->stopRecording();
    else
        m_drone->startRecording();
}

void CameraModel::capturePhoto()
{
    if (m_drone)
        m_drone->capturePhoto();
    Q_EMIT photoCaptureRequested();
}

void CameraModel::sendGimbalPitch()
{
    const float pitch = static_cast<float>(m_gimbalPitch);
    if (m_drone)
        m_drone->setGimbalPitch(pitch);
    Q_EMIT gimbalPitchSent(pitch);
}

void CameraModel::resetAdvanced()
{
    setAperture(kDefaultAperture);
    setWhiteBalance(kDefaultWhiteBalance);
    setExposureCompensation(kDefaultExposureCompensation);
    setColorProfile(ColorProfile::standard);
    setFocusMode(FocusMode::autoFocus);
}
