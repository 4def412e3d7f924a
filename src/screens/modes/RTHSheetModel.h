#pragma once

#include "DJIReturnEstimate.h"
#include "FeatureSheetModel.h"

#include <optional>

// The intelligent return-to-home sheet: trigger level, reserve and wind option of its own; its
// enable toggle edits the presenter's flag directly. The calculations are the aircraft's way
// home as it is now, under the sheet's reserve and wind option: the same estimate the aircraft
// turns home at when the mode is on.
class RTHSheetModel : public FlagSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double batteryThreshold READ batteryThreshold WRITE setBatteryThreshold NOTIFY batteryThresholdChanged)
    Q_PROPERTY(double reservePercentage READ reservePercentage WRITE setReservePercentage NOTIFY reservePercentageChanged)
    Q_PROPERTY(bool includeWindCalculation READ includeWindCalculation WRITE setIncludeWindCalculation NOTIFY includeWindCalculationChanged)
    Q_PROPERTY(QVariantMap thresholdRange READ thresholdRange CONSTANT)
    Q_PROPERTY(QVariantMap reserveRange READ reserveRange CONSTANT)
    // The aircraft the figures are about.
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    // [{label, value, icon}] of the "Current Calculations" panel.
    Q_PROPERTY(QVariantList calculations READ calculations NOTIFY calculationsChanged)

public:
    static constexpr DJISmartReturnSettings kInitial{};
    static constexpr double kInitialThreshold = kInitial.batteryThreshold, kMinThreshold = 15, kMaxThreshold = 50;
    static constexpr double kInitialReserve = kInitial.reservePercentage, kMinReserve = 10, kMaxReserve = 30;
    static constexpr bool kInitialWind = kInitial.includeWindCalculation;

    explicit RTHSheetModel(QObject *parent = nullptr);

    double batteryThreshold() const { return m_batteryThreshold; }
    void setBatteryThreshold(double v);
    double reservePercentage() const { return m_reservePercentage; }
    void setReservePercentage(double v);
    bool includeWindCalculation() const { return m_includeWind; }
    void setIncludeWindCalculation(bool v);
    static QVariantMap thresholdRange() { return range(kMinThreshold, kMaxThreshold); }
    static QVariantMap reserveRange() { return range(kMinReserve, kMaxReserve); }
    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);
    QVariantList calculations() const;

    // The way home of a live aircraft (none without one), and its cost under the sheet's
    // settings (none also when the aircraft does not say what flying costs it).
    std::optional<DJIReturnPosition> position() const;
    std::optional<DJIReturnEstimate> estimate() const;
    // "2:30": minutes and seconds, rounded to the second.
    static QString timeText(double seconds);

Q_SIGNALS:
    void batteryThresholdChanged();
    void reservePercentageChanged();
    void includeWindCalculationChanged();
    void droneChanged();
    void calculationsChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    double m_batteryThreshold = kInitialThreshold;
    double m_reservePercentage = kInitialReserve;
    bool m_includeWind = kInitialWind;
    QPointer<DJIDroneManager> m_drone;
};
