#include "RTHSheetModel.h"

#include <QVariantMap>

// No start/stop button here: the enable toggle takes its place, so the titles go unused.
RTHSheetModel::RTHSheetModel(QObject *parent)
    : FlagSheetModel(DJIIntelligentMode::smartReturnToHome, QString(), QString(), parent)
{
}

void RTHSheetModel::setBatteryThreshold(double v)
{
    assignClamped(m_batteryThreshold, v, kMinThreshold, kMaxThreshold);
    Q_EMIT batteryThresholdChanged();
    settingTouched();
}

void RTHSheetModel::setReservePercentage(double v)
{
    assignClamped(m_reservePercentage, v, kMinReserve, kMaxReserve);
    Q_EMIT reservePercentageChanged();
    settingTouched();
}

void RTHSheetModel::setIncludeWindCalculation(bool v)
{
    m_includeWind = v;
    Q_EMIT includeWindCalculationChanged();
    settingTouched();
}

QVariantList RTHSheetModel::calculations()
{
    // Fixed figures: nothing is computed from the link or the settings yet.
    auto stat = [](const char *label, const char *value, const char *icon) {
        return QVariantMap{{QStringLiteral("label"), QString::fromUtf8(label)},
                           {QStringLiteral("value"), QString::fromUtf8(value)},
                           {QStringLiteral("icon"), QString::fromUtf8(icon)}};
    };
    return {stat("Distance Home", "450m", "house.fill"), stat("Est. Battery", "18%", "battery.25"),
            stat("RTH Time", "2:30", "clock")};
}

DJIModeSettings RTHSheetModel::modeSettings() const
{
    return DJISmartReturnSettings{m_batteryThreshold, m_reservePercentage, m_includeWind};
}
