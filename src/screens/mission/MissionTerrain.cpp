#include "MissionTerrain.h"

#include "NumberFormat.h"
#include "TerrainFollow.h"

#include <algorithm>
#include <cmath>
#include <limits>

MissionTerrain::MissionTerrain(QObject *parent) : QObject(parent), m_pending(this)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &MissionTerrain::compute);
}

void MissionTerrain::setInput(Input input)
{
    if (input == m_input)
        return;
    m_input = std::move(input);
    m_pending.start();
}

void MissionTerrain::settle()
{
    if (!m_pending.isActive())
        return;
    m_pending.stop();
    compute();
}

void MissionTerrain::setTolerance(double metres)
{
    if (!std::isfinite(metres))
        return;
    metres = std::clamp(metres, 0.5, 20.0);
    if (metres == m_tolerance)
        return;
    m_tolerance = metres;
    Q_EMIT toleranceChanged();
    m_pending.start();
}

QString MissionTerrain::datumText() const
{
    return QStringLiteral("Heights above the take-off point; the ground above sea level (EGM96)");
}

void MissionTerrain::compute()
{
    m_followable = false;
    m_note.clear();
    m_ground.clear();
    m_path.clear();
    m_lowest.clear();
    m_unknownLegs.clear();
    m_waypoints.clear();
    m_low = 0;
    m_high = 1;
    if (active()) {
        if (!m_input.ground) {
            m_note = QStringLiteral(
                "No elevation data covers this plan: download its area or import an elevation model.");
        } else {
            zeltrin::terrain::FollowSettings settings;
            settings.height = m_input.height;
            settings.speed = m_input.speed;
            settings.tolerance = m_tolerance;
            const zeltrin::Coordinate from = m_input.takeOff.value_or(m_input.waypoints.constFirst());
            const zeltrin::terrain::FollowPlan plan = zeltrin::terrain::followTerrain(m_input.waypoints, from,
                                                                                      *m_input.ground, settings);
            m_followable = plan.ok();
            m_note = plan.ok() ? plan.note : plan.refusal;
            for (int leg : plan.unknownLegs)
                if (leg + 1 < m_input.waypoints.size())
                    m_unknownLegs.emplace_back(m_input.waypoints[leg], m_input.waypoints[leg + 1]);
            for (const zeltrin::terrain::FollowWaypoint &w : plan.waypoints)
                m_waypoints.push_back({w.at, w.height, w.from});
            // A long mission draws at most a few hundred points: the chart is a few hundred wide.
            const size_t stride = std::max<size_t>(1, plan.profile.size() / 400);
            double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
            for (size_t i = 0; i < plan.profile.size(); i += stride) {
                const zeltrin::terrain::ProfileSample &p = plan.profile[i];
                m_ground.append(QPointF(p.distance, p.ground));
                if (std::isfinite(p.ground)) {
                    low = std::min(low, p.ground);
                    high = std::max(high, p.ground);
                }
                if (std::isfinite(p.path)) {
                    m_path.append(QPointF(p.distance, p.path));
                    high = std::max(high, p.path);
                }
            }
            if (low <= high) {
                m_low = low - 5;
                m_high = high + 5;
            }
            if (plan.lowest)
                m_lowest = zeltrin::format("Lowest clearance %.0f m, %.2f km along, between waypoints %d and %d",
                                           plan.lowest->clearance, plan.lowest->distance / 1000.0, plan.lowest->leg + 1,
                                           plan.lowest->leg + 2);
            else if (!plan.ok())
                m_lowest = QStringLiteral("Clearance unknown: the ground is not known everywhere on the way.");
        }
    }
    Q_EMIT changed();
}
