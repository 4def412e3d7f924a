#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace zeltrin {

// Focus modes in declaration order; the raw value is the title shown.
enum class FocusMode { autoFocus, manual, continuous };
// Colour profiles in declaration order; the raw value is the title shown.
enum class ColorProfile { standard, dLog, flat, vivid };

inline constexpr std::array<FocusMode, 3> kAllFocusModes{FocusMode::autoFocus, FocusMode::manual, FocusMode::continuous};
inline constexpr std::array<ColorProfile, 4> kAllColorProfiles{ColorProfile::standard, ColorProfile::dLog,
                                                               ColorProfile::flat, ColorProfile::vivid};

QString rawValue(FocusMode m);
QString iconName(FocusMode m);
std::optional<FocusMode> focusModeFromRaw(QStringView raw);

QString rawValue(ColorProfile p);
QString profileDescription(ColorProfile p);
std::optional<ColorProfile> colorProfileFromRaw(QStringView raw);

// Stepped ranges. Each position's value is computed from its index as a decimal fraction
// (tenths), so the ends read exactly 1.4/16.0 and -3.0/3.0 however far the slider travels.
struct SteppedRange {
    int firstTenths;   // value of position 0, in tenths
    int stepTenths;    // distance between positions, in tenths
    int count;         // number of positions
    double valueAt(int index) const;
    // Nearest position of a value (clamped to the range); none for NaN or infinity.
    std::optional<int> indexOf(double value) const;
};

inline constexpr SteppedRange kApertureRange{14, 2, 74};        // f/1.4 … f/16.0 in 0.2
inline constexpr SteppedRange kExposureCompRange{-30, 3, 21};   // -3.0 … 3.0 EV in 0.3

// White balance presets in wheel order: the kelvin tag and its text.
struct WhiteBalancePreset {
    int kelvin;
    const char *text;
};
inline constexpr std::array<WhiteBalancePreset, 5> kWhiteBalancePresets{{
    {2800, "2800K - Tungsten"},
    {4000, "4000K - Fluorescent"},
    {5500, "5500K - Daylight"},
    {6500, "6500K - Cloudy"},
    {7500, "7500K - Shade"},
}};
std::optional<int> whiteBalanceIndex(int kelvin);

// The shutter speeds offered on the wheel, fastest last; the screen holds an index into it.
inline constexpr std::array<const char *, 9> kShutterSpeeds{
    "1/30", "1/60", "1/120", "1/250", "1/500", "1/1000", "1/2000", "1/4000", "1/8000"};

} // namespace zeltrin
