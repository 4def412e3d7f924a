#pragma once

#include "DJIDroneManager.h"
#include "DJIWaypointMission.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QVariantList>

#include <optional>

// The checks before take-off. Automatic items read the aircraft's live values and what it has
// been told (its return level, its ceiling, the geofence, the planned mission); manual items are
// ticked by the pilot. Take-off waits until every item passes.
class PreflightChecklistModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The dashboard owns its checklist")
    // [{key, title, detail, passed, manual}], automatic items first.
    Q_PROPERTY(QVariantList items READ itemList NOTIFY changed)
    Q_PROPERTY(bool allPassed READ allPassed NOTIFY changed)
    // "2 items still open", or empty when all pass.
    Q_PROPERTY(QString openText READ openText NOTIFY changed)

public:
    struct Item {
        QString key;
        QString title;
        QString detail;
        bool passed = false;
        bool manual = false;
        bool operator==(const Item &) const = default;
    };
    // What the automatic items are judged from.
    struct Inputs {
        bool connected = false;
        bool live = false; // values come from a connected aircraft now
        qint64 battery = 0;
        int gpsLevel = 0;
        std::optional<zeltrin::Coordinate> home;
        std::optional<zeltrin::Coordinate> position; // where the aircraft stands
        qint64 signal = 0;
        double returnTrigger = 25; // % at which the aircraft goes home
        std::optional<double> ceiling;
        std::optional<double> geofence; // radius around the take-off point, when on
        std::optional<DJIWaypointMission> mission;
    };
    static constexpr qint64 kMinSignal = 40; // as the dashboard colours it: gold from 40 %
    static constexpr int kMinGpsLevel = 3;

    explicit PreflightChecklistModel(QObject *parent = nullptr);

    // The rules: the automatic items for these inputs, in the order shown.
    static QList<Item> automaticItems(const Inputs &in);

    void setDrone(DJIDroneManager *drone);
    void setReturnTrigger(double percent);
    void setGeofence(std::optional<double> radius);
    void setMission(const std::optional<DJIWaypointMission> &mission);
    Inputs inputs() const;

    QList<Item> items() const { return m_items; }
    QVariantList itemList() const;
    bool allPassed() const;
    QString openText() const;

    // A manual item ticked or not by the pilot; unknown keys change nothing.
    Q_INVOKABLE void setTicked(const QString &key, bool ticked);
    // Every manual item unticked: each take-off asks again.
    Q_INVOKABLE void reset();

Q_SIGNALS:
    void changed();

private:
    // Recomputes the items; notifies only when something shown changed (live values arrive
    // ten times a second).
    void refresh();

    QPointer<DJIDroneManager> m_drone;
    QList<Item> m_items;
    double m_returnTrigger = 25;
    std::optional<double> m_geofence;
    std::optional<DJIWaypointMission> m_mission;
    bool m_propellers = false;
    bool m_areaClear = false;
};
