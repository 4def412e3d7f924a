#pragma once

#include "FeatureSheetModel.h"

// The intelligent return-to-home sheet: trigger level, reserve and wind option of its own; its
// enable toggle edits the presenter's flag directly. The calculation figures are fixed.
class RTHSheetModel : public FlagSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double batteryThreshold READ batteryThreshold WRITE setBatteryThreshold NOTIFY batteryThresholdChanged)
    Q_PROPERTY(double reservePercentage READ reservePercentage WRITE setReservePercentage NOTIFY reservePercentageChanged)
    Q_PROPERTY(bool includeWindCalculation READ includeWindCalculation WRITE setIncludeWindCalculation NOTIFY includeWindCalculationChanged)
    Q_PROPERTY(QVariantMap thresholdRange READ thresholdRange CONSTANT)
    Q_PROPERTY(QVariantMap reserveRange READ reserveRange CONSTANT)
    // [{label, value, icon}] of the "Current Calculations" panel.
    Q_PROPERTY(QVariantList calculations READ calculations CONSTANT)

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
    static QVariantList calculations();

Q_SIGNALS:
    void batteryThresholdChanged();
    void reservePercentageChanged();
    void includeWindCalculationChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    double m_batteryThreshold = kInitialThreshold;
    double m_reservePercentage = kInitialReserve;
    bool m_includeWind = kInitialWind;
};
