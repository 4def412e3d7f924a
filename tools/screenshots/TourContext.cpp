#include "TourContext.h"

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
