#pragma once

#include "MapOverlay.h"

#include <functional>

class OverlayNodes;
class QPainter;

// The aircraft (a dart turned to its heading) and its home point, over everything else. Placed
// on whole device pixels and turned by whole degrees, so a reading that moves them too little to
// show asks for no frame: at ten readings a second over a whole mission, most move the aircraft
// less than a pixel.
class VehicleLayer
{
public:
    struct State {
        bool showsAircraft = false, showsHome = false;
        double aircraftLatitude = 0, aircraftLongitude = 0, aircraftHeading = 0;
        double homeLatitude = 0, homeLongitude = 0;
    };
    const State &state() const { return m_state; }
    // Returns whether the value changed.
    template<typename T>
    bool set(T State::*field, T value)
    {
        if (m_state.*field == value)
            return false;
        m_state.*field = value;
        return true;
    }
    // After a change: whether what is drawn moves from what the last frame drew (or a change
    // since asked a frame for), which it then remembers as asked for.
    bool needsFrame(const OverlayFrame &frame, double bearing, qreal dpr);

    // What this frame draws.
    void sync(const LayerSync &s);
    // On a GPU renderer, its nodes; on the software one, what it paints.
    void updateNodes(OverlayNodes &nodes) const;
    std::function<void(QPainter *)> painter() const;

private:
    VehicleDraw draw(const OverlayFrame &frame, double bearing, qreal dpr) const;
    State m_state;
    VehicleDraw m_drawn;
};
