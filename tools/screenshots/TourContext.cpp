#include "TourContext.h"

#include "DJIDroneManager.h"
#include "Keyboard.h"
#include "PlanFormats.h"
#include "SurveyMission.h"
#include "SurveyPlan.h"
#include "TileServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>

#include <cmath>
#include <numbers>

#include "DevAccountService.h"

void TourContext::setBattery(qint64 percentage, double voltage, double temperature, qint64 chargeCount,
                             qint64 estimatedFlightTime)
{
    m_app->droneManager()->setBattery({percentage, voltage, temperature, chargeCount, estimatedFlightTime});
}

void TourContext::setFlightData(const QVariantMap &v)
{
    FlightData d = m_app->droneManager()->flightData();
    d.altitude = v.value(QStringLiteral("altitude"), d.altitude).toDouble();
    d.groundSpeed = v.value(QStringLiteral("groundSpeed"), d.groundSpeed).toDouble();
    d.verticalSpeed = v.value(QStringLiteral("verticalSpeed"), d.verticalSpeed).toDouble();
    d.heading = v.value(QStringLiteral("heading"), d.heading).toDouble();
    d.latitude = v.value(QStringLiteral("latitude"), d.latitude).toDouble();
    d.longitude = v.value(QStringLiteral("longitude"), d.longitude).toDouble();
    d.distanceFromHome = v.value(QStringLiteral("distanceFromHome"), d.distanceFromHome).toDouble();
    d.flightTime = v.value(QStringLiteral("flightTime"), d.flightTime).toDouble();
    d.motorsOn = v.value(QStringLiteral("motorsOn"), d.motorsOn).toBool();
    m_app->droneManager()->setFlightData(d);
}

void TourContext::setSignal(qint64 strength, int gpsLevel)
{
    m_app->droneManager()->setSignalStrength(strength);
    if (auto level = DJIDroneManager::gpsLevelFromRaw(gpsLevel))
        m_app->droneManager()->setGpsSignal(*level);
}

void TourContext::setFlying(bool flying) { m_app->droneManager()->setIsFlying(flying); }

void TourContext::signInDemo()
{
    m_app->authManager()->login(QString::fromLatin1(DevAccountService::kDemoEmail),
                                QString::fromLatin1(DevAccountService::kDemoPassword));
}

TourContext::~TourContext()
{
    Keyboard::instance()->simulate(std::nullopt); // the next scene starts without one
}

void TourContext::showKeyboard(qreal height, qreal windowWidth, qreal windowHeight)
{
    if (height > 0)
        Keyboard::instance()->simulate(QRectF(0, windowHeight - height, windowWidth, height));
    else
        Keyboard::instance()->simulate(std::nullopt);
}

bool TourContext::simConnect()
{
    if (!m_sim)
        return false;
    m_app->droneManager()->startConnection();
    QElapsedTimer t;
    t.start();
    while (m_app->droneManager()->connectionState() != DJIDroneManager::ConnectionState::connected && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return m_app->droneManager()->connectionState() == DJIDroneManager::ConnectionState::connected;
}

void TourContext::simFly(double seconds)
{
    if (!m_clock || !(seconds > 0) || seconds > 7200)
        return;
    const int ticks = int(seconds * 1000.0 / SimClock::kTickMs);
    for (int i = 0; i < ticks; ++i) {
        QCoreApplication::processEvents(); // queued command completions
        m_clock->advance(SimClock::kTickMs);
    }
    QCoreApplication::processEvents();
}

void TourContext::simMission(const QVariantList &points, double height, double speed)
{
    DJIWaypointMission mission;
    for (const QVariant &p : points) {
        const QVariantMap m = p.toMap();
        DJIWaypoint w;
        w.latitude = m.value(QStringLiteral("latitude")).toDouble();
        w.longitude = m.value(QStringLiteral("longitude")).toDouble();
        w.height = height;
        mission.waypoints.append(w);
    }
    mission.speed = speed;
    m_app->droneManager()->executeMission(mission);
}

void TourContext::simDropLink()
{
    if (m_sim)
        m_sim->dropLink();
}

bool TourContext::simSurveyFlight(int legs, double legMetres, double altitude)
{
    if (legs < 1 || !(legMetres > 0) || !(altitude > 0))
        return false;
    DJIWaypointMission route;
    route.speed = 10;
    for (int i = 0; i < legs; ++i) {
        const double east = (i % 2) * legMetres, north = (i / 2 + 1) * legMetres * 0.5;
        DJIWaypoint w = SimulatedDJISDK::toLatLon({east, north});
        w.height = altitude;
        route.waypoints.append(w);
    }
    return simFlyMission(route);
}

int TourContext::simMappingFlight(double widthMetres, double depthMetres, double altitude)
{
    if (!(widthMetres > 0) || !(depthMetres > 0) || !(altitude > 0))
        return 0;
    namespace survey = zeltrin::survey;
    survey::SurveySettings spec;
    spec.camera = *survey::builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    spec.height = altitude;
    for (const auto &[east, north] :
         {std::pair{-widthMetres / 2, 40.0}, std::pair{widthMetres / 2, 40.0},
          std::pair{widthMetres / 2, 40.0 + depthMetres}, std::pair{-widthMetres / 2, 40.0 + depthMetres}}) {
        const DJIWaypoint at = SimulatedDJISDK::toLatLon({east, north});
        spec.polygon.append({at.latitude, at.longitude});
    }
    survey::SurveyFlightSettings settings;
    settings.takeOff = zeltrin::Coordinate{SimulatedDJISDK::kParkedLatitude, SimulatedDJISDK::kParkedLongitude};
    const survey::SurveyFlight flight = survey::planSurvey(spec, settings);
    if (!flight.ok() || !simFlyMission(zeltrin::surveyAircraftMission(spec, flight, settings.speed)))
        return 0;
    return m_app->droneManager()->photoCount();
}

// Takes off, flies `mission`, then home and down, on the scene's clock.
bool TourContext::simFlyMission(const DJIWaypointMission &mission)
{
    DJIDroneManager *drone = m_app->droneManager();
    if (!m_sim || !m_clock || mission.waypoints.isEmpty())
        return false;
    if (drone->connectionState() != DJIDroneManager::ConnectionState::connected && !simConnect())
        return false;
    auto flyUntil = [&](auto done, double limit) {
        for (double t = 0; !done() && t < limit; t += SimClock::kTickMs / 1000.0) {
            QCoreApplication::processEvents();
            m_clock->advance(SimClock::kTickMs);
        }
        QCoreApplication::processEvents();
    };
    drone->takeOff();
    flyUntil([&] { return drone->isFlying(); }, 30);
    simFly(6);
    drone->executeMission(mission);
    // The last flight's mission still reads "finished" until this one is under way.
    flyUntil([&] { return drone->missionState() == QLatin1String("executing"); }, 60);
    flyUntil([&] { return drone->missionState() == QLatin1String("finished"); }, 3600);
    drone->returnToHome();
    flyUntil([&] { return !drone->isFlying(); }, 900);
    simFly(2);
    return true;
}

void TourContext::simBattery(double percent)
{
    if (m_sim && percent >= 0 && percent <= 100)
        m_sim->model().setBatteryCharge(percent);
}

void TourContext::simWind(double speed, double fromDegrees)
{
    if (!m_sim || !std::isfinite(speed) || !std::isfinite(fromDegrees))
        return;
    const double towards = (fromDegrees + 180.0) * std::numbers::pi / 180.0;
    m_sim->model().setWind({speed * std::sin(towards), speed * std::cos(towards)});
}

void TourContext::simSkip(double seconds)
{
    if (seconds > 0 && seconds < 1e8)
        m_skipMs += qint64(seconds * 1000.0);
}

qint64 TourContext::recorderNowMs() const
{
    // Flights of the tour take off on the morning of a fixed day, whatever day it runs.
    static const qint64 base = QDateTime(QDate(2026, 12, 2), QTime(9, 30)).toMSecsSinceEpoch();
    return base + m_skipMs + (m_clock ? m_clock->nowMs() : 0);
}

QString TourContext::sceneFolderUrl() const { return QUrl::fromLocalFile(m_files.path()).toString(); }

QString TourContext::writeSurveyPlan(const QString &name, int waypoints, int damagedAt)
{
    QByteArray bytes = zeltrin::planio::writeQgcPlan(surveyPlan(waypoints));
    if (damagedAt >= 0)
        bytes.truncate(damagedAt);
    const QString path = m_files.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return QUrl::fromLocalFile(path).toString();
}

QString TourContext::tileUrlTemplate() const
{
    return m_tiles ? m_tiles->urlTemplate(QStringLiteral("imagery")) : QString();
}

bool TourContext::downloadArea(double south, double west, double north, double east, int minZoom, int maxZoom,
                               int stopAfter)
{
    OfflineMaps *maps = m_app->offlineMaps();
    if (!maps || !m_tiles)
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!maps->ready() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // Only the download's own requests count: the map on screen asks the same server.
    m_tiles->holdAgent = QByteArrayLiteral("offline map area");
    m_tiles->holdAfter = stopAfter > 0 ? m_tiles->countedRequests() + stopAfter : -1;
    if (!maps->startDownload(south, west, north, east, minZoom, maxZoom, tileUrlTemplate()))
        return false;
    while (clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (stopAfter > 0 ? maps->downloadDone() >= stopAfter : !maps->downloadActive())
            break;
    }
    // The list and the map catch up with what the store now holds.
    maps->waitForStore();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return stopAfter > 0 ? maps->downloadActive() : maps->downloadMessage().endsWith(QLatin1String("ready for offline use."));
}

void TourContext::stopTileServer()
{
    if (m_tiles)
        m_tiles->stop();
}

bool TourContext::scrollIntoView(const QString &objectName)
{
    for (QWindow *w : QGuiApplication::topLevelWindows()) {
        auto *qw = qobject_cast<QQuickWindow *>(w);
        if (!qw)
            continue;
        // By the visual tree: pages made at run time have no QObject parent.
        QQuickItem *item = nullptr;
        QList<QQuickItem *> todo{qw->contentItem()};
        while (!todo.isEmpty() && !item) {
            QQuickItem *next = todo.takeLast();
            if (next->objectName() == objectName)
                item = next;
            todo.append(next->childItems());
        }
        if (!item)
            continue;
        for (QQuickItem *p = item->parentItem(); p; p = p->parentItem()) {
            if (!p->inherits("QQuickFlickable"))
                continue;
            auto *content = p->property("contentItem").value<QQuickItem *>();
            const double top = item->mapToItem(content, QPointF(0, 0)).y() - 40;
            const double most = std::max(0.0, p->property("contentHeight").toDouble() - p->height());
            p->setProperty("contentY", std::clamp(top, 0.0, most));
            return true;
        }
    }
    return false;
}
