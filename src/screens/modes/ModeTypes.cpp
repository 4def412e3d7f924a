#include "ModeTypes.h"

#include <QVariantMap>

QString ActiveTrackModeInfo::rawValue(Value mode)
{
    switch (mode) {
    case Value::trace: return QStringLiteral("Trace");
    case Value::profile: return QStringLiteral("Profile");
    case Value::spotlight: return QStringLiteral("Spotlight");
    }
    return {};
}

std::optional<ActiveTrackMode> ActiveTrackModeInfo::fromRaw(QStringView raw)
{
    for (Value m : allCases)
        if (rawValue(m) == raw)
            return m;
    return std::nullopt;
}

QString ActiveTrackModeInfo::icon(Value mode)
{
    switch (mode) {
    case Value::trace: return QStringLiteral("arrow.triangle.turn.up.right.diamond");
    case Value::profile: return QStringLiteral("person.crop.circle");
    case Value::spotlight: return QStringLiteral("light.beacon.max");
    }
    return {};
}

QString ActiveTrackModeInfo::description(Value mode)
{
    switch (mode) {
    case Value::trace: return QStringLiteral("Follow behind the subject maintaining distance");
    case Value::profile: return QStringLiteral("Circle around subject at constant distance");
    case Value::spotlight: return QStringLiteral("Keep camera pointed at subject without moving");
    }
    return {};
}

QVariantList ActiveTrackModeInfo::options()
{
    QVariantList out;
    for (Value m : allCases)
        out << QVariantMap{{QStringLiteral("title"), rawValue(m)},
                           {QStringLiteral("icon"), icon(m)},
                           {QStringLiteral("description"), description(m)}};
    return out;
}

QString POIDirectionInfo::rawValue(Value direction)
{
    switch (direction) {
    case Value::clockwise: return QStringLiteral("Clockwise");
    case Value::counterclockwise: return QStringLiteral("Counter-Clockwise");
    }
    return {};
}

std::optional<POIDirection> POIDirectionInfo::fromRaw(QStringView raw)
{
    for (Value d : allCases)
        if (rawValue(d) == raw)
            return d;
    return std::nullopt;
}

QString POIDirectionInfo::icon(Value direction)
{
    return direction == Value::clockwise ? QStringLiteral("arrow.clockwise") : QStringLiteral("arrow.counterclockwise");
}

QVariantList POIDirectionInfo::options()
{
    QVariantList out;
    for (Value d : allCases)
        out << QVariantMap{{QStringLiteral("text"), rawValue(d)}, {QStringLiteral("icon"), icon(d)}};
    return out;
}
