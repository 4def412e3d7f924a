#include "MissionBatteries.h"

#include "NumberFormat.h"

MissionBatteries::MissionBatteries(QObject *parent) : QObject(parent), m_pending(this)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &MissionBatteries::compute);
}

void MissionBatteries::schedule()
{
    if (!m_pending.isActive())
        m_pending.start();
}

void MissionBatteries::settle()
{
    if (m_pending.isActive()) {
        m_pending.stop();
        compute();
    }
}

QString MissionBatteries::startText(int part)
{
    return zeltrin::format("Battery %d starts here", part);
}

void MissionBatteries::compute()
{
    const std::optional<Request> r = m_source ? m_source() : std::nullopt;
    zeltrin::survey::BatteryPartsPlan plan;
    std::vector<Start> starts;
    if (r) {
        plan = zeltrin::survey::planBatteryParts(r->mission, r->input);
        for (size_t k = 1; k < plan.parts.size(); ++k) {
            const int first = plan.parts[k].first;
            const DJIWaypoint &w = r->mission.waypoints[first];
            // An added waypoint belongs to the plan's row before it.
            int row = -1;
            for (int i = first; i >= 0 && row < 0; --i)
                row = size_t(i) < r->rows.size() ? r->rows[size_t(i)] : i;
            starts.push_back({{w.latitude, w.longitude}, int(k) + 1, std::max(row, 0)});
        }
    }
    const bool same = plan.refusal == m_plan.refusal && plan.parts.size() == m_plan.parts.size()
        && std::equal(starts.begin(), starts.end(), m_starts.begin(), m_starts.end(),
                      [](const Start &a, const Start &b) {
                          return a.at == b.at && a.part == b.part && a.row == b.row;
                      });
    m_plan = std::move(plan);
    m_starts = std::move(starts);
    if (!same)
        Q_EMIT changed();
}
