#include "AppTab.h"

namespace {
struct TabRow {
    AppTab tab;
    const char *raw;
    const char *title;
    const char *icon;
};
constexpr TabRow kTabs[] = {
    {AppTab::dashboard, "dashboard", "Dashboard", "house.fill"},
    {AppTab::flightPlan, "flightPlan", "Mission", "map.fill"},
    {AppTab::camera, "camera", "Camera", "camera.fill"},
    {AppTab::telemetry, "telemetry", "Telemetry", "waveform.path.ecg"},
    {AppTab::logbook, "logbook", "Logbook", "book.closed.fill"},
    {AppTab::settings, "settings", "Settings", "gearshape.fill"},
};
const TabRow &row(AppTab tab) { return kTabs[int(tab)]; }
} // namespace

QString AppTabInfo::rawValue(Value tab) { return QString::fromLatin1(row(tab).raw); }
QString AppTabInfo::title(Value tab) { return QString::fromLatin1(row(tab).title); }
QString AppTabInfo::icon(Value tab) { return QString::fromLatin1(row(tab).icon); }

std::optional<AppTab> AppTabInfo::fromRaw(QStringView raw)
{
    for (const TabRow &r : kTabs)
        if (raw == QLatin1String(r.raw))
            return r.tab;
    return std::nullopt;
}
