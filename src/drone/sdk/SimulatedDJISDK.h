#pragma once

#include "DJISDKManager.h"

#include <QObject>
#include <QTimer>

// Desktop stand-in for the aircraft SDK: after the connection request it reports the flight
// database download in a few steps, then connects a simulated aircraft and reports its live
// values once. Everything arrives through the event loop on the main thread, as the real
// SDK's callbacks do.
class SimulatedDJISDK final : public QObject, public DJISDKManager
{
    Q_OBJECT
public:
    static constexpr auto kModelName = "Zeltrin Sim One";

    explicit SimulatedDJISDK(int stepMs = 150, QObject *parent = nullptr);
    void startConnectionToProduct() override;

private:
    void step();

    QTimer m_timer; // member: stops with the SDK object, never fires into freed state
    int m_step = 0;
};
