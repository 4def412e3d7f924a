#include "TelemetryModel.h"

#include "NumberFormat.h"

using GPSLevel = DJIDroneManager::GPSLevel;

namespace {

struct Row {
    const char *key;
    const char *label;
};
struct Section {
    const char *title;
    std::initializer_list<Row> rows;
};

const Section kSections[] = {
    {"Battery",
     {{"charge", "Charge"}, {"voltage", "Voltage"}, {"temperature", "Temperature"}, {"cycles", "Cycle Count"},
      {"timeLeft", "Est. Time Left"}}},
    {"Flight Data",
     {{"altitude", "Altitude (AGL)"}, {"groundSpeed", "Ground Speed"}, {"verticalSpeed", "Vertical Speed"},
      {"heading", "Heading"}, {"homeDistance", "Distance from Home"}}},
    {"GPS", {{"latitude", "Latitude"}, {"longitude", "Longitude"}, {"gpsLevel", "Signal Level"}}},
    {"Wind Estimation \u2605", {{"windSpeed", "Est. Wind Speed"}, {"windDirection", "Est. Wind Dir."}}},
};

} // namespace

TelemetryModel::TelemetryModel(QObject *parent) : QObject(parent) {}

QString TelemetryModel::timeLeftText(qint64 seconds)
{
    // Truncating division, so a negative estimate keeps its sign in both parts.
    const qint64 minutes = seconds / 60;
    return zeltrin::format("%dm %ds", minutes, seconds - 60 * minutes);
}

QString TelemetryModel::verticalSpeedText(double v) { return zeltrin::format("%+.2f m/s", v); }
QString TelemetryModel::coordinateText(double degrees) { return zeltrin::format("%.6f\u00B0", degrees); }

void TelemetryModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone)
        QObject::disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (m_drone) {
        for (auto sig :
             {&DJIDroneManager::batteryChanged, &DJIDroneManager::flightDataChanged, &DJIDroneManager::gpsSignalChanged,
              &DJIDroneManager::windChanged, &DJIDroneManager::valuesAreLiveChanged})
            QObject::connect(m_drone, sig, this, &TelemetryModel::valuesChanged);
        QObject::connect(m_drone, &QObject::destroyed, this, &TelemetryModel::valuesChanged, Qt::QueuedConnection);
    }
    Q_EMIT droneChanged();
    Q_EMIT valuesChanged();
}

QVariantList TelemetryModel::sections()
{
    QVariantList out;
    for (const Section &s : kSections) {
        QVariantList rows;
        for (const Row &r : s.rows)
            rows << QVariantMap{{QStringLiteral("key"), QString::fromLatin1(r.key)},
                                {QStringLiteral("label"), QString::fromUtf8(r.label)}};
        out << QVariantMap{{QStringLiteral("title"), QString::fromUtf8(s.title)}, {QStringLiteral("rows"), rows}};
    }
    return out;
}

QVariantMap TelemetryModel::values() const
{
    // Without a link the manager's initial values are shown.
    const BatteryInfo b = m_drone ? m_drone->battery() : BatteryInfo{};
    const FlightData f = m_drone ? m_drone->flightData() : FlightData::zero;
    const GPSLevel gps = m_drone ? m_drone->gpsSignal() : GPSLevel::none;
    // The wind only while the aircraft's estimate is live: an old one would mislead.
    const std::optional<DJIWindEstimate> wind = m_drone && m_drone->valuesAreLive() ? m_drone->wind() : std::nullopt;
    using zeltrin::format;
    return {
        {QStringLiteral("charge"), format("%d%%", b.percentage)},
        {QStringLiteral("voltage"), format("%.2f V", b.voltage)},
        {QStringLiteral("temperature"), format("%.1f \u00B0C", b.temperature)},
        {QStringLiteral("cycles"), format("%d", b.chargeCount)},
        {QStringLiteral("timeLeft"), timeLeftText(b.estimatedFlightTime)},
        {QStringLiteral("altitude"), format("%.2f m", f.altitude)},
        {QStringLiteral("groundSpeed"), format("%.2f m/s", f.groundSpeed)},
        {QStringLiteral("verticalSpeed"), verticalSpeedText(f.verticalSpeed)},
        {QStringLiteral("heading"), format("%.1f\u00B0", f.heading)},
        {QStringLiteral("homeDistance"), format("%.1f m", f.distanceFromHome)},
        {QStringLiteral("latitude"), coordinateText(f.latitude)},
        {QStringLiteral("longitude"), coordinateText(f.longitude)},
        {QStringLiteral("gpsLevel"), format("%d/4", DJIDroneManager::rawValue(gps))},
        {QStringLiteral("windSpeed"), wind ? format("%.1f m/s", wind->speed) : QStringLiteral("\u2014 m/s")},
        {QStringLiteral("windDirection"),
         wind ? format("%.0f\u00B0", wind->directionFrom) : QStringLiteral("\u2014\u00B0")},
    };
}

QString TelemetryModel::valueFor(const QString &label) const
{
    const QVariantMap v = values();
    for (const Section &s : kSections)
        for (const Row &r : s.rows)
            if (QString::fromUtf8(r.label) == label)
                return v.value(QString::fromLatin1(r.key)).toString();
    return {};
}
