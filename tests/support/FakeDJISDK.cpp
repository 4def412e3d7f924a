#include "FakeDJISDK.h"

void FakeDJISDK::connectAircraft(const QString &model) { connectProduct(model, true); }

void FakeDJISDK::connectProduct(std::optional<QString> model, bool isAircraft)
{
    const DJIBaseProduct product{std::move(model), isAircraft};
    if (delegate())
        delegate()->productConnected(&product);
}

void FakeDJISDK::connectAbsentProduct()
{
    if (delegate())
        delegate()->productConnected(nullptr);
}

void FakeDJISDK::disconnectProduct()
{
    if (delegate())
        delegate()->productDisconnected();
}

void FakeDJISDK::reportProgress(double fractionCompleted)
{
    if (delegate())
        delegate()->didUpdateDatabaseDownloadProgress({fractionCompleted});
}

void FakeDJISDK::reportTelemetry(const DJITelemetryReading &reading)
{
    if (delegate())
        delegate()->didUpdateTelemetry(reading);
}
