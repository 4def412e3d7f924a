#pragma once

#include "TileMapItem.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickPaintedItem>

// A few marks painted over the map (legs, labels), redrawn as the map moves, and shown only while
// there is something to draw: what they draw and when they have it is the subclass's.
class PaintedMapMarks : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(TileMapItem *map READ map WRITE setMap NOTIFY mapChanged)
public:
    explicit PaintedMapMarks(QQuickItem *parent = nullptr);

    TileMapItem *map() const { return m_map; }
    void setMap(TileMapItem *map);

Q_SIGNALS:
    void mapChanged();

protected:
    virtual bool hasMarks() const = 0;
    // Shows or hides the overlay for what it has now, and repaints it.
    void refresh();
    // A place on the map, in this item's coordinates.
    QPointF pointOf(double latitude, double longitude) const;

private:
    QPointer<TileMapItem> m_map;
};
