#pragma once

#include "DJISDKManager.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// A test double for the aircraft SDK: tests call its callbacks directly.
class FakeDJISDK final : public QObject, public DJISDKManager
{
    Q_OBJECT
public:
    explicit FakeDJISDK(QObject *parent = nullptr) : QObject(parent) {}

    void startConnectionToProduct() override
    {
        ++connectionRequests;
        if (onConnectionRequest)
            onConnectionRequest();
    }

    Q_INVOKABLE void connectAircraft(const QString &model);
    void connectProduct(std::optional<QString> model, bool isAircraft);
    void connectAbsentProduct();
    Q_INVOKABLE void disconnectProduct();
    Q_INVOKABLE void reportProgress(double fractionCompleted);
    void reportTelemetry(const DJITelemetryReading &reading);

    // Commands are recorded as received, then refused as by an SDK without an aircraft.
    void startMission(const DJIWaypointMission &mission, DJICompletion done) override
    {
        missions << mission;
        refuse(std::move(done));
    }
    void startIntelligentMode(const DJIModeSettings &settings, DJICompletion done) override
    {
        modeStarts << settings;
        refuse(std::move(done));
    }
    void updateIntelligentMode(const DJIModeSettings &settings, DJICompletion done) override
    {
        modeUpdates << settings;
        refuse(std::move(done));
    }
    void stopIntelligentMode(DJIIntelligentMode mode, DJICompletion done) override
    {
        modeStops << mode;
        refuse(std::move(done));
    }

    QList<DJIWaypointMission> missions;
    QList<DJIModeSettings> modeStarts, modeUpdates;
    QList<DJIIntelligentMode> modeStops;
    int connectionRequests = 0;
    std::function<void()> onConnectionRequest; // lets a test see when the link is asked for
};
