#include "VehicleLayer.h"

#include "MarkerPainter.h"
#include "OverlayGeometry.h"
#include "OverlayNodes.h"
#include "WebMercator.h"

#include <QPainter>

#include <cmath>

using namespace overlaygeometry;

namespace {

// The home point and the aircraft: atlas quads that a move only re-places, attached while shown.
class VehicleNodes : public QSGNode
{
public:
    static VehicleNodes *in(QSGNode *slot, const OverlayNodes &nodes)
    {
        auto *n = static_cast<VehicleNodes *>(slot->firstChild());
        if (!n) {
            n = new VehicleNodes(nodes);
            slot->appendChildNode(n);
        }
        return n;
    }
    ~VehicleNodes() override
    {
        delete m_home; // leaves its parent when attached
        delete m_aircraft;
    }

    void show(const VehicleDraw &v, qreal dpr)
    {
        if (v == m_shown)
            return;
        auto place = [this, dpr](QSGTransformNode *node, const std::optional<QPointF> &at, double rotation) {
            if (!at) {
                if (node->parent())
                    removeChildNode(node);
                return;
            }
            QMatrix4x4 m;
            m.translate(float(snap(at->x(), dpr)), float(snap(at->y(), dpr)));
            if (rotation != 0)
                m.rotate(float(rotation), 0, 0, 1);
            node->setMatrix(m);
            if (!node->parent())
                appendChildNode(node);
        };
        // The aircraft stays last, so it is drawn over the home point.
        if (v.home && !m_home->parent() && m_aircraft->parent())
            removeChildNode(m_aircraft);
        place(m_home, v.home, 0);
        place(m_aircraft, v.aircraft, v.aircraftRotation);
        m_shown = v;
    }

private:
    explicit VehicleNodes(const OverlayNodes &nodes)
    {
        for (auto [slot, quad] :
             {std::pair{&m_home, nodes.atlas().home()}, std::pair{&m_aircraft, nodes.atlas().aircraft()}}) {
            *slot = new QSGTransformNode;
            QSGGeometryNode *node = nodes.atlasNode();
            writeQuad(node->geometry(), quad);
            (*slot)->appendChildNode(node);
        }
    }
    QSGTransformNode *m_home = nullptr, *m_aircraft = nullptr;
    VehicleDraw m_shown;
};

} // namespace

VehicleDraw VehicleLayer::draw(const OverlayFrame &frame, double bearing, qreal dpr) const
{
    auto place = [&frame, dpr](double latitude, double longitude) -> std::optional<QPointF> {
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90
            || std::abs(longitude) > 180)
            return std::nullopt;
        const QPointF p = frame.project(zeltrin::mercator::toWorld(latitude, longitude));
        return QPointF(std::round(p.x() * dpr) / dpr, std::round(p.y() * dpr) / dpr);
    };
    VehicleDraw d;
    if (m_state.showsHome)
        d.home = place(m_state.homeLatitude, m_state.homeLongitude);
    if (m_state.showsAircraft) {
        d.aircraft = place(m_state.aircraftLatitude, m_state.aircraftLongitude);
        const double heading = std::isfinite(m_state.aircraftHeading) ? m_state.aircraftHeading : 0.0;
        d.aircraftRotation = std::fmod(std::round(heading - bearing), 360.0);
    }
    return d;
}

bool VehicleLayer::needsFrame(const OverlayFrame &frame, double bearing, qreal dpr)
{
    const VehicleDraw d = draw(frame, bearing, dpr);
    if (d == m_drawn)
        return false;
    m_drawn = d;
    return true;
}

// The GUI thread waits for this sync, so the member is safe to set.
void VehicleLayer::sync(const LayerSync &s)
{
    m_drawn = draw(s.frame, s.cam.bearing, s.dpr);
}

void VehicleLayer::updateNodes(OverlayNodes &nodes) const
{
    VehicleNodes::in(nodes.slot(OverlayNodes::Vehicles), nodes)->show(m_drawn, nodes.devicePixelRatio());
}

std::function<void(QPainter *)> VehicleLayer::painter() const
{
    return [v = m_drawn](QPainter *p) {
        if (v.home)
            marker::paintHome(p, *v.home);
        if (v.aircraft) {
            p->save();
            p->translate(*v.aircraft);
            p->rotate(v.aircraftRotation);
            marker::paintAircraft(p, QPointF());
            p->restore();
        }
    };
}
