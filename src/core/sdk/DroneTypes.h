#pragma once

#include <QColor>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

// Records published by the drone link manager. They are also reachable as
// DJIDroneManager::AircraftInfo, ::BatteryInfo and ::FlightData.

struct AircraftInfo {
    Q_GADGET
    Q_PROPERTY(QString model MEMBER model)
    Q_PROPERTY(QString firmwareVersion MEMBER firmwareVersion)
    Q_PROPERTY(QString serialNumber MEMBER serialNumber)
public:
    QString model = QStringLiteral("\u2014");
    QString firmwareVersion = QStringLiteral("\u2014");
    QString serialNumber = QStringLiteral("\u2014");
    bool operator==(const AircraftInfo &) const = default;
};

struct BatteryInfo {
    Q_GADGET
    Q_PROPERTY(qint64 percentage MEMBER percentage)
    Q_PROPERTY(double voltage MEMBER voltage)
    Q_PROPERTY(double temperature MEMBER temperature)
    Q_PROPERTY(qint64 chargeCount MEMBER chargeCount)
    Q_PROPERTY(qint64 estimatedFlightTime MEMBER estimatedFlightTime)
public:
    qint64 percentage = 0;
    double voltage = 0.0;
    double temperature = 0.0;
    qint64 chargeCount = 0;
    qint64 estimatedFlightTime = 0; // seconds
    bool operator==(const BatteryInfo &) const = default;
};

struct FlightData {
    Q_GADGET
    Q_PROPERTY(double altitude MEMBER altitude)
    Q_PROPERTY(double groundSpeed MEMBER groundSpeed)
    Q_PROPERTY(double verticalSpeed MEMBER verticalSpeed)
    Q_PROPERTY(double heading MEMBER heading)
    Q_PROPERTY(double latitude MEMBER latitude)
    Q_PROPERTY(double longitude MEMBER longitude)
    Q_PROPERTY(double distanceFromHome MEMBER distanceFromHome)
    Q_PROPERTY(double flightTime MEMBER flightTime)
    Q_PROPERTY(bool motorsOn MEMBER motorsOn)
    Q_PROPERTY(bool hasHeightAboveGround MEMBER hasHeightAboveGround)
    Q_PROPERTY(double heightAboveGround MEMBER heightAboveGround)
public:
    double altitude = 0.0;
    double groundSpeed = 0.0;
    double verticalSpeed = 0.0;
    double heading = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    double distanceFromHome = 0.0;
    double flightTime = 0.0;
    bool motorsOn = false;
    // Metres over the ground under the aircraft, when the aircraft knows it (altitude is above
    // the take-off point).
    bool hasHeightAboveGround = false;
    double heightAboveGround = 0.0;
    bool operator==(const FlightData &) const = default;

    // The all-zero value every manager starts from.
    static const FlightData zero;
};

Q_DECLARE_METATYPE(AircraftInfo)
Q_DECLARE_METATYPE(BatteryInfo)
Q_DECLARE_METATYPE(FlightData)

