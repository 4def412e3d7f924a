#pragma once

#include "DJIDroneManager.h"
#include "DJIIntelligentModes.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>

#include <optional>

// One intelligent flight mode as a screen presents it: its enabled flag, which the screen owns
// and a mode sheet edits, and the settings the sheet hands over. Turning the flag on starts
// the mode on the aircraft with those settings, turning it off stops it; new settings while it
// runs go to the aircraft at once. Every assignment of the flag notifies, also of an equal
// value; only a change commands the aircraft. When the aircraft refuses a start, the flag goes
// off again and `refusal` says why in the pilot's words, until the next start.
class FlightModeLink : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A screen owns its flight mode links")
    Q_PROPERTY(DJIIntelligentModes::Mode mode READ mode CONSTANT)
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(QString refusal READ refusal NOTIFY refusalChanged)

public:
    explicit FlightModeLink(DJIIntelligentMode mode, QObject *parent = nullptr);

    DJIIntelligentMode mode() const { return m_mode; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on);
    void setDrone(DJIDroneManager *drone) { m_drone = drone; }
    QString refusal() const { return m_refusal; }

    // The mode as the pilot calls it ("ActiveTrack"), and an aircraft's refusal of it in the
    // pilot's words ("ActiveTrack needs the aircraft in the air").
    static QString modeTitle(DJIIntelligentMode mode);
    static QString refusalText(DJIIntelligentMode mode, const QString &reason);

    // What the aircraft is given when the mode starts.
    DJIModeSettings settings() const;
    // A sheet's settings, handed over before it turns the flag on: they go with the start.
    // Settings of another mode are not taken (false).
    bool setSettings(const DJIModeSettings &settings);
    // The sheet's settings changed while the mode runs.
    bool updateSettings(const DJIModeSettings &settings);

Q_SIGNALS:
    void isEnabledChanged();
    void refusalChanged();

protected:
    // The screen's own part of the settings (a target, a radius), over the sheet's.
    virtual void addOwnSettings(DJIModeSettings &) const {}

private:
    const DJIIntelligentMode m_mode;
    void setRefusal(const QString &text);
    void refused(quint64 attempt, const QString &reason);

    bool m_enabled = false;
    DJIModeSettings m_settings;
    QPointer<DJIDroneManager> m_drone;
    QString m_refusal;
    quint64 m_attempt = 0; // only the latest start's answer counts
};

// The point of interest: the screen also owns the target the mode circles.
class PointOfInterestLink : public FlightModeLink
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A screen owns its flight mode links")

public:
    explicit PointOfInterestLink(QObject *parent = nullptr);

    std::optional<zeltrin::Coordinate> target() const { return m_target; }
    void setTarget(std::optional<zeltrin::Coordinate> target);

Q_SIGNALS:
    void targetChanged();

protected:
    void addOwnSettings(DJIModeSettings &settings) const override;

private:
    std::optional<zeltrin::Coordinate> m_target;
};

// The custom geofence: the screen also owns the boundary's radius.
class GeofenceLink : public FlightModeLink
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A screen owns its flight mode links")

public:
    static constexpr double kMinRadius = 50, kMaxRadius = 2000;
    static constexpr double kInitialRadius = DJIGeofenceSettings{}.radius;

    explicit GeofenceLink(QObject *parent = nullptr);

    double radius() const { return m_radius; }
    // Kept inside what the sheet offers; a non-number keeps the last radius. Always notifies.
    void setRadius(double metres);

Q_SIGNALS:
    void radiusChanged();

protected:
    void addOwnSettings(DJIModeSettings &settings) const override;

private:
    double m_radius = kInitialRadius;
};
