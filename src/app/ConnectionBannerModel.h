#pragma once

#include "DJIDroneManager.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQmlEngine>

// What the connection banner shows, computed from the drone link.
class ConnectionBannerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    Q_PROPERTY(QString stateText READ stateText NOTIFY changed)
    Q_PROPERTY(QColor stateColor READ stateColor NOTIFY changed)
    Q_PROPERTY(bool showsTelemetry READ showsTelemetry NOTIFY changed)
    Q_PROPERTY(QString batteryText READ batteryText NOTIFY changed)
    Q_PROPERTY(QString altitudeText READ altitudeText NOTIFY changed)
    // An automatic return, for as long as it lasts ("Returning home — low battery").
    Q_PROPERTY(QString returnText READ returnText NOTIFY changed)
public:
    explicit ConnectionBannerModel(QObject *parent = nullptr) : QObject(parent) {}

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);

    QString stateText() const;
    QColor stateColor() const;
    bool showsTelemetry() const;
    QString batteryText() const;  // "0%"
    QString altitudeText() const; // "%.0fm"
    QString returnText() const { return m_drone ? m_drone->autoReturnText() : QString(); }

Q_SIGNALS:
    void droneChanged();
    void changed();

private:
    QPointer<DJIDroneManager> m_drone;
};
