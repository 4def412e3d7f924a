#include "FlightCamera.h"

#include <algorithm>
#include <cmath>

namespace {

FlightCamera::Pose between(const FlightCamera::Pose &a, const FlightCamera::Pose &b, double t)
{
    FlightCamera::Pose p;
    p.east = a.east + (b.east - a.east) * t;
    p.north = a.north + (b.north - a.north) * t;
    p.height = a.height + (b.height - a.height) * t;
    // The short way round.
    p.heading = std::fmod(a.heading + std::remainder(b.heading - a.heading, 360.0) * t + 360.0, 360.0);
    p.flightTime = a.flightTime + (b.flightTime - a.flightTime) * t;
    return p;
}

} // namespace

bool FlightCamera::takePhoto(const Pose &at)
{
    if (m_failing)
        return false;
    m_photos.push_back({at, m_pitch, ++m_index});
    m_card.push_back(m_photos.back());
    ++m_taken;
    return true;
}

void FlightCamera::flown(const Pose &from, const Pose &to)
{
    if (!distanceOn())
        return;
    const double length = std::hypot(to.east - from.east, to.north - from.north);
    if (!std::isfinite(length))
        return;
    double used = 0;
    while (m_since + (length - used) >= m_trigger) {
        used += m_trigger - m_since;
        takePhoto(between(from, to, length > 0 ? std::clamp(used / length, 0.0, 1.0) : 1.0));
        m_since = 0;
    }
    m_since += length - used;
}

void FlightCamera::arrive(const std::vector<Action> &actions, const Pose &at, double gap)
{
    gap = std::isfinite(gap) ? std::max(0.0, gap) : 0.0;
    // As far as the mission goes the aircraft is on the waypoint: a photo due there is taken now,
    // so a run planned to end on a photo ends on one.
    if (distanceOn()) {
        m_since += gap;
        if (m_since >= m_trigger - kTolerance) {
            takePhoto(at);
            m_since = 0;
        }
    }
    for (const Action &a : actions) {
        switch (a.kind) {
        case Action::Kind::takePhoto: takePhoto(at); break;
        case Action::Kind::startDistance:
            if (std::isfinite(a.value) && a.value >= kMinTrigger) {
                m_trigger = a.value;
                takePhoto(at);
                m_since = 0;
            }
            break;
        case Action::Kind::stopDistance: stopDistance(); break;
        case Action::Kind::gimbalPitch: setGimbalPitch(a.value); break;
        }
    }
    // The gap is still to be flown; it was counted above.
    if (distanceOn())
        m_since -= gap;
}

void FlightCamera::setGimbalPitch(double degrees)
{
    if (std::isfinite(degrees))
        m_pitch = std::clamp(degrees, -90.0, 30.0);
}

std::vector<FlightCamera::Photo> FlightCamera::takePhotos()
{
    std::vector<Photo> out;
    out.swap(m_photos);
    return out;
}
