#pragma once

#include "DroneTypes.h"

#include <QString>

#include <memory>
#include <optional>

// The slice of the aircraft vendor's SDK that the app relies on. On a phone this wraps the
// vendor's SDK manager; desktop builds use a simulation, and tests drive a double.

// A product the SDK reports: its model name, if any, and whether it is an aircraft.
struct DJIBaseProduct {
    std::optional<QString> model;
    bool isAircraft = false;
};

struct DJISDKProgress {
    double fractionCompleted = 0.0; // 0 to 1
};

// One reading of the aircraft's live values; a field left empty was not part of the reading.
struct DJITelemetryReading {
    std::optional<BatteryInfo> battery;
    std::optional<FlightData> flightData;
    std::optional<qint64> signalStrength;
    std::optional<int> gpsLevel; // 0 to 4
    std::optional<bool> isFlying;
};

// Receives the SDK's product callbacks, always on the main thread.
class DJISDKManagerDelegate
{
public:
    virtual ~DJISDKManagerDelegate() = default;
    virtual void productConnected(const DJIBaseProduct *product) = 0; // product may be absent
    virtual void productDisconnected() = 0;
    virtual void didUpdateDatabaseDownloadProgress(const DJISDKProgress &progress) = 0;
    virtual void didUpdateTelemetry(const DJITelemetryReading &) {}
};

class DJISDKManager
{
public:
    virtual ~DJISDKManager() = default;
    void setDelegate(DJISDKManagerDelegate *delegate) { m_delegate = delegate; }
    DJISDKManagerDelegate *delegate() const { return m_delegate; }
    virtual void startConnectionToProduct() = 0;

private:
    DJISDKManagerDelegate *m_delegate = nullptr;
};

// An SDK that never reports a product (a build without any aircraft SDK).
class NullDJISDK final : public DJISDKManager
{
public:
    void startConnectionToProduct() override {}
};

// The SDK a build uses: ZELTRIN_SDK in the environment ("simulated" or "none"), else the
// build's default.
std::unique_ptr<DJISDKManager> makeDefaultSDK();
