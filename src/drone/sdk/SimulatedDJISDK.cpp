#include "SimulatedDJISDK.h"

namespace {
constexpr double kProgressSteps[] = {0.25, 0.5, 0.75, 1.0};
}

SimulatedDJISDK::SimulatedDJISDK(int stepMs, QObject *parent) : QObject(parent)
{
    m_timer.setInterval(stepMs);
    connect(&m_timer, &QTimer::timeout, this, &SimulatedDJISDK::step);
}

void SimulatedDJISDK::startConnectionToProduct()
{
    if (m_timer.isActive())
        return;
    m_step = 0;
    m_timer.start();
}

void SimulatedDJISDK::step()
{
    DJISDKManagerDelegate *d = delegate();
    const int progressCount = int(std::size(kProgressSteps));
    if (m_step < progressCount) {
        if (d)
            d->didUpdateDatabaseDownloadProgress({kProgressSteps[m_step]});
        ++m_step;
        return;
    }
    m_timer.stop();
    if (d) {
        const DJIBaseProduct aircraft{QString::fromLatin1(kModelName), true};
        d->productConnected(&aircraft);
        // A parked aircraft's values, so the screens show something real-looking.
        DJITelemetryReading reading;
        reading.battery = BatteryInfo{87, 15.82, 27.5, 23, 1380};
        FlightData parked = FlightData::zero;
        parked.latitude = 47.3977419;
        parked.longitude = 8.5455938;
        parked.heading = 112.0;
        reading.flightData = parked;
        reading.signalStrength = 92;
        reading.gpsLevel = 3;
        reading.isFlying = false;
        d->didUpdateTelemetry(reading);
    }
}
