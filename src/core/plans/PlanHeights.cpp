#include "PlanHeights.h"

#include "NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace zeltrin::planio {

QString heightReferenceKey(HeightReference r)
{
    switch (r) {
    case HeightReference::TakeOff: return QStringLiteral("takeoff");
    case HeightReference::Ground: return QStringLiteral("ground");
    case HeightReference::SeaLevel: return QStringLiteral("sealevel");
    case HeightReference::Unknown: break;
    }
    return QStringLiteral("unknown");
}

std::optional<HeightReference> heightReferenceFromKey(QStringView key)
{
    for (HeightReference r :
         {HeightReference::TakeOff, HeightReference::Ground, HeightReference::SeaLevel, HeightReference::Unknown})
        if (key == heightReferenceKey(r))
            return r;
    return std::nullopt;
}

OpenedHeights openedHeights(const MissionPlan &plan, double currentAltitude, double minimum, double maximum,
                            std::optional<double> takeOffGround)
{
    OpenedHeights out;
    out.terrainFollow = plan.terrainFollow;
    if (!plan.altitude || !std::isfinite(*plan.altitude))
        return out;
    double fileAltitude = *plan.altitude;
    const QString keeps = format("the mission keeps its altitude of %.0f m", currentAltitude);
    switch (plan.altitudeReference) {
    case HeightReference::SeaLevel:
        if (!takeOffGround || !std::isfinite(*takeOffGround)) {
            out.note = QStringLiteral("Heights above sea level were not used: ") + keeps;
            return out;
        }
        fileAltitude -= *takeOffGround;
        out.note = format(
            "Heights above sea level are flown above the take-off point, whose ground is %.0f m above sea level",
            *takeOffGround);
        break;
    case HeightReference::Unknown:
        out.note = QStringLiteral("The file does not say what its heights are measured from: ") + keeps;
        return out;
    case HeightReference::Ground:
        // Heights above the ground are what terrain follow flies.
        if (plan.terrainFollow != true)
            out.note = QStringLiteral("The file's heights are above the ground: Terrain Follow is on");
        out.terrainFollow = true;
        break;
    case HeightReference::TakeOff: break;
    }
    out.altitude = std::clamp(fileAltitude, minimum, maximum);
    QString range;
    if (fileAltitude > maximum)
        range = format("The file's altitude of %.0f m is above the %.0f m limit: the mission flies at %.0f m",
                       fileAltitude, maximum, maximum);
    else if (fileAltitude < minimum)
        range = format("The file's altitude of %.0f m is below the %.0f m minimum: the mission flies at %.0f m",
                       fileAltitude, minimum, minimum);
    if (!range.isEmpty())
        out.note = out.note.isEmpty() ? range : out.note + QStringLiteral(". ") + range;
    return out;
}

} // namespace zeltrin::planio
