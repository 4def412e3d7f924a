#pragma once

#include "CoordinateListModel.h"
#include "FootprintLayer.h"
#include "MapCamera.h"
#include "MapFraming.h"
#include "MapGestureRecognizer.h"
#include "MapOverlay.h"
#include "MapRegion.h"
#include "MarkerLayer.h"
#include "TileLayer.h"
#include "TileSources.h"
#include "TrackLayer.h"
#include "VehicleLayer.h"
#include "WebMercator.h"

#include <QQuickItem>
#include <QTimer>
#include <QVariantMap>

#include <functional>

// A slippy map drawn with scene-graph nodes, north up or turned to a bearing. The camera is a
// region (centre and spans in degrees) plus the bearing. The item owns the camera and the
// gesture recognizer, and composes its layers, bottom to top: the tiles (with the graticule
// under them), the waypoints' dashed path, the flown track, the numbered waypoints, and the
// aircraft with its home point. It reports taps and never edits what it shows.
class TileMapItem : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(MapRegion region READ region WRITE setRegion NOTIFY regionChanged)
    Q_PROPERTY(double bearing READ bearing WRITE setBearing NOTIFY bearingChanged)
    Q_PROPERTY(double zoomLevel READ zoomLevel NOTIFY regionChanged)
    // The zoom level of the imagery tiles drawn now.
    Q_PROPERTY(int tileZoom READ tileZoom NOTIFY regionChanged)
    // Mean size of the tile bodies fetched so far (0 before the first).
    Q_PROPERTY(double meanTileBytes READ meanTileBytes NOTIFY tilesChanged)
    Q_PROPERTY(CoordinateListModel *markers READ markers WRITE setMarkers NOTIFY markersChanged)
    // A press on a marker takes hold of it: the drag moves it (markerMove* signals), not the map.
    Q_PROPERTY(bool markersMovable MEMBER m_markersMovable NOTIFY markersMovableChanged)
    Q_PROPERTY(QString imageryUrlTemplate READ imageryUrlTemplate WRITE setImageryUrlTemplate NOTIFY sourceChanged)
    Q_PROPERTY(QString labelsUrlTemplate READ labelsUrlTemplate WRITE setLabelsUrlTemplate NOTIFY sourceChanged)
    Q_PROPERTY(QString attribution READ attribution WRITE setAttribution NOTIFY sourceChanged)
    Q_PROPERTY(QString cacheDirectory READ cacheDirectory WRITE setCacheDirectory NOTIFY sourceChanged)
    // Tiles kept on the device, drawn before any from the network.
    Q_PROPERTY(OfflineTileSource *offlineTiles READ offlineTiles WRITE setOfflineTiles NOTIFY sourceChanged)
    Q_PROPERTY(int maxConcurrentRequests READ maxConcurrentRequests WRITE setMaxConcurrentRequests NOTIFY sourceChanged)
    // The aircraft (heading-rotated), its home point and its flown track, over the waypoints.
    Q_PROPERTY(TrackLine *track READ track WRITE setTrack NOTIFY trackChanged)
    // An area and its footprints, drawn under the waypoints.
    Q_PROPERTY(FootprintSet *footprints READ footprints WRITE setFootprints NOTIFY footprintsChanged)
    Q_PROPERTY(bool showsAircraft READ showsAircraft WRITE setShowsAircraft NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftLatitude READ aircraftLatitude WRITE setAircraftLatitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftLongitude READ aircraftLongitude WRITE setAircraftLongitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftHeading READ aircraftHeading WRITE setAircraftHeading NOTIFY vehiclesChanged)
    Q_PROPERTY(bool showsHome READ showsHome WRITE setShowsHome NOTIFY vehiclesChanged)
    Q_PROPERTY(double homeLatitude READ homeLatitude WRITE setHomeLatitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double homeLongitude READ homeLongitude WRITE setHomeLongitude NOTIFY vehiclesChanged)
    // The part of the item that nothing covers (item pixels; empty: all of it). Fits go there,
    // and are made again when it changes until the pilot moves the map.
    Q_PROPERTY(QRectF viewArea READ viewArea WRITE setViewArea NOTIFY viewAreaChanged)
    // While set, the aircraft is kept in the view area: when it leaves, the map brings it back
    // to the middle. The pilot's own move stops that until the property is set again.
    Q_PROPERTY(bool followsAircraft READ followsAircraft WRITE setFollowsAircraft NOTIFY followsAircraftChanged)
    // Imagery is drawn in the view (the credit is due); none is, and the imagery source could
    // not be reached for it.
    Q_PROPERTY(bool imageryShown READ imageryShown NOTIFY imageryStateChanged)
    Q_PROPERTY(bool imageryUnreachable READ imageryUnreachable NOTIFY imageryStateChanged)
    Q_PROPERTY(int loadedTileCount READ loadedTileCount NOTIFY tilesChanged)
    Q_PROPERTY(int visibleTileCount READ visibleTileCount NOTIFY tilesChanged)
    // Markers on screen, for assistive technology: kept up to date only while it is active (or
    // when asked), so the list costs nothing otherwise.
    Q_PROPERTY(bool exposesMarkers READ exposesMarkers WRITE setExposesMarkers NOTIFY accessibleMarkersChanged)
    Q_PROPERTY(QList<int> accessibleMarkers READ accessibleMarkers NOTIFY accessibleMarkersChanged)
public:
    using Vehicle = VehicleLayer::State;

    explicit TileMapItem(QQuickItem *parent = nullptr);
    ~TileMapItem() override;

    static QString builtInImageryUrlTemplate() { return TileSources::builtInImageryUrlTemplate(); }
    static QString builtInLabelsUrlTemplate() { return TileSources::builtInLabelsUrlTemplate(); }
    static QString builtInAttribution() { return TileSources::builtInAttribution(); }
    static QString defaultImageryUrlTemplate() { return TileSources::defaultImageryUrlTemplate(); }
    static QString defaultLabelsUrlTemplate() { return TileSources::defaultLabelsUrlTemplate(); }
    static QString defaultAttribution() { return TileSources::defaultAttribution(); }

    MapRegion region() const { return m_region; }
    void setRegion(const MapRegion &r);
    double bearing() const { return m_cam.bearing; }
    void setBearing(double degrees);
    double zoomLevel() const { return m_cam.zoomLevel(); }
    int tileZoom() const { return m_cam.tileZoom(); }
    double meanTileBytes() const { return m_tiles.meanTileBytes(); }
    CoordinateListModel *markers() const { return m_markers.model(); }
    void setMarkers(CoordinateListModel *m);
    QString imageryUrlTemplate() const { return m_tiles.urlTemplate(0); }
    void setImageryUrlTemplate(const QString &t) { setUrlTemplate(0, t); }
    QString labelsUrlTemplate() const { return m_tiles.urlTemplate(1); }
    void setLabelsUrlTemplate(const QString &t) { setUrlTemplate(1, t); }
    QString attribution() const { return m_tiles.attribution(); }
    void setAttribution(const QString &a);
    QString cacheDirectory() const { return m_tiles.cacheDirectory(); }
    void setCacheDirectory(const QString &dir);
    OfflineTileSource *offlineTiles() const { return m_tiles.loader().offlineSource(); }
    void setOfflineTiles(OfflineTileSource *source);
    int maxConcurrentRequests() const { return m_tiles.loader().maxConcurrent(); }
    void setMaxConcurrentRequests(int n);
    FootprintSet *footprints() const { return m_footprints.set(); }
    void setFootprints(FootprintSet *f)
    {
        if (f == footprints())
            return;
        m_footprints.setSet(f);
        Q_EMIT footprintsChanged();
    }
    qsizetype builtFootprintEdges() const { return m_footprints.builtEdges(); }
    TrackLine *track() const { return m_track.line(); }
    void setTrack(TrackLine *t);
    bool showsAircraft() const { return m_vehicles.state().showsAircraft; }
    void setShowsAircraft(bool on) { setVehicle(&Vehicle::showsAircraft, on); }
    double aircraftLatitude() const { return m_vehicles.state().aircraftLatitude; }
    void setAircraftLatitude(double v) { setVehicle(&Vehicle::aircraftLatitude, v); }
    double aircraftLongitude() const { return m_vehicles.state().aircraftLongitude; }
    void setAircraftLongitude(double v) { setVehicle(&Vehicle::aircraftLongitude, v); }
    double aircraftHeading() const { return m_vehicles.state().aircraftHeading; }
    void setAircraftHeading(double v) { setVehicle(&Vehicle::aircraftHeading, v); }
    bool showsHome() const { return m_vehicles.state().showsHome; }
    void setShowsHome(bool on) { setVehicle(&Vehicle::showsHome, on); }
    double homeLatitude() const { return m_vehicles.state().homeLatitude; }
    void setHomeLatitude(double v) { setVehicle(&Vehicle::homeLatitude, v); }
    double homeLongitude() const { return m_vehicles.state().homeLongitude; }
    void setHomeLongitude(double v) { setVehicle(&Vehicle::homeLongitude, v); }
    QRectF viewArea() const { return m_framing.viewArea(); }
    void setViewArea(QRectF area);
    bool followsAircraft() const { return m_framing.follows(); }
    void setFollowsAircraft(bool on);
    bool imageryShown() const { return m_imageryShown; }
    bool imageryUnreachable() const { return m_imageryUnreachable; }
    int loadedTileCount() const { return m_tiles.loader().loadedCount(); }
    int visibleTileCount() const { return m_tiles.visibleCount(); }
    const TileLoader &loader() const { return m_tiles.loader(); }
    // Runs the last frame rebuilt (for tests and benchmarks: an edit or a new point stays local).
    int lastRebuiltRuns() const { return m_markers.lastRebuiltRuns(); }
    int lastRebuiltTrackRuns() const { return m_track.lastRebuiltRuns(); }
    bool exposesMarkers() const { return m_exposeMarkers; }
    void setExposesMarkers(bool on);
    QList<int> accessibleMarkers() const { return m_accessibleMarkers; }

    // Screen position (item coordinates) of a coordinate under the current camera.
    Q_INVOKABLE QPointF coordinateToPoint(double latitude, double longitude) const
    {
        return m_cam.worldToScreen(zeltrin::mercator::toWorld(latitude, longitude));
    }
    // The coordinate under a point of the item ({latitude, longitude}).
    Q_INVOKABLE QVariantMap coordinateAt(QPointF point) const
    {
        const zeltrin::Coordinate c = m_cam.coordinateAt(point);
        return {{QStringLiteral("latitude"), c.latitude}, {QStringLiteral("longitude"), c.longitude}};
    }
    // The area (degrees: south, west, north, east) under a rectangle of the item, north up
    // whatever the bearing.
    Q_INVOKABLE QVariantMap boundsOf(QRectF area) const;
    // The topmost marker under a point, or -1.
    Q_INVOKABLE int markerAt(QPointF point) const { return m_markers.markerAt(m_cam, point); }
    // Accessible name of a marker ("WP1" for the first).
    Q_INVOKABLE QString markerTitle(int index) const
    {
        return markerTitleFunction ? markerTitleFunction(index) : QString();
    }
    // Camera moves as a gesture would make them (also used by tests and benchmarks).
    Q_INVOKABLE void panBy(double dx, double dy);
    Q_INVOKABLE void zoomBy(double factor, QPointF anchor);
    Q_INVOKABLE void rotateBy(double degrees);
    // Shows the bounds (degrees) as large as fits in `area` (item coordinates; the view area
    // when empty, where it is fitted again as that changes), north up. Announced as a move, so a
    // two-way bound region follows.
    Q_INVOKABLE void fitBounds(double south, double west, double north, double east, QRectF area = {});

    // How marker titles are made; the default numbers from 1 with a "WP" prefix.
    std::function<QString(int)> markerTitleFunction;

Q_SIGNALS:
    void regionChanged();
    // Emitted only when a gesture moved the camera, so a two-way binding does not loop.
    void regionMoved();
    void bearingChanged();
    void markersChanged();
    void trackChanged();
    void footprintsChanged();
    void vehiclesChanged();
    void sourceChanged();
    void tilesChanged();
    void accessibleMarkersChanged();
    void viewAreaChanged();
    void followsAircraftChanged();
    void imageryStateChanged();
    // A single tap outside the markers, delivered at once, with where it landed.
    void mapTapped(double latitude, double longitude);
    // The second tap of a double tap (the first came as a tap); the map zooms in about it.
    void mapDoubleTapped(double latitude, double longitude);
    // A press held still outside the markers.
    void mapLongPressed(double latitude, double longitude);
    void markerTapped(int index);
    // A marker taken by a press and dragged: where its centre is now, then let go.
    void markerMoveStarted(int index);
    void markerMoved(int index, double latitude, double longitude);
    void markerMoveFinished(int index);
    void markersMovableChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void updatePolish() override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseUngrabEvent() override;
    void wheelEvent(QWheelEvent *e) override;
    void touchEvent(QTouchEvent *e) override;
    void touchUngrabEvent() override;

private:
    template<typename T>
    void setVehicle(T Vehicle::*field, T value)
    {
        if (m_vehicles.set(field, value))
            vehiclesMoved();
    }
    // Asks for a frame only when what is drawn of the vehicles changes.
    void vehiclesMoved();
    void setUrlTemplate(int layer, const QString &t);
    void fitInView(const MapCamera::Bounds &b, QRectF area);
    void refit();
    void follow();
    void updateImageryState();
    void applyRegion();
    void cameraMoved(bool byGesture);
    MapGestureRecognizer::Reports gestureReports();
    void keepGrabs();
    void stepInertia();
    void updateAccessibleMarkers();
    qreal devicePixelRatio() const;

    MapRegion m_region = {0, 0, 60, 60};
    MapCamera m_cam;
    bool m_cameraValid = false;
    // The frame the overlay was last built in (see OverlayFrame).
    OverlayFrame m_frame;
    TileLayer m_tiles;
    FootprintLayer m_footprints{this};
    MarkerLayer m_markers{this};
    TrackLayer m_track{this, [this] { return m_vehicles.state().showsAircraft; }};
    VehicleLayer m_vehicles;
    MapFraming m_framing;
    bool m_imageryShown = false;
    bool m_imageryUnreachable = false;
    bool m_imageryFailedUnanswered = false; // the last imagery fetch reached no server
    bool m_exposeMarkers = false;
    bool m_markersMovable = false;
    struct Carried {
        int index = -1;
        QPointF grab; // from the press to the marker's centre: the marker keeps it
        bool moved = false;
    };
    Carried m_carried;
    QList<int> m_accessibleMarkers;

    MapGestureRecognizer m_gestures{gestureReports()};
    QPointF m_velocity; // of a fling, px per ms
    QTimer m_inertia;
};
