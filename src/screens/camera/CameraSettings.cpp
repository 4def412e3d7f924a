#include "CameraSettings.h"

#include <cmath>

namespace zeltrin {

QString rawValue(FocusMode m)
{
    switch (m) {
    case FocusMode::autoFocus: return QStringLiteral("Auto Focus");
    case FocusMode::manual: return QStringLiteral("Manual Focus");
    case FocusMode::continuous: return QStringLiteral("Continuous AF");
    }
    return {};
}

QString iconName(FocusMode m)
{
    switch (m) {
    case FocusMode::autoFocus: return QStringLiteral("viewfinder.circle");
    case FocusMode::manual: return QStringLiteral("hand.point.up.left");
    case FocusMode::continuous: return QStringLiteral("arrow.triangle.2.circlepath.circle");
    }
    return {};
}

std::optional<FocusMode> focusModeFromRaw(QStringView raw)
{
    for (FocusMode m : kAllFocusModes)
        if (raw == rawValue(m))
            return m;
    return std::nullopt;
}

QString rawValue(ColorProfile p)
{
    switch (p) {
    case ColorProfile::standard: return QStringLiteral("Standard");
    case ColorProfile::dLog: return QStringLiteral("D-Log");
    case ColorProfile::flat: return QStringLiteral("Flat");
    case ColorProfile::vivid: return QStringLiteral("Vivid");
    }
    return {};
}

QString profileDescription(ColorProfile p)
{
    switch (p) {
    case ColorProfile::standard: return QStringLiteral("Balanced for most situations");
    case ColorProfile::dLog: return QStringLiteral("Maximum dynamic range for color grading");
    case ColorProfile::flat: return QStringLiteral("Flat profile for post-production");
    case ColorProfile::vivid: return QStringLiteral("Enhanced saturation and contrast");
    }
    return {};
}

std::optional<ColorProfile> colorProfileFromRaw(QStringView raw)
{
    for (ColorProfile p : kAllColorProfiles)
        if (raw == rawValue(p))
            return p;
    return std::nullopt;
}

double SteppedRange::valueAt(int index) const
{
    if (index < 0)
        index = 0;
    if (index >= count)
        index = count - 1;
    // Dividing an exact integer by 10 gives the double nearest the decimal value.
    return double(firstTenths + stepTenths * index) / 10.0;
}

std::optional<int> SteppedRange::indexOf(double value) const
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double steps = (value * 10.0 - firstTenths) / stepTenths;
    const double rounded = std::round(steps);
    if (rounded <= 0)
        return 0;
    if (rounded >= count - 1)
        return count - 1;
    return int(rounded);
}

std::optional<int> whiteBalanceIndex(int kelvin)
{
    for (size_t i = 0; i < kWhiteBalancePresets.size(); ++i)
        if (kWhiteBalancePresets[i].kelvin == kelvin)
            return int(i);
    return std::nullopt;
}

} // namespace zeltrin
