#include "TourContext.h"

#include "DJIDroneManager.h"
#include "Keyboard.h"
#include "PlanFormats.h"
#include "SurveyPlan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

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

void TourContext::simDropLink()
{
    if (m_sim)
        m_sim->dropLink();
}

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
