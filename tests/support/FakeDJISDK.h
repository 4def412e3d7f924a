#pragma once

#include "DJISDKManager.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

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

    // The pilot ends the link: the product goes, as the vendor's SDK reports it.
    void stopConnectionToProduct() override
    {
        ++disconnectRequests;
        disconnectProduct();
    }

    Q_INVOKABLE void connectAircraft(const QString &model);
    void connectProduct(std::optional<QString> model, bool isAircraft);
    void connectAbsentProduct();
    Q_INVOKABLE void disconnectProduct();
    Q_INVOKABLE void reportProgress(double fractionCompleted);
    void reportTelemetry(const DJITelemetryReading &reading);

    // Commands are recorded as received, then refused as by an SDK without an aircraft, or
    // answered with `answer` when a test sets one (no value: accepted).
    void startMission(const DJIWaypointMission &mission, DJICompletion done) override
    {
        missions << mission;
        reply(std::move(done));
    }
    void uploadMission(const DJIWaypointMission &mission, DJICompletion done) override
    {
        uploads << mission;
        if (holdUploads)
            heldUploads << std::move(done);
        else
            reply(std::move(done));
    }
    void startIntelligentMode(const DJIModeSettings &settings, DJICompletion done) override
    {
        modeStarts << settings;
        reply(std::move(done));
    }
    // Always taken: the ceiling is a setting, which a connected aircraft keeps.
    void setAltitudeCeiling(double metres, DJICompletion done) override
    {
        ceilings << metres;
        if (done)
            QTimer::singleShot(0, this, [done = std::move(done)] { done(std::nullopt); });
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

    std::optional<DJIReturnProfile> returnProfile() const override { return profile; }

    // Set to answer the commands above with this instead of refusing them.
    std::optional<DJICommandError> answer;
    // The aircraft's figures for flying home, when it gives them.
    std::optional<DJIReturnProfile> profile;
    // Uploads wait here, unanswered, while set.
    bool holdUploads = false;
    QList<DJICompletion> heldUploads;
    QList<DJIWaypointMission> missions, uploads;
    QList<double> ceilings;
    int disconnectRequests = 0;
    QList<DJIModeSettings> modeStarts, modeUpdates;
    QList<DJIIntelligentMode> modeStops;
    int connectionRequests = 0;
    std::function<void()> onConnectionRequest; // lets a test see when the link is asked for

private:
    void reply(DJICompletion done)
    {
        if (!answer) {
            refuse(std::move(done));
            return;
        }
        if (done)
            QTimer::singleShot(0, this, [done = std::move(done), a = *answer] { done(a); });
    }
};
