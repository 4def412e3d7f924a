#pragma once

#include "DJIDroneManager.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QVariant>

// Every value the drone link holds, formatted for the telemetry read-out. The section and row
// structure is fixed; only `values` changes, so the screen rebinds texts without rebuilding rows.
class TelemetryModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    // [{title, rows: [{label, key}]}] in display order.
    Q_PROPERTY(QVariantList sections READ sections CONSTANT)
    // Row key -> shown text.
    Q_PROPERTY(QVariantMap values READ values NOTIFY valuesChanged)

public:
    explicit TelemetryModel(QObject *parent = nullptr);

    static QString timeLeftText(qint64 seconds);
    static QString verticalSpeedText(double metresPerSecond);
    static QString coordinateText(double degrees);

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);
    static QVariantList sections();
    QVariantMap values() const;
    // One row's text by its label (tests and accessibility).
    Q_INVOKABLE QString valueFor(const QString &label) const;

Q_SIGNALS:
    void droneChanged();
    void valuesChanged();

private:
    QPointer<DJIDroneManager> m_drone;
};
