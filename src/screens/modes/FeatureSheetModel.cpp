#include "FeatureSheetModel.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>

FeatureSheetModel::FeatureSheetModel(DJIIntelligentMode mode, QString startTitle, QString stopTitle, QObject *parent)
    : QObject(parent), m_mode(mode), m_startTitle(std::move(startTitle)), m_stopTitle(std::move(stopTitle))
{
    m_resend.setSingleShot(true);
    m_resend.setInterval(kResendMs);
    connect(&m_resend, &QTimer::timeout, this, &FeatureSheetModel::resend);
}

bool FeatureSheetModel::attach(FlightModeLink *link)
{
    if (link && link->mode() != m_mode) {
        qWarning("A %s sheet cannot edit the %s mode", qPrintable(DJIDroneManager::commandName(m_mode)),
                 qPrintable(DJIDroneManager::commandName(link->mode())));
        return false;
    }
    QObject::disconnect(m_linkConnection);
    QObject::disconnect(m_refusalConnection);
    m_link = link;
    m_sent.reset();
    m_resend.stop();
    if (link) {
        m_linkConnection = connect(link, &FlightModeLink::isEnabledChanged, this, &FeatureSheetModel::isEnabledChanged);
        m_refusalConnection = connect(link, &FlightModeLink::refusalChanged, this, &FeatureSheetModel::refusalChanged);
    }
    Q_EMIT linkChanged();
    Q_EMIT isEnabledChanged();
    Q_EMIT refusalChanged();
    return true;
}

void FeatureSheetModel::settingTouched()
{
    if (m_link && m_link->isEnabled())
        m_resend.start();
}

void FeatureSheetModel::resend()
{
    if (!m_link || !m_link->isEnabled())
        return;
    const DJIModeSettings now = modeSettings();
    if (m_sent && *m_sent == now)
        return;
    m_sent = now;
    m_link->updateSettings(now);
}

bool FeatureSheetModel::isEnabled() const
{
    return m_link ? m_link->isEnabled() : m_localEnabled;
}

void FeatureSheetModel::setIsEnabled(bool v)
{
    if (!m_link) {
        m_localEnabled = v;
        Q_EMIT isEnabledChanged();
        return;
    }
    // The link starts the mode when its flag turns on, so it is handed the settings first.
    if (v) {
        m_sent = modeSettings();
        m_resend.stop();
        m_link->setSettings(*m_sent);
    }
    m_link->setEnabled(v); // its notification reaches isEnabledChanged
}

void FeatureSheetModel::startStop()
{
    setIsEnabled(!isEnabled());
    Q_EMIT dismissRequested();
}

void FeatureSheetModel::done() { Q_EMIT dismissRequested(); }

void FeatureSheetModel::assignClamped(double &field, double value, double from, double to)
{
    if (!std::isnan(value))
        field = std::clamp(value, from, to);
}

QVariantMap FeatureSheetModel::range(double from, double to)
{
    return {{QStringLiteral("from"), from}, {QStringLiteral("to"), to}};
}
