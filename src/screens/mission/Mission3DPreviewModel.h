#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QQmlEngine>
#include <QTimer>
#include <QVariantList>

#include <array>
#include <optional>

namespace zeltrin {

// Segments of the preview's view picker; the raw value is the segment title.
enum class ViewAngle { topDown, perspective, side };

namespace view_angle {
constexpr std::array<ViewAngle, 3> allCases() { return {ViewAngle::topDown, ViewAngle::perspective, ViewAngle::side}; }
QString rawValue(ViewAngle a);
QString icon(ViewAngle a);
std::optional<ViewAngle> fromRaw(const QString &raw);
} // namespace view_angle

// The schematic side view: only the number of waypoints and the altitude matter.
namespace preview {
constexpr double kStep = 40.0;
// Last solid dot for progress p: p × n truncated toward zero (0 when not a number).
long long reachedIndex(double p, qsizetype n);
double dotOffsetX(qsizetype i, qsizetype n);
double lift(double altitude, bool showAltitude);
double aircraftOffsetX(double p, qsizetype n);
double aircraftRotation(double p);
double estimatedSeconds(qsizetype n);
QString estimatedTimeText(qsizetype n);
} // namespace preview

} // namespace zeltrin

// State of the 3D preview sheet; made afresh each time the sheet opens, from copies of the
// mission's waypoint count and altitude.
class Mission3DPreviewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int waypointCount READ waypointCount WRITE setWaypointCount NOTIFY inputChanged)
    Q_PROPERTY(double altitude READ altitude WRITE setAltitude NOTIFY inputChanged)
    Q_PROPERTY(double animationProgress READ animationProgress WRITE setAnimationProgress NOTIFY animationProgressChanged)
    Q_PROPERTY(bool isAnimating READ isAnimating WRITE setAnimating NOTIFY isAnimatingChanged)
    Q_PROPERTY(bool showPath READ showPath WRITE setShowPath NOTIFY showPathChanged)
    Q_PROPERTY(bool showAltitude READ showAltitude WRITE setShowAltitude NOTIFY showAltitudeChanged)
    Q_PROPERTY(int viewAngle READ viewAngle WRITE setViewAngle NOTIFY viewAngleChanged)
    Q_PROPERTY(QVariantList viewAngles READ viewAngles CONSTANT)
    // What is drawn: the stored progress when stopped, the running sweep while playing.
    Q_PROPERTY(double drawnProgress READ drawnProgress NOTIFY drawChanged)
    Q_PROPERTY(int reachedIndex READ reachedIndex NOTIFY drawChanged)
    Q_PROPERTY(double lift READ lift NOTIFY drawChanged)
    Q_PROPERTY(double aircraftOffsetX READ aircraftOffsetX NOTIFY drawChanged)
    Q_PROPERTY(double aircraftRotation READ aircraftRotation NOTIFY drawChanged)
    Q_PROPERTY(QString waypointCountText READ waypointCountText NOTIFY inputChanged)
    Q_PROPERTY(QString altitudeText READ altitudeText NOTIFY inputChanged)
    Q_PROPERTY(QString estimatedTimeText READ estimatedTimeText NOTIFY inputChanged)
    Q_PROPERTY(QString playButtonText READ playButtonText NOTIFY isAnimatingChanged)
    Q_PROPERTY(QString playButtonIcon READ playButtonIcon NOTIFY isAnimatingChanged)
    Q_PROPERTY(int sweepMs READ sweepMs WRITE setSweepMs NOTIFY inputChanged)
public:
    explicit Mission3DPreviewModel(QObject *parent = nullptr);

    int waypointCount() const { return m_n; }
    void setWaypointCount(int n);
    double altitude() const { return m_altitude; }
    void setAltitude(double a);
    double animationProgress() const { return m_progress; }
    void setAnimationProgress(double p);
    bool isAnimating() const { return m_animating; }
    void setAnimating(bool on);
    bool showPath() const { return m_showPath; }
    void setShowPath(bool v);
    bool showAltitude() const { return m_showAltitude; }
    void setShowAltitude(bool v);
    int viewAngle() const { return m_viewAngle; }
    void setViewAngle(int v);
    QVariantList viewAngles() const;
    int sweepMs() const { return m_sweepMs; }
    void setSweepMs(int ms);

    double drawnProgress() const;
    int reachedIndex() const;
    double lift() const;
    double aircraftOffsetX() const;
    double aircraftRotation() const;
    QString waypointCountText() const;
    QString altitudeText() const;
    QString estimatedTimeText() const;
    QString playButtonText() const;
    QString playButtonIcon() const;

    Q_INVOKABLE double dotOffsetX(int i) const;
    Q_INVOKABLE bool dotSolid(int i) const { return i <= reachedIndex(); }
    Q_INVOKABLE void togglePlayback();

Q_SIGNALS:
    void inputChanged();
    void animationProgressChanged();
    void isAnimatingChanged();
    void showPathChanged();
    void showAltitudeChanged();
    void viewAngleChanged();
    void drawChanged();

private:
    int m_n = 0;
    double m_altitude = 0;
    double m_progress = 0;
    bool m_animating = false;
    bool m_showPath = true;
    bool m_showAltitude = true;
    int m_viewAngle = 0;
    int m_sweepMs = 5000;
    QElapsedTimer m_clock; // monotonic: the sweep's phase
    QTimer m_frame;
};
