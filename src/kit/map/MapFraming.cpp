#include "MapFraming.h"

#include <cmath>

bool MapFraming::setViewArea(QRectF area)
{
    if (!std::isfinite(area.x()) || !std::isfinite(area.y()) || !std::isfinite(area.width())
        || !std::isfinite(area.height()))
        area = {};
    if (area == m_area)
        return false;
    m_area = area;
    return true;
}

QRectF MapFraming::usableArea(QSizeF size) const
{
    const QRectF view(QPointF(0, 0), size);
    const QRectF a = m_area.isValid() && !m_area.isEmpty() ? m_area & view : view;
    return a.isEmpty() ? view : a;
}

bool MapFraming::setFollows(bool on)
{
    if (on == m_follows)
        return false;
    m_follows = on;
    m_pilotPaused = false;
    return true;
}

void MapFraming::pilotMoved()
{
    m_fitted.reset();
    m_pilotPaused = m_follows;
}

std::optional<QPointF> MapFraming::followPan(QPointF aircraft, QSizeF size) const
{
    if (!following() || !std::isfinite(aircraft.x()) || !std::isfinite(aircraft.y()))
        return std::nullopt;
    const QRectF area = usableArea(size);
    if (area.contains(aircraft))
        return std::nullopt;
    return area.center() - aircraft;
}
