#pragma once

#include "DJIIntelligentModes.h"

#include <QString>
#include <QStringView>
#include <QVariantList>

#include <array>
#include <optional>

// What the ActiveTrack sheet can follow a subject with. The raw value is the shown title.
class ActiveTrackModeInfo
{
public:
    using Value = DJIActiveTrackMode;
    static constexpr std::array<Value, 3> allCases{Value::trace, Value::profile, Value::spotlight};
    static QString rawValue(Value mode);
    static std::optional<Value> fromRaw(QStringView raw);
    static QString icon(Value mode);
    static QString description(Value mode);
    // [{title, icon, description}] in declaration order.
    static QVariantList options();
};
using ActiveTrackMode = ActiveTrackModeInfo::Value;

// Circling direction of the point-of-interest mode. The raw value is the shown text.
class POIDirectionInfo
{
public:
    using Value = DJICircleDirection;
    static constexpr std::array<Value, 2> allCases{Value::clockwise, Value::counterclockwise};
    static QString rawValue(Value direction);
    static std::optional<Value> fromRaw(QStringView raw);
    static QString icon(Value direction);
    // [{text, icon}] in declaration order, the shape the segmented picker takes.
    static QVariantList options();
};
using POIDirection = POIDirectionInfo::Value;
