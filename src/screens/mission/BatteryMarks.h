#pragma once

#include "MissionBatteries.h"
#include "TileMapItem.h"

#include <QPointer>
#include <QQuickPaintedItem>

// Over the map, with Multi-Battery on: "Battery 2 starts here" where each part after the first
// starts its work. Painted, and only while there are such marks: a few labels, redrawn as the
// map moves.
class BatteryMarks : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TileMapItem *map READ map WRITE setMap NOTIFY mapChanged)
    Q_PROPERTY(MissionBatteries *batteries READ batteries WRITE setBatteries NOTIFY batteriesChanged)
    // Marks drawn (0 when none): for tests and for assistive text.
    Q_PROPERTY(int markCount READ markCount NOTIFY marksChanged)
public:
    explicit BatteryMarks(QQuickItem *parent = nullptr);

    TileMapItem *map() const { return m_map; }
    void setMap(TileMapItem *map);
    MissionBatteries *batteries() const { return m_batteries; }
    void setBatteries(MissionBatteries *batteries);
    int markCount() const { return m_batteries ? int(m_batteries->starts().size()) : 0; }

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void mapChanged();
    void batteriesChanged();
    void marksChanged();

private:
    void refresh();
    QPointer<TileMapItem> m_map;
    QPointer<MissionBatteries> m_batteries;
};
