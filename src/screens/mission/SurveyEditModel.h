#pragma once

#include "CameraProfileStore.h"
#include "FlightPlanModel.h"
#include "FootprintSet.h"
#include "SurveyFlight.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QStringList>

#include <memory>

// State and rules of the "Survey Area" tool: the area's corners, the camera and the grid
// settings, and the survey planned from them on every change. A planned survey becomes the
// plan's waypoints at once (so the panel, the list, the preview and the upload take it as any
// plan) and stays a survey: beginning the tool again on it edits the same area.
class SurveyEditModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(FlightPlanModel *plan READ plan WRITE setPlan NOTIFY planChanged)
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    Q_PROPERTY(int cornerCount READ cornerCount NOTIFY areaChanged)
    // Counts the area's edits, for views that place things on its corners.
    Q_PROPERTY(int areaRevision READ areaRevision NOTIFY areaChanged)
    // -1 when no corner is selected.
    Q_PROPERTY(int selectedCorner READ selectedCorner WRITE setSelectedCorner NOTIFY selectedCornerChanged)
    Q_PROPERTY(QStringList cameraNames READ cameraNames NOTIFY camerasChanged)
    Q_PROPERTY(int cameraIndex READ cameraIndex WRITE setCameraIndex NOTIFY specChanged)
    // Setting the height or the GSD makes it the given one; the other follows from the camera.
    Q_PROPERTY(bool gsdGiven READ gsdGiven NOTIFY specChanged)
    Q_PROPERTY(double height READ height WRITE setHeight NOTIFY specChanged)
    Q_PROPERTY(double groundSampleDistance READ groundSampleDistance WRITE setGroundSampleDistance NOTIFY specChanged)
    // The GSD at the lowest and the highest height the aircraft flies, with this camera.
    Q_PROPERTY(double minGroundSampleDistance READ minGroundSampleDistance NOTIFY specChanged)
    Q_PROPERTY(double maxGroundSampleDistance READ maxGroundSampleDistance NOTIFY specChanged)
    Q_PROPERTY(double frontOverlap READ frontOverlap WRITE setFrontOverlap NOTIFY specChanged)
    Q_PROPERTY(double sideOverlap READ sideOverlap WRITE setSideOverlap NOTIFY specChanged)
    Q_PROPERTY(double gridAngle READ gridAngle WRITE setGridAngle NOTIFY specChanged)
    Q_PROPERTY(bool crosshatch READ crosshatch WRITE setCrosshatch NOTIFY specChanged)
    Q_PROPERTY(double turnaround READ turnaround WRITE setTurnaround NOTIFY specChanged)
    Q_PROPERTY(FootprintSet *footprints READ footprints CONSTANT)
    // Why nothing is planned (empty when the survey is planned).
    Q_PROPERTY(QString problem READ problem NOTIFY flightChanged)
    Q_PROPERTY(bool planned READ planned NOTIFY flightChanged)
    Q_PROPERTY(int lineCount READ lineCount NOTIFY flightChanged)
    Q_PROPERTY(int photoCount READ photoCount NOTIFY flightChanged)
    Q_PROPERTY(QString triggerDistanceText READ triggerDistanceText NOTIFY flightChanged)
    Q_PROPERTY(QString lineSpacingText READ lineSpacingText NOTIFY flightChanged)
    Q_PROPERTY(QString distanceText READ distanceText NOTIFY flightChanged)
    Q_PROPERTY(QString flightTimeText READ flightTimeText NOTIFY flightChanged)
    Q_PROPERTY(QString batteriesText READ batteriesText NOTIFY flightChanged)
    Q_PROPERTY(QString gsdShareText READ gsdShareText NOTIFY flightChanged)
    Q_PROPERTY(QString areaText READ areaText NOTIFY flightChanged)

public:
    // A photo's GSD within this share of the target counts as on target.
    static constexpr double kGsdTolerance = 0.05;
    // Footprint colours by GSD against the target: on target, finer, coarser, far coarser (> 15 %).
    // Unknown: over ground the elevation data does not cover.
    enum GsdBand { OnTarget, Finer, Coarser, FarCoarser, Unknown, BandCount };
    static GsdBand bandOf(double gsd, double target);

    explicit SurveyEditModel(QObject *parent = nullptr);
    // With its own profile store (tests).
    SurveyEditModel(std::unique_ptr<zeltrin::survey::CameraProfileStore> store, QObject *parent = nullptr);
    ~SurveyEditModel() override;

    FlightPlanModel *plan() const { return m_plan; }
    void setPlan(FlightPlanModel *plan);
    bool active() const { return m_active; }
    int cornerCount() const { return int(m_spec.polygon.size()); }
    int areaRevision() const { return m_areaRevision; }
    int selectedCorner() const { return m_selected; }
    void setSelectedCorner(int corner);
    QStringList cameraNames() const;
    int cameraIndex() const { return m_cameraIndex; }
    void setCameraIndex(int index);
    bool gsdGiven() const { return m_spec.given == zeltrin::survey::SurveySettings::Given::GroundSampleDistance; }
    double height() const;
    void setHeight(double metres);
    double groundSampleDistance() const;
    void setGroundSampleDistance(double cmPerPx);
    double minGroundSampleDistance() const;
    double maxGroundSampleDistance() const;
    double frontOverlap() const { return m_spec.frontOverlap; }
    void setFrontOverlap(double percent);
    double sideOverlap() const { return m_spec.sideOverlap; }
    void setSideOverlap(double percent);
    double gridAngle() const { return m_spec.gridAngle; }
    void setGridAngle(double degrees);
    bool crosshatch() const { return m_spec.crosshatch; }
    void setCrosshatch(bool on);
    double turnaround() const { return m_spec.turnaround; }
    void setTurnaround(double metres);
    FootprintSet *footprints() { return &m_footprints; }

    const zeltrin::survey::SurveySettings &spec() const { return m_spec; }
    const zeltrin::survey::SurveyFlight &flight() const { return m_flight; }
    QString problem() const;
    bool planned() const { return m_flight.ok() && cornerCount() >= 3; }
    int lineCount() const { return planned() ? m_flight.figures.lineCount : 0; }
    int photoCount() const { return planned() ? m_flight.figures.photoCount : 0; }
    QString triggerDistanceText() const;
    QString lineSpacingText() const;
    QString distanceText() const;
    QString flightTimeText() const;
    QString batteriesText() const;
    QString gsdShareText() const;
    QString areaText() const;
    // Share (0 to 1) of the photos whose GSD, along both axes, lies within kGsdTolerance of the
    // target; none before anything is planned.
    std::optional<double> onTargetShare() const;

    // Opens the tool: on the plan's survey when it has one, else on an empty area.
    Q_INVOKABLE void begin();
    Q_INVOKABLE void finish();
    // A corner goes after the selected one (after the last when none is), and is selected: taps
    // in turn draw the outline in their order.
    Q_INVOKABLE void addCorner(double latitude, double longitude);
    Q_INVOKABLE void moveCorner(int corner, double latitude, double longitude);
    Q_INVOKABLE void removeCorner(int corner);
    Q_INVOKABLE void removeSelectedCorner() { removeCorner(m_selected); }
    // The map's taps while the tool is open: a tap adds a corner; the second tap of a double tap
    // (which zooms the map) takes back the corner the first one added, if it is still as it was.
    Q_INVOKABLE void mapTapped(double latitude, double longitude);
    Q_INVOKABLE void mapDoubleTapped();
    Q_INVOKABLE double cornerLatitude(int corner) const;
    Q_INVOKABLE double cornerLongitude(int corner) const;
    // Stores a custom camera and selects it. Empty on success, else why not.
    Q_INVOKABLE QString saveCustomCamera(const QString &name, double sensorWidth, double sensorHeight,
                                         double focalLength, int imageWidth, int imageHeight);
    // Read-outs of the settings.
    Q_INVOKABLE static QString numberText(double value, int decimals, const QString &unit);

Q_SIGNALS:
    void planChanged();
    void activeChanged();
    void areaChanged();
    void selectedCornerChanged();
    void camerasChanged();
    void specChanged();
    void flightChanged();

private:
    void loadCameras(const std::optional<zeltrin::survey::CameraProfile> &extra);
    void setSpec(const zeltrin::survey::SurveySettings &spec);
    // Plans the area again; the plan takes the result while the tool is open, or when asked.
    void replan(bool intoPlan = false);
    // With the tool closed, what the map draws follows the survey the plan holds (none once it
    // is gone); a new altitude from the panel's slider becomes the survey's height, planned again.
    void followPlan();
    void fillFootprints();
    // The photos laid on the ground, where the plan knows it.
    void drape();

    std::unique_ptr<zeltrin::survey::CameraProfileStore> m_store;
    QPointer<FlightPlanModel> m_plan;
    bool m_active = false;
    int m_selected = -1;
    int m_areaRevision = 0;
    bool m_replanning = false; // the plan takes the survey's waypoints, speed and height
    struct TapAdded {
        qsizetype corner;
        zeltrin::Coordinate at;
        qsizetype corners; // the area's size after it
    };
    std::optional<TapAdded> m_tapAdded;
    QList<zeltrin::survey::CameraProfile> m_cameras;
    int m_cameraIndex = 0;
    zeltrin::survey::SurveySettings m_spec;
    zeltrin::survey::SurveyFlight m_flight;
    FootprintSet m_footprints;
};
