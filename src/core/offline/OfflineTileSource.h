#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

// Tiles kept on the device (the offline map areas), which the tile loader asks before the
// network for imagery. A QObject, so a map can hold one as a typed property and notice it going.
class OfflineTileSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Calls `done` later on `context`'s thread with the tile's bytes, or empty when it is not
    // held; never once `context` is gone.
    virtual void findTile(int z, int x, int y, QObject *context, std::function<void(const QByteArray &)> done) = 0;

    // Calls `changed` on `context`'s thread whenever tiles come or go (an area downloaded, opened
    // or deleted), until `context` is gone or the connection is broken.
    QMetaObject::Connection watchTiles(QObject *context, std::function<void()> changed)
    {
        return connect(this, &OfflineTileSource::offlineTilesChanged, context, std::move(changed));
    }

Q_SIGNALS:
    void offlineTilesChanged();
};
