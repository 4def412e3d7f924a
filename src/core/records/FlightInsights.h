#pragma once

#include "FlightRecord.h"

#include <QList>
#include <QString>

// What the analytics sheet and its report say about a logbook beyond the totals: three
// performance metrics measured against the pilot's own flights, and three trends of the last
// five flights against the five before. Battery figures count only where both ends are known and
// the charge did not rise: an unknown battery is left out, never taken as zero.
namespace zeltrin {

// Trends and metric bars need this many flights (the last five against the five before).
constexpr int kInsightFlights = 10;
// Distance per percent is judged only on flights that used at least this much: whole percents
// make a shorter flight's figure too coarse (1 % read could be anything from 0.5 to 1.5).
constexpr int kMinEfficiencyBattery = 5;

// The sums the insights need, from a list of flights (a store sums the same in SQL).
FlightTotals totalsOf(const QList<FlightRecord> &flights);
// Percent used per minute by a flight, when its battery figures and duration allow one.
std::optional<double> batteryPerMinute(const FlightRecord &flight);

struct FlightMetric {
    QString value;         // shown beside the label
    double percentage = 0; // the bar's fill, 0 to 100
    QString reference;     // what the bar measures against ("fastest flight: 14.2 m/s"), or empty
};

struct FlightTrend {
    enum class Direction { notEnough, increasing, decreasing, steady };
    Direction direction = Direction::notEnough;
    QString title;
    QString description;
};

struct FlightInsights {
    bool enoughFlights = false;
    FlightMetric averageSpeed, efficiency, batteryUsage;
    FlightTrend duration, altitudeSpread, batteryUse;
};

// `recent`: the newest flights first (at least the ten newest, when there are ten).
FlightInsights computeInsights(const FlightTotals &totals, const QList<FlightRecord> &recent);

} // namespace zeltrin
