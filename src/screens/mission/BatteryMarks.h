#pragma once

#include "MissionBatteries.h"
#include "PaintedMapMarks.h"

#include <QPointer>

// Over the map, with Multi-Battery on: "Battery 2 starts here" where each part after the first
// starts its work. Painted, and only while there are such marks: a few labels, redrawn as the
// map moves.
class BatteryMarks : public PaintedMapMarks
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(MissionBatteries *batteries READ batteries WRITE setBatteries NOTIFY batteriesChanged)
    // Marks drawn (0 when none): for tests and for assistive text.
    Q_PROPERTY(int markCount READ markCount NOTIFY marksChanged)
public:
    explicit BatteryMarks(QQuickItem *parent = nullptr);

    MissionBatteries *batteries() const { return m_batteries; }
    void setBatteries(MissionBatteries *batteries);
    int markCount() const { return m_batteries ? int(m_batteries->starts().size()) : 0; }

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void batteriesChanged();
    void marksChanged();

private:
    bool hasMarks() const override { return markCount() > 0; }
    QPointer<MissionBatteries> m_batteries;
};
