#pragma once

#include "FakeDJISDK.h"
#include "ZeltrinPilotApp.h"

#include <QObject>

// What a tour scene can reach as `tour`: the fresh application of this scene and the SDK
// double behind its drone link, to put the screens into the state the scene shows.
class TourContext : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *sdk READ sdk CONSTANT)
    Q_PROPERTY(QObject *app READ app CONSTANT)
public:
    TourContext(ZeltrinPilotApp *app, FakeDJISDK *sdk, QObject *parent = nullptr)
        : QObject(parent), m_app(app), m_sdk(sdk) {}
    QObject *sdk() const { return m_sdk; }
    QObject *app() const { return m_app; }

    // Live values for the drone link (the fields a feed would fill).
    Q_INVOKABLE void setBattery(qint64 percentage, double voltage, double temperature, qint64 chargeCount,
                                qint64 estimatedFlightTime);
    Q_INVOKABLE void setFlightData(const QVariantMap &values);
    Q_INVOKABLE void setSignal(qint64 strength, int gpsLevel);
    Q_INVOKABLE void setFlying(bool flying);

private:
    ZeltrinPilotApp *m_app;
    FakeDJISDK *m_sdk;
};
