#pragma once

#include "FootprintSet.h"
#include "MapOverlay.h"

#include <QLineF>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class OverlayNodes;
class QPainter;
class QQuickItem;

// An area's outline and its footprints under the waypoints: the edges of the footprints of each
// colour in one geometry node, rebuilt when the set or the overlay frame changes.
class FootprintLayer
{
public:
    explicit FootprintLayer(QQuickItem *owner) : m_owner(owner) {}

    FootprintSet *set() const { return m_set; }
    void setSet(FootprintSet *s);

    void sync(const LayerSync &s);
    void updateNodes(OverlayNodes &nodes, bool all);
    std::function<void(QPainter *)> painter() const;
    // Edges built by the last sync (for tests and benchmarks).
    qsizetype builtEdges() const;

private:
    struct Built {
        std::vector<std::vector<QLineF>> edges; // per colour
        std::vector<QColor> colours;
        std::vector<QLineF> outline;
    };
    QQuickItem *m_owner;
    QPointer<FootprintSet> m_set;
    bool m_dirty = true;
    bool m_fresh = false; // built since the nodes were last written
    std::shared_ptr<const Built> m_built = std::make_shared<Built>();
};
