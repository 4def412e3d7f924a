#pragma once

#include <QList>
#include <QObject>
#include <QQmlEngine>
#include <QString>
#include <QVariantList>

#include <array>
#include <optional>

namespace zeltrin {

// Automated camera movements of the shot designer; the raw value is the card title.
enum class CinematicShot { orbit, dronie, helix, reveal, boomerang, asteroid };

namespace cinematic_shot {
constexpr std::array<CinematicShot, 6> allCases()
{
    return {CinematicShot::orbit, CinematicShot::dronie, CinematicShot::helix,
            CinematicShot::reveal, CinematicShot::boomerang, CinematicShot::asteroid};
}
QString rawValue(CinematicShot shot);
QString icon(CinematicShot shot);
QString description(CinematicShot shot);
std::optional<CinematicShot> fromRaw(const QString &raw);
} // namespace cinematic_shot

} // namespace zeltrin

// The shot being designed. Lives in the flight plan screen's model, so it survives the sheet
// being closed and reopened; the sheet writes straight into it.
class ShotDesignerSettings : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by FlightPlanModel")
    // Index into allCases(); QML cannot name our lowercase enum keys.
    Q_PROPERTY(int selectedShot READ selectedShotIndex WRITE setSelectedShotIndex NOTIFY selectedShotChanged)
    Q_PROPERTY(double duration READ duration WRITE setDuration NOTIFY durationChanged)
    Q_PROPERTY(double distance READ distance WRITE setDistance NOTIFY distanceChanged)
    Q_PROPERTY(double height READ height WRITE setHeight NOTIFY heightChanged)
    // One entry per shot in card order: {title, icon, description}.
    Q_PROPERTY(QVariantList shots READ shots CONSTANT)
public:
    explicit ShotDesignerSettings(QObject *parent = nullptr);

    zeltrin::CinematicShot selectedShot() const { return m_shot; }
    void setSelectedShot(zeltrin::CinematicShot shot);
    int selectedShotIndex() const { return int(m_shot); }
    void setSelectedShotIndex(int index);
    double duration() const { return m_duration; }
    void setDuration(double v);
    double distance() const { return m_distance; }
    void setDistance(double v);
    double height() const { return m_height; }
    void setHeight(double v);
    QVariantList shots() const;

    // Read-out of a setting slider: "%.0f %@" of value and unit ("30 sec").
    Q_INVOKABLE static QString valueText(double value, const QString &unit);

Q_SIGNALS:
    void selectedShotChanged();
    void durationChanged();
    void distanceChanged();
    void heightChanged();

private:
    zeltrin::CinematicShot m_shot = zeltrin::CinematicShot::orbit;
    double m_duration = 30;
    double m_distance = 20;
    double m_height = 15;
};
