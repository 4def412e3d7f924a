#include "CinematicShot.h"

#include "NumberFormat.h"

#include <QVariantMap>

namespace zeltrin::cinematic_shot {

namespace {
struct Info {
    const char *raw;
    const char *icon;
    const char *description;
};
constexpr Info kInfo[] = {
    {"Orbit", "arrow.triangle.2.circlepath.circle", "Circle around subject maintaining distance"},
    {"Dronie", "arrow.up.backward.and.arrow.down.forward", "Fly backward and upward revealing landscape"},
    {"Helix", "tornado", "Spiral upward around subject"},
    {"Reveal", "eye.circle", "Rise and reveal subject from behind obstacle"},
    {"Boomerang", "boomerang", "Fly around subject in a wide arc returning to start"},
    {"Asteroid", "circle.dotted.and.circle", "Rotate around subject pulling back in all directions"},
};
} // namespace

QString rawValue(CinematicShot shot) { return QString::fromLatin1(kInfo[int(shot)].raw); }
QString icon(CinematicShot shot) { return QString::fromLatin1(kInfo[int(shot)].icon); }
QString description(CinematicShot shot) { return QString::fromLatin1(kInfo[int(shot)].description); }

std::optional<CinematicShot> fromRaw(const QString &raw)
{
    for (CinematicShot s : allCases())
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

} // namespace zeltrin::cinematic_shot

namespace cs = zeltrin::cinematic_shot;

ShotDesignerSettings::ShotDesignerSettings(QObject *parent) : QObject(parent) {}

void ShotDesignerSettings::setSelectedShot(zeltrin::CinematicShot shot)
{
    m_shot = shot;
    Q_EMIT selectedShotChanged();
}

void ShotDesignerSettings::setSelectedShotIndex(int index)
{
    if (index < 0 || index >= int(cs::allCases().size()))
        return; // not a shot: keep the current one
    setSelectedShot(cs::allCases()[size_t(index)]);
}

void ShotDesignerSettings::setDuration(double v)
{
    m_duration = v;
    Q_EMIT durationChanged();
}

void ShotDesignerSettings::setDistance(double v)
{
    m_distance = v;
    Q_EMIT distanceChanged();
}

void ShotDesignerSettings::setHeight(double v)
{
    m_height = v;
    Q_EMIT heightChanged();
}

QVariantList ShotDesignerSettings::shots() const
{
    QVariantList list;
    for (auto s : cs::allCases())
        list.append(QVariantMap{{"title", cs::rawValue(s)}, {"icon", cs::icon(s)},
                                {"description", cs::description(s)}});
    return list;
}

QString ShotDesignerSettings::valueText(double value, const QString &unit)
{
    return zeltrin::format("%.0f %@", value, unit);
}
