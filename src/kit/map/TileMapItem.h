#pragma once

#include "CoordinateListModel.h"
#include "MapCamera.h"
#include "MapGestureRecognizer.h"
#include "MapOverlay.h"
#include "MapRegion.h"
#include "MarkerIndex.h"
#include "TileLoader.h"
#include "TrackLine.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickItem>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <limits>
#include <memory>

// A slippy map drawn with scene-graph nodes: one texture node per web-Mercator tile (imagery
// plus a labels overlay), a dark graticule underneath so the map is usable with no tiles at
// all, and the markers and the dashed path of a coordinate list as vertex buffers that a pan
// only moves. The camera is a region (centre and spans in degrees) plus a bearing.
// Gestures are in MapGestures.cpp, the nodes in OverlayNodes and TileNodes.
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
    Q_PROPERTY(QString imageryUrlTemplate READ imageryUrlTemplate WRITE setImageryUrlTemplate NOTIFY sourceChanged)
    Q_PROPERTY(QString labelsUrlTemplate READ labelsUrlTemplate WRITE setLabelsUrlTemplate NOTIFY sourceChanged)
    Q_PROPERTY(QString attribution READ attribution WRITE setAttribution NOTIFY sourceChanged)
    Q_PROPERTY(QString cacheDirectory READ cacheDirectory WRITE setCacheDirectory NOTIFY sourceChanged)
    // Tiles kept on the device, drawn before any from the network.
    Q_PROPERTY(OfflineTileSource *offlineTiles READ offlineTiles WRITE setOfflineTiles NOTIFY sourceChanged)
    Q_PROPERTY(int maxConcurrentRequests READ maxConcurrentRequests WRITE setMaxConcurrentRequests NOTIFY sourceChanged)
    // The aircraft (heading-rotated), its home point and its flown track, over the waypoints.
    Q_PROPERTY(TrackLine *track READ track WRITE setTrack NOTIFY trackChanged)
    Q_PROPERTY(bool showsAircraft READ showsAircraft WRITE setShowsAircraft NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftLatitude READ aircraftLatitude WRITE setAircraftLatitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftLongitude READ aircraftLongitude WRITE setAircraftLongitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double aircraftHeading READ aircraftHeading WRITE setAircraftHeading NOTIFY vehiclesChanged)
    Q_PROPERTY(bool showsHome READ showsHome WRITE setShowsHome NOTIFY vehiclesChanged)
    Q_PROPERTY(double homeLatitude READ homeLatitude WRITE setHomeLatitude NOTIFY vehiclesChanged)
    Q_PROPERTY(double homeLongitude READ homeLongitude WRITE setHomeLongitude NOTIFY vehiclesChanged)
    Q_PROPERTY(int loadedTileCount READ loadedTileCount NOTIFY tilesChanged)
    Q_PROPERTY(int visibleTileCount READ visibleTileCount NOTIFY tilesChanged)
    // Markers on screen, for assistive technology: kept up to date only while it is active (or
    // when asked), so the list costs nothing otherwise.
    Q_PROPERTY(bool exposesMarkers READ exposesMarkers WRITE setExposesMarkers NOTIFY accessibleMarkersChanged)
    Q_PROPERTY(QList<int> accessibleMarkers READ accessibleMarkers NOTIFY accessibleMarkersChanged)
public:
    explicit TileMapItem(QQuickItem *parent = nullptr);
    ~TileMapItem() override;

    // The sources built in, and the ones a new map starts with: the environment's
    // ZELTRIN_TILE_IMAGERY_URL and ZELTRIN_TILE_LABELS_URL when set (empty for none). The
    // built-in imagery's attribution goes with it: imagery from the environment takes
    // ZELTRIN_TILE_ATTRIBUTION, or none.
    static QString builtInImageryUrlTemplate();
    static QString builtInLabelsUrlTemplate();
    static QString builtInAttribution();
    static QString defaultImageryUrlTemplate();
    static QString defaultLabelsUrlTemplate();
    static QString defaultAttribution();

    MapRegion region() const { return m_region; }
    void setRegion(const MapRegion &r);
    double bearing() const { return m_cam.bearing; }
    void setBearing(double degrees);
    double zoomLevel() const;
    int tileZoom() const { return m_cam.tileZoom(); }
    double meanTileBytes() const;
    CoordinateListModel *markers() const { return m_markers; }
    void setMarkers(CoordinateListModel *m);
    QString imageryUrlTemplate() const { return m_templates[0]; }
    void setImageryUrlTemplate(const QString &t);
    QString labelsUrlTemplate() const { return m_templates[1]; }
    void setLabelsUrlTemplate(const QString &t);
    QString attribution() const { return m_attribution; }
    void setAttribution(const QString &a);
    QString cacheDirectory() const { return m_cacheDir; }
    void setCacheDirectory(const QString &dir);
    OfflineTileSource *offlineTiles() const { return m_loader.offlineSource(); }
    void setOfflineTiles(OfflineTileSource *source);
    int maxConcurrentRequests() const { return m_loader.maxConcurrent(); }
    void setMaxConcurrentRequests(int n);
    TrackLine *track() const { return m_track; }
    void setTrack(TrackLine *t);
    bool showsAircraft() const { return m_vehicles.showsAircraft; }
    void setShowsAircraft(bool on) { setVehicleValue(m_vehicles.showsAircraft, on); }
    double aircraftLatitude() const { return m_vehicles.aircraft.latitude; }
    void setAircraftLatitude(double v) { setVehicleValue(m_vehicles.aircraft.latitude, v); }
    double aircraftLongitude() const { return m_vehicles.aircraft.longitude; }
    void setAircraftLongitude(double v) { setVehicleValue(m_vehicles.aircraft.longitude, v); }
    double aircraftHeading() const { return m_vehicles.heading; }
    void setAircraftHeading(double v) { setVehicleValue(m_vehicles.heading, v); }
    bool showsHome() const { return m_vehicles.showsHome; }
    void setShowsHome(bool on) { setVehicleValue(m_vehicles.showsHome, on); }
    double homeLatitude() const { return m_vehicles.home.latitude; }
    void setHomeLatitude(double v) { setVehicleValue(m_vehicles.home.latitude, v); }
    double homeLongitude() const { return m_vehicles.home.longitude; }
    void setHomeLongitude(double v) { setVehicleValue(m_vehicles.home.longitude, v); }
    // Runs of the track the last frame rebuilt (for tests and benchmarks: a new point stays local).
    int lastRebuiltTrackRuns() const { return int(m_overlay->rebuiltTrack.size()); }
    int loadedTileCount() const { return m_loader.loadedCount(); }
    int visibleTileCount() const { return m_visibleTiles; }
    const TileLoader &loader() const { return m_loader; }
    // Runs of markers the last frame rebuilt (for tests and benchmarks: an edit must stay local).
    int lastRebuiltRuns() const { return int(m_overlay->rebuilt.size()); }
    bool exposesMarkers() const { return m_exposeMarkers; }
    void setExposesMarkers(bool on);
    QList<int> accessibleMarkers() const { return m_accessibleMarkers; }

    // Screen position (item coordinates) of a coordinate under the current camera.
    Q_INVOKABLE QPointF coordinateToPoint(double latitude, double longitude) const;
    // The area (degrees: south, west, north, east) under a rectangle of the item, north up
    // whatever the bearing.
    Q_INVOKABLE QVariantMap boundsOf(QRectF area) const;
    // The topmost marker under a point, or -1.
    Q_INVOKABLE int markerAt(QPointF point) const;
    // Accessible name of a marker ("WP1" for the first).
    Q_INVOKABLE QString markerTitle(int index) const;
    // Camera moves as a gesture would make them (also used by tests and benchmarks).
    Q_INVOKABLE void panBy(double dx, double dy);
    Q_INVOKABLE void zoomBy(double factor, QPointF anchor);
    Q_INVOKABLE void rotateBy(double degrees);
    // Shows the bounds (degrees) as large as fits in `area` (item coordinates; the whole item
    // when empty), north up. Announced as a move, so a two-way bound region follows.
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
    void vehiclesChanged();
    void sourceChanged();
    void tilesChanged();
    void accessibleMarkersChanged();
    // A single tap outside the markers, delivered at once, with where it landed.
    void mapTapped(double latitude, double longitude);
    // The second tap of a double tap (the first came as a tap); the map zooms in about it.
    void mapDoubleTapped(double latitude, double longitude);
    // A press held still outside the markers.
    void mapLongPressed(double latitude, double longitude);
    void markerTapped(int index);

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
    static constexpr qint64 kSelectionMs = 300; // stand-in for a spring of response 0.3 s, damping 0.825
    static constexpr qsizetype kNothingChanged = std::numeric_limits<qsizetype>::max();
    // What the overlay was built from; shared with the software painter.
    struct OverlayState {
        OverlayFrame frame;
        // Built runs are never changed in place: the software painter may still hold the old ones.
        std::vector<std::shared_ptr<const OverlayChunk>> chunks;
        std::vector<bool> dirty;
        std::vector<qsizetype> rebuilt; // runs built in the last sync
        std::shared_ptr<const std::vector<QLineF>> graticule;
        bool frameChanged = true;
        // The flown track in runs of kTrackRun legs (each run also holds the next run's first point).
        std::vector<std::shared_ptr<const std::vector<QPointF>>> track;
        std::vector<qsizetype> rebuiltTrack;
        VehicleDraw vehicles;
    };
    struct Vehicles {
        bool showsAircraft = false, showsHome = false;
        zeltrin::Coordinate aircraft, home;
        double heading = 0;
    };
    template<typename T>
    void setVehicleValue(T &field, T value)
    {
        if (field == value)
            return;
        field = value;
        vehiclesMoved();
    }
    // Asks for a frame only when what is drawn of the vehicles changes.
    void vehiclesMoved();
    void syncTrack();
    VehicleDraw vehicleDraw() const;
    void applyRegion();
    void cameraMoved(bool byGesture);
    void updateRegionFromCamera();
    void requestTiles();
    void stepInertia();
    MapGestureRecognizer::Reports gestureReports();
    void keepGrabs();
    zeltrin::Coordinate coordinateAt(QPointF point) const;
    void updateAccessibleMarkers();
    double selectionAmount(qsizetype index) const;
    void markChunkDirty(std::optional<qsizetype> position);
    void syncOverlay();

    MapRegion m_region;
    MapCamera m_cam;
    bool m_cameraValid = false;
    QPointer<CoordinateListModel> m_markers;
    QString m_templates[2];
    QString m_attribution;
    QString m_cacheDir;
    TileLoader m_loader;
    int m_visibleTiles = 0;
    bool m_exposeMarkers = false;
    // The markers' world positions and the overlay built from them; an edit re-reads the list
    // from its first changed position and rebuilds only the runs it touched.
    MarkerIndex m_index;
    qsizetype m_firstChanged = 0;
    std::shared_ptr<OverlayState> m_overlay;
    std::optional<qsizetype> m_shownSelection, m_previousSelection;
    QElapsedTimer m_selectionClock;
    QList<int> m_accessibleMarkers;
    QPointer<TrackLine> m_track;
    qsizetype m_trackFirstChanged = 0;
    Vehicles m_vehicles;
    VehicleDraw m_askedVehicles; // what the last frame drew, or what a move since has asked a frame for

    MapGestureRecognizer m_gestures{gestureReports()};
    QPointF m_velocity; // of a fling, px per ms
    QTimer m_inertia;
};
