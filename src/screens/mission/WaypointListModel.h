#pragma once

#include "CoordinateListModel.h"

// The mission's waypoints as the list sheet shows them: "WP n" rows with their coordinates.
class WaypointListModel : public CoordinateListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by FlightPlanModel")
public:
    enum Role { LatitudeTextRole = NextRole, LongitudeTextRole, BatteryNoteRole };
    using CoordinateListModel::CoordinateListModel;

    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Row title in the list ("WP 1") and annotation title on the map ("WP1").
    Q_INVOKABLE static QString rowTitle(int position);
    Q_INVOKABLE static QString annotationTitle(int position);
    // Rows where a battery's part starts (row → its number, 2 and up): "Battery 2 starts here".
    void setBatteryStarts(const QHash<int, int> &starts);
    static QString latitudeText(double latitude);
    static QString longitudeText(double longitude);

private:
    QHash<int, int> m_batteryStarts;
};
