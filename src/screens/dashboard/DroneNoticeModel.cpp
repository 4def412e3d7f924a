#include "DroneNoticeModel.h"

#include "DJIDroneManager.h"
#include "FlightModeLink.h"

namespace {
// A refused command as the pilot reads it: a flight mode's refusal in its own words, any other
// under the command's name ("Land: Aircraft is not flying").
QString refusalText(const QString &command, const QString &reason)
{
    for (int m = 0; m < int(std::variant_size_v<DJIModeSettings>); ++m)
        if (command == DJIDroneManager::commandName(DJIIntelligentMode(m)))
            return FlightModeLink::refusalText(DJIIntelligentMode(m), reason);
    return command + QStringLiteral(": ") + reason;
}
} // namespace

DroneNoticeModel::DroneNoticeModel(QObject *parent) : QObject(parent)
{
    m_hide.setSingleShot(true);
    m_hide.setInterval(kShowMs);
    connect(&m_hide, &QTimer::timeout, this, &DroneNoticeModel::dismiss);
}

void DroneNoticeModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone == drone)
        return;
    if (m_drone)
        disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (drone) {
        connect(drone, &DJIDroneManager::commandFailed, this,
                [this](const QString &command, const QString &reason) { show(refusalText(command, reason), true); });
        connect(drone, &DJIDroneManager::alertRaised, this, [this](const QString &message) { show(message, false); });
        connect(drone, &DJIDroneManager::connectionTimedOut, this,
                [this](const QString &reason) { show(reason, true); });
    }
    Q_EMIT droneChanged();
}

void DroneNoticeModel::show(const QString &text, bool isError)
{
    m_text = text;
    m_isError = isError;
    m_hide.start();
    Q_EMIT changed();
}

void DroneNoticeModel::dismiss()
{
    m_hide.stop();
    if (m_text.isEmpty())
        return;
    m_text.clear();
    Q_EMIT changed();
}
