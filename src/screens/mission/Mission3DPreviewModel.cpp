#include "Mission3DPreviewModel.h"

#include "NumberFormat.h"

#include <QVariantMap>

#include <cmath>

namespace zeltrin {

namespace view_angle {
QString rawValue(ViewAngle a)
{
    switch (a) {
    case ViewAngle::topDown: return QStringLiteral("Top");
    case ViewAngle::perspective: return QStringLiteral("3D");
    case ViewAngle::side: return QStringLiteral("Side");
    }
    return {};
}

QString icon(ViewAngle a)
{
    switch (a) {
    case ViewAngle::topDown: return QStringLiteral("arrow.down.circle");
    case ViewAngle::perspective: return QStringLiteral("view.3d");
    case ViewAngle::side: return QStringLiteral("arrow.left.arrow.right");
    }
    return {};
}

std::optional<ViewAngle> fromRaw(const QString &raw)
{
    for (auto a : allCases())
        if (rawValue(a) == raw)
            return a;
    return std::nullopt;
}
} // namespace view_angle

namespace preview {
long long reachedIndex(double p, qsizetype n)
{
    return checkedTruncate(p * double(n)).value_or(0);
}

double dotOffsetX(qsizetype i, qsizetype n)
{
    return double(i - n / 2) * kStep;
}

double lift(double altitude, bool showAltitude)
{
    return showAltitude ? -0.5 * altitude : 0.0;
}

double aircraftOffsetX(double p, qsizetype n)
{
    return double(reachedIndex(p, n) - n / 2) * kStep;
}

double aircraftRotation(double p)
{
    return p * 360.0;
}

double estimatedSeconds(qsizetype n)
{
    return double(n) * 20.0 * 0.125;
}

QString estimatedTimeText(qsizetype n)
{
    const double t = estimatedSeconds(n);
    const auto minutes = checkedTruncate(t / 60.0);
    const auto seconds = checkedTruncate(std::fmod(t, 60.0));
    if (!minutes || !seconds)
        return kPlaceholder;
    return format("%d:%02d", *minutes, *seconds);
}
} // namespace preview

} // namespace zeltrin

namespace pv = zeltrin::preview;

Mission3DPreviewModel::Mission3DPreviewModel(QObject *parent) : QObject(parent), m_frame(this)
{
    m_frame.setInterval(16);
    connect(&m_frame, &QTimer::timeout, this, &Mission3DPreviewModel::drawChanged);
}

void Mission3DPreviewModel::setWaypointCount(int n)
{
    m_n = std::max(0, n);
    Q_EMIT inputChanged();
    Q_EMIT drawChanged();
}

void Mission3DPreviewModel::setAltitude(double a)
{
    m_altitude = a;
    Q_EMIT inputChanged();
    Q_EMIT drawChanged();
}

void Mission3DPreviewModel::setAnimationProgress(double p)
{
    m_progress = p;
    Q_EMIT animationProgressChanged();
    Q_EMIT drawChanged();
}

void Mission3DPreviewModel::setAnimating(bool on)
{
    m_animating = on;
    if (on) {
        m_clock.start();
        m_frame.start();
    } else {
        m_frame.stop();
    }
    Q_EMIT isAnimatingChanged();
    Q_EMIT drawChanged();
}

void Mission3DPreviewModel::setShowPath(bool v)
{
    m_showPath = v;
    Q_EMIT showPathChanged();
}

void Mission3DPreviewModel::setShowAltitude(bool v)
{
    m_showAltitude = v;
    Q_EMIT showAltitudeChanged();
    Q_EMIT drawChanged();
}

void Mission3DPreviewModel::setViewAngle(int v)
{
    if (v < 0 || v >= int(zeltrin::view_angle::allCases().size()))
        return;
    m_viewAngle = v;
    Q_EMIT viewAngleChanged();
}

QVariantList Mission3DPreviewModel::viewAngles() const
{
    QVariantList list;
    for (auto a : zeltrin::view_angle::allCases())
        list.append(QVariantMap{{"text", zeltrin::view_angle::rawValue(a)}, {"icon", zeltrin::view_angle::icon(a)}});
    return list;
}

void Mission3DPreviewModel::setSweepMs(int ms)
{
    m_sweepMs = std::max(1, ms);
    Q_EMIT inputChanged();
}

double Mission3DPreviewModel::drawnProgress() const
{
    if (!m_animating)
        return m_progress;
    // A linear 0→1 sweep that jumps back to 0 and repeats.
    return double(m_clock.elapsed() % m_sweepMs) / double(m_sweepMs);
}

int Mission3DPreviewModel::reachedIndex() const
{
    return int(std::clamp<long long>(pv::reachedIndex(drawnProgress(), m_n), -1, m_n));
}

double Mission3DPreviewModel::lift() const { return pv::lift(m_altitude, m_showAltitude); }
double Mission3DPreviewModel::aircraftOffsetX() const { return pv::aircraftOffsetX(drawnProgress(), m_n); }
double Mission3DPreviewModel::aircraftRotation() const { return pv::aircraftRotation(drawnProgress()); }
QString Mission3DPreviewModel::waypointCountText() const { return zeltrin::format("%d", m_n); }
QString Mission3DPreviewModel::altitudeText() const { return zeltrin::format("%.0fm", m_altitude); }
QString Mission3DPreviewModel::estimatedTimeText() const { return pv::estimatedTimeText(m_n); }

QString Mission3DPreviewModel::playButtonText() const
{
    return m_animating ? QStringLiteral("Pause Animation") : QStringLiteral("Play Animation");
}

QString Mission3DPreviewModel::playButtonIcon() const
{
    return m_animating ? QStringLiteral("pause.circle.fill") : QStringLiteral("play.circle.fill");
}

double Mission3DPreviewModel::dotOffsetX(int i) const { return pv::dotOffsetX(i, m_n); }

void Mission3DPreviewModel::togglePlayback()
{
    const bool on = !m_animating;
    if (on) {
        // The stored progress goes 0 then 1 at once; the drawing sweeps on its own clock.
        setAnimationProgress(0);
        setAnimationProgress(1);
    }
    setAnimating(on);
}
