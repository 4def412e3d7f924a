#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QString>

#include <array>
#include <optional>

// The six tabs, in tab bar order. The raw value is the case name.
class AppTabInfo
{
    Q_GADGET
public:
    enum class Value { dashboard, flightPlan, camera, telemetry, logbook, settings };
    Q_ENUM(Value)

    static constexpr std::array<Value, 6> allCases{Value::dashboard, Value::flightPlan, Value::camera,
                                                   Value::telemetry, Value::logbook, Value::settings};
    static QString rawValue(Value tab);
    // Exact, case-sensitive match of a raw value; anything else gives no tab.
    static std::optional<Value> fromRaw(QStringView raw);
    // What the tab bar attaches to each tab.
    static QString title(Value tab);
    static QString icon(Value tab);
};

using AppTab = AppTabInfo::Value;
