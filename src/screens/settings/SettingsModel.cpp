#include "SettingsModel.h"

#include "NumberFormat.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

#include <cmath>

namespace {
const QString kMaxAltitudeKey = QStringLiteral("maxAltitudeLimit");
const QString kPreflightKey = QStringLiteral("enablePreflightChecklist");
const QString kMetricKey = QStringLiteral("useMetric");
const QString kFileStoreNoticeKey = QStringLiteral("fileStoreNoticeSeen");
} // namespace

SettingsModel::SettingsModel(QObject *parent) : SettingsModel(std::make_unique<QSettings>(), parent) {}

SettingsModel::SettingsModel(std::unique_ptr<QSettings> store, QObject *parent)
    : QObject(parent), m_store(std::move(store))
{
    load();
}

SettingsModel::~SettingsModel() = default;

void SettingsModel::load()
{
    // A value of the wrong type or out of range in the store falls back to something the
    // controls can show, rather than a broken slider.
    m_maxAltitudeLimit = storedMaxAltitude(*m_store);
    m_enablePreflight = storedPreflight(*m_store);
    m_useMetric = m_store->value(kMetricKey, true).toBool();
    m_fileStoreNoticeSeen = m_store->value(kFileStoreNoticeKey, false).toBool();
}

double SettingsModel::storedMaxAltitude(const QSettings &store)
{
    bool ok = false;
    const double stored = store.value(kMaxAltitudeKey, kAltitudeDefault).toDouble(&ok);
    return ok && std::isfinite(stored) ? std::clamp(stored, kAltitudeMin, kAltitudeMax) : kAltitudeDefault;
}

bool SettingsModel::storedPreflight(const QSettings &store)
{
    return store.value(kPreflightKey, true).toBool();
}

void SettingsModel::setDrone(DJIDroneManager *drone)
{
    m_drone = drone;
    Q_EMIT droneChanged();
}

double SettingsModel::snapAltitude(double metres)
{
    if (!std::isfinite(metres))
        return kAltitudeDefault;
    const double clamped = std::clamp(metres, kAltitudeMin, kAltitudeMax);
    return kAltitudeMin + std::round((clamped - kAltitudeMin) / kAltitudeStep) * kAltitudeStep;
}

void SettingsModel::setMaxAltitudeLimit(double metres)
{
    m_maxAltitudeLimit = snapAltitude(metres);
    m_store->setValue(kMaxAltitudeKey, m_maxAltitudeLimit);
    m_store->sync();
    Q_EMIT maxAltitudeLimitChanged();
    if (m_drone)
        m_drone->setAltitudeCeiling(m_maxAltitudeLimit);
}

QString SettingsModel::maxAltitudeText() const
{
    return zeltrin::format("%.0f m", m_maxAltitudeLimit);
}

void SettingsModel::setEnablePreflight(bool on)
{
    m_enablePreflight = on;
    m_store->setValue(kPreflightKey, on);
    m_store->sync();
    Q_EMIT enablePreflightChanged();
}

void SettingsModel::setUseMetric(bool on)
{
    m_useMetric = on;
    m_store->setValue(kMetricKey, on);
    m_store->sync();
    Q_EMIT useMetricChanged();
}

void SettingsModel::setShowLogoutConfirm(bool on)
{
    m_showLogoutConfirm = on;
    Q_EMIT showLogoutConfirmChanged();
}

bool SettingsModel::openPage(const QString &name, const QUrl &url)
{
    // False where no browser is installed, or the platform opens no pages at all.
    const bool opened = QDesktopServices::openUrl(url);
    m_unopenedPage = opened ? QString() : name;
    m_unopenedAddress = opened ? QString() : url.toString();
    Q_EMIT unopenedChanged();
    return opened;
}

QString SettingsModel::unopenedMessage() const
{
    if (m_unopenedAddress.isEmpty())
        return {};
    return QStringLiteral("No web browser could open this page. Its address is\n%1").arg(m_unopenedAddress);
}

void SettingsModel::copyUnopenedAddress() const
{
    if (QClipboard *clipboard = QGuiApplication::clipboard(); clipboard && !m_unopenedAddress.isEmpty())
        clipboard->setText(m_unopenedAddress);
}

void SettingsModel::forgetUnopened()
{
    m_unopenedPage.clear();
    m_unopenedAddress.clear();
    Q_EMIT unopenedChanged();
}

void SettingsModel::acknowledgeFileStoreNotice()
{
    m_fileStoreNoticeSeen = true;
    m_store->setValue(kFileStoreNoticeKey, true);
    m_store->sync();
    Q_EMIT fileStoreNoticeSeenChanged();
}
