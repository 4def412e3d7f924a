#pragma once

#include "MissionTerrain.h"
#include "PaintedMapMarks.h"

#include <QPointer>

// Over the map: the legs of the plan that cross ground the elevation data does not cover, in the
// warning colour, so the pilot sees where terrain following cannot work. Painted, and only while
// there are such legs: a handful of lines, redrawn as the map moves.
class UnknownGroundLegs : public PaintedMapMarks
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(MissionTerrain *terrain READ terrain WRITE setTerrain NOTIFY terrainChanged)
    // Legs drawn (0 when none): for tests and for assistive text.
    Q_PROPERTY(int legCount READ legCount NOTIFY legsChanged)
public:
    explicit UnknownGroundLegs(QQuickItem *parent = nullptr);

    MissionTerrain *terrain() const { return m_terrain; }
    void setTerrain(MissionTerrain *terrain);
    int legCount() const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void terrainChanged();
    void legsChanged();

private:
    bool hasMarks() const override { return legCount() > 0; }
    QPointer<MissionTerrain> m_terrain;
};
