#include "VerticalDatum.h"

#include <proj.h>

#include <cmath>

namespace zeltrin::terrain {

VerticalDatum::VerticalDatum()
{
    m_ctx = proj_context_create();
    if (!m_ctx) {
        m_error = QStringLiteral("PROJ could not start");
        return;
    }
    proj_log_level(m_ctx, PJ_LOG_NONE);
    proj_context_set_enable_network(m_ctx, 0);
    // Ellipsoidal heights to EGM96 heights. Of PROJ's candidate operations, the first that needs
    // no missing grid and is not a "ballpark" one: a ballpark operation leaves heights unchanged,
    // which would be metres wrong without a word.
    PJ *from = proj_create(m_ctx, "EPSG:4979");
    PJ *to = proj_create(m_ctx, "EPSG:4326+5773");
    PJ_OPERATION_FACTORY_CONTEXT *factory = proj_create_operation_factory_context(m_ctx, nullptr);
    PJ_OBJ_LIST *ops = nullptr;
    if (from && to && factory) {
        proj_operation_factory_context_set_grid_availability_use(
            m_ctx, factory, PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
        proj_operation_factory_context_set_spatial_criterion(m_ctx, factory,
                                                             PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
        ops = proj_create_operations(m_ctx, from, to, factory);
    }
    const int count = ops ? proj_list_get_count(ops) : 0;
    for (int i = 0; i < count && !m_op; ++i) {
        PJ *op = proj_list_get(m_ctx, ops, i);
        if (op && !proj_coordoperation_has_ballpark_transformation(m_ctx, op)
            && proj_coordoperation_is_instantiable(m_ctx, op)) {
            // Longitude first, latitude second, whatever the EPSG axis order.
            m_op = proj_normalize_for_visualization(m_ctx, op);
        }
        proj_destroy(op);
    }
    proj_list_destroy(ops);
    proj_operation_factory_context_destroy(factory);
    proj_destroy(from);
    proj_destroy(to);
    if (!m_op)
        m_error = QStringLiteral("The EGM96 geoid grid is missing (install proj-data)");
}

VerticalDatum::~VerticalDatum()
{
    proj_destroy(m_op);
    if (m_ctx)
        proj_context_destroy(m_ctx);
}

std::optional<double> VerticalDatum::toSeaLevel(double latitude, double longitude, double ellipsoidal) const
{
    if (!m_op || !std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(ellipsoidal)
        || std::abs(latitude) > 90 || std::abs(longitude) > 180)
        return std::nullopt;
    const PJ_COORD out = proj_trans(m_op, PJ_FWD, proj_coord(longitude, latitude, ellipsoidal, 0));
    if (!std::isfinite(out.xyz.z) || out.xyz.z == HUGE_VAL)
        return std::nullopt;
    return out.xyz.z;
}

std::optional<double> VerticalDatum::geoidSeparation(double latitude, double longitude) const
{
    const auto h = toSeaLevel(latitude, longitude, 0.0);
    if (!h)
        return std::nullopt;
    return -*h;
}

std::optional<double> VerticalDatum::toEllipsoidal(double latitude, double longitude, double seaLevel) const
{
    // The separation varies by millimetres across a height change: one step is exact enough.
    const auto n = geoidSeparation(latitude, longitude);
    if (!n || !std::isfinite(seaLevel))
        return std::nullopt;
    return seaLevel + *n;
}

} // namespace zeltrin::terrain
