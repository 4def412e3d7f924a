#include "FlightInsights.h"

#include "NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace zeltrin {

std::optional<double> batteryPerMinute(const FlightRecord &f)
{
    const int used = f.batteryUsed(); // -1 when unknown; below 0 also when the charge rose
    if (used < 0 || !std::isfinite(f.log.duration) || !(f.log.duration > 0))
        return std::nullopt;
    return used / (f.log.duration / 60.0);
}

FlightTotals totalsOf(const QList<FlightRecord> &flights)
{
    FlightTotals t;
    t.count = flights.size();
    auto add = [](double &sum, double v) {
        if (std::isfinite(v))
            sum += v;
    };
    for (const FlightRecord &f : flights) {
        add(t.duration, f.log.duration);
        add(t.distance, f.log.distance);
        add(t.maxAltitudeSum, f.log.maxAltitude);
        add(t.maxSpeedSum, f.log.maxSpeed);
        if (std::isfinite(f.log.maxSpeed))
            t.fastest = std::max(t.fastest, f.log.maxSpeed);
        if (const std::optional<double> rate = batteryPerMinute(f)) {
            ++t.batteryFlights;
            t.batteryUsed += f.batteryUsed();
            t.batteryMinutes += f.log.duration / 60.0;
            if (!t.latestBatteryPerMinute)
                t.latestBatteryPerMinute = rate;
        }
        if (f.batteryUsed() >= kMinEfficiencyBattery && std::isfinite(f.log.distance)) {
            t.efficiencyDistance += f.log.distance;
            t.efficiencyBattery += f.batteryUsed();
            t.bestEfficiency = std::max(t.bestEfficiency, f.log.distance / f.batteryUsed());
        }
    }
    return t;
}

namespace {

using Direction = FlightTrend::Direction;

// Share of `reference` that `value` makes, for a bar: 0 to 100, 0 when it cannot be told.
double share(double value, double reference)
{
    if (!std::isfinite(value) || !std::isfinite(reference) || !(reference > 0) || value < 0)
        return 0;
    return std::clamp(100.0 * value / reference, 0.0, 100.0);
}

// The finite values of `field` over flights [from, from + 5) of `recent`.
template<typename Field>
QList<double> group(const QList<FlightRecord> &recent, qsizetype from, Field field)
{
    QList<double> out;
    for (qsizetype i = from; i < from + kInsightFlights / 2 && i < recent.size(); ++i)
        if (const std::optional<double> v = field(recent[i]); v && std::isfinite(*v))
            out << *v;
    return out;
}

double mean(const QList<double> &v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return sum / double(v.size());
}

// Population standard deviation: how far the flights' heights lie from their mean.
double spread(const QList<double> &v)
{
    const double m = mean(v);
    double sq = 0;
    for (double x : v)
        sq += (x - m) * (x - m);
    return std::sqrt(sq / double(v.size()));
}

FlightTrend trend(const char *subject, Direction d, QString description)
{
    const char *word = d == Direction::increasing ? "Increasing" : d == Direction::decreasing ? "Decreasing" : "Steady";
    return {d, QStringLiteral("%1 %2").arg(QLatin1String(subject), QLatin1String(word)), std::move(description)};
}

FlightTrend notEnough(const char *subject, const char *why = "Not enough flights yet")
{
    return {Direction::notEnough, QLatin1String(subject), QLatin1String(why)};
}

// Average duration: steady while the change rounds to less than 5 %.
FlightTrend durationTrend(const QList<FlightRecord> &recent)
{
    const auto duration = [](const FlightRecord &f) -> std::optional<double> { return f.log.duration; };
    const QList<double> now = group(recent, 0, duration), before = group(recent, kInsightFlights / 2, duration);
    const char *subject = "Flight Duration";
    if (now.isEmpty() || before.isEmpty())
        return notEnough(subject);
    const double a = mean(now), b = mean(before);
    if (!(b > 0))
        return a > 0 ? trend(subject, Direction::increasing, QStringLiteral("Up from none over last 5 flights"))
                     : trend(subject, Direction::steady, QStringLiteral("+0% over last 5 flights"));
    const double change = 100.0 * (a - b) / b;
    const QString text = format("%+.0f%% over last 5 flights", change);
    const double shown = std::round(change);
    return trend(subject,
                 std::abs(shown) < 5 ? Direction::steady
                     : shown > 0     ? Direction::increasing
                                     : Direction::decreasing,
                 text);
}

// Spread of the highest altitudes: steady while it moved by less than 5 m or 10 % of before.
FlightTrend altitudeTrend(const QList<FlightRecord> &recent)
{
    const auto altitude = [](const FlightRecord &f) -> std::optional<double> { return f.log.maxAltitude; };
    const QList<double> now = group(recent, 0, altitude), before = group(recent, kInsightFlights / 2, altitude);
    const char *subject = "Altitude Spread";
    if (now.isEmpty() || before.isEmpty())
        return notEnough(subject);
    const double a = spread(now), b = spread(before);
    const QString text = format("%.0f m over last 5 flights, was %.0f m", a, b);
    if (std::abs(a - b) < std::max(5.0, 0.1 * b))
        return trend(subject, Direction::steady, text);
    return trend(subject, a > b ? Direction::increasing : Direction::decreasing, text);
}

// Battery per minute of each five, as their total use over their total time, from the flights
// whose battery figures are known: steady while it moved by less than 5 %.
FlightTrend batteryTrend(const QList<FlightRecord> &recent)
{
    const char *subject = "Battery Use";
    double used[2] = {0, 0}, minutes[2] = {0, 0};
    for (qsizetype i = 0; i < kInsightFlights && i < recent.size(); ++i)
        if (batteryPerMinute(recent[i])) {
            used[i / (kInsightFlights / 2)] += recent[i].batteryUsed();
            minutes[i / (kInsightFlights / 2)] += recent[i].log.duration / 60.0;
        }
    if (!(minutes[0] > 0) || !(minutes[1] > 0))
        return notEnough(subject, "Not enough battery readings yet");
    const double a = used[0] / minutes[0], b = used[1] / minutes[1];
    const QString text = format("%.1f%%/min over last 5 flights, was %.1f%%/min", a, b);
    if (std::abs(a - b) <= 0.05 * b)
        return trend(subject, Direction::steady, text);
    return trend(subject, a > b ? Direction::increasing : Direction::decreasing, text);
}

} // namespace

FlightInsights computeInsights(const FlightTotals &t, const QList<FlightRecord> &recent)
{
    FlightInsights in;
    in.enoughFlights = t.count >= kInsightFlights && recent.size() >= kInsightFlights;
    const double n = double(t.count);
    const double averageSpeed = t.count > 0 ? t.maxSpeedSum / n : 0.0;
    in.averageSpeed.value = format("%.1f m/s", averageSpeed);
    const std::optional<double> efficiency = t.efficiencyBattery > 0
        ? std::optional(t.efficiencyDistance / t.efficiencyBattery)
        : std::nullopt;
    in.efficiency.value = efficiency ? format("%.0f m/%%", *efficiency) : kPlaceholder;
    const std::optional<double> averageUse = t.batteryMinutes > 0 ? std::optional(t.batteryUsed / t.batteryMinutes)
                                                                  : std::nullopt;
    in.batteryUsage.value = t.latestBatteryPerMinute ? format("%.1f%%/min", *t.latestBatteryPerMinute) : kPlaceholder;

    if (!in.enoughFlights) {
        in.duration = notEnough("Flight Duration");
        in.altitudeSpread = notEnough("Altitude Spread");
        in.batteryUse = notEnough("Battery Use");
        return in;
    }
    in.averageSpeed.percentage = share(averageSpeed, t.fastest);
    in.averageSpeed.reference = format("fastest flight: %.1f m/s", t.fastest);
    if (efficiency) {
        in.efficiency.percentage = share(*efficiency, t.bestEfficiency);
        in.efficiency.reference = format("best flight: %.0f m/%%", t.bestEfficiency);
    }
    // Full while the latest flight drew no more per minute than the pilot's average.
    if (averageUse && t.latestBatteryPerMinute) {
        in.batteryUsage.percentage = *t.latestBatteryPerMinute > 0 ? share(*averageUse, *t.latestBatteryPerMinute)
                                                                   : 100.0;
        in.batteryUsage.reference = format("average: %.1f%%/min", *averageUse);
    }
    in.duration = durationTrend(recent);
    in.altitudeSpread = altitudeTrend(recent);
    in.batteryUse = batteryTrend(recent);
    return in;
}

} // namespace zeltrin
