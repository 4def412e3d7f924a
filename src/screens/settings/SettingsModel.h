#pragma once

#include "DJIDroneManager.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QSettings>
#include <QUrl>

#include <memory>

// The settings screen's state: three stored preferences (read with their defaults, written on
// every change) and the sign-out confirmation flag. "Max Altitude" is the aircraft's ceiling:
// each change goes to the drone link, which tells the aircraft.
class SettingsModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    Q_PROPERTY(double maxAltitudeLimit READ maxAltitudeLimit WRITE setMaxAltitudeLimit NOTIFY maxAltitudeLimitChanged)
    Q_PROPERTY(QString maxAltitudeText READ maxAltitudeText NOTIFY maxAltitudeLimitChanged)
    Q_PROPERTY(bool enablePreflight READ enablePreflight WRITE setEnablePreflight NOTIFY enablePreflightChanged)
    Q_PROPERTY(bool useMetric READ useMetric WRITE setUseMetric NOTIFY useMetricChanged)
    Q_PROPERTY(bool showLogoutConfirm READ showLogoutConfirm WRITE setShowLogoutConfirm NOTIFY showLogoutConfirmChanged)
    // The pilot has been told once that the session lies in the weaker file store.
    Q_PROPERTY(bool fileStoreNoticeSeen READ fileStoreNoticeSeen NOTIFY fileStoreNoticeSeenChanged)
    Q_PROPERTY(QString fileStoreNotice READ fileStoreNotice CONSTANT)
    Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
    Q_PROPERTY(QUrl privacyUrl READ privacyUrl CONSTANT)
    Q_PROPERTY(QUrl termsUrl READ termsUrl CONSTANT)
    // A page the system could not open (no browser): its name and address, for the pilot to
    // copy; empty when there is none.
    Q_PROPERTY(QString unopenedPage READ unopenedPage NOTIFY unopenedChanged)
    Q_PROPERTY(QString unopenedAddress READ unopenedAddress NOTIFY unopenedChanged)
    Q_PROPERTY(QString unopenedMessage READ unopenedMessage NOTIFY unopenedChanged)

public:
    static constexpr double kAltitudeMin = 30.0;
    static constexpr double kAltitudeMax = 400.0;
    static constexpr double kAltitudeStep = 10.0;
    static constexpr double kAltitudeDefault = 120.0;

    explicit SettingsModel(QObject *parent = nullptr);
    // Tests hand in their own store.
    explicit SettingsModel(std::unique_ptr<QSettings> store, QObject *parent = nullptr);
    ~SettingsModel() override;

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);

    // The two flight-safety preferences as a store holds them, with their defaults (for the
    // parts of the app that act on them).
    static double storedMaxAltitude(const QSettings &store);
    static bool storedPreflight(const QSettings &store);

    double maxAltitudeLimit() const { return m_maxAltitudeLimit; }
    void setMaxAltitudeLimit(double metres);
    QString maxAltitudeText() const;
    bool enablePreflight() const { return m_enablePreflight; }
    void setEnablePreflight(bool on);
    bool useMetric() const { return m_useMetric; }
    void setUseMetric(bool on);
    bool showLogoutConfirm() const { return m_showLogoutConfirm; }
    void setShowLogoutConfirm(bool on);

    bool fileStoreNoticeSeen() const { return m_fileStoreNoticeSeen; }
    Q_INVOKABLE void acknowledgeFileStoreNotice();
    static QString fileStoreNotice()
    {
        return QStringLiteral("No keyring answered, so your session is kept in an encrypted file in your home folder. "
                              "It is safer in a keyring: install one and sign in again.");
    }

    static QString appVersion() { return QStringLiteral("1.0.0 (1)"); }
    static QUrl privacyUrl() { return QUrl(QStringLiteral("https://morvane.com/privacy")); }
    static QUrl termsUrl() { return QUrl(QStringLiteral("https://morvane.com/terms")); }

    // The slider's value snapped to whole steps inside its range (non-finite gives the default).
    static double snapAltitude(double metres);

    // Opens the page in the system's browser; where none can, says so through `unopened…`.
    Q_INVOKABLE bool openPage(const QString &name, const QUrl &url);
    QString unopenedPage() const { return m_unopenedPage; }
    QString unopenedAddress() const { return m_unopenedAddress; }
    QString unopenedMessage() const;
    Q_INVOKABLE void copyUnopenedAddress() const;
    Q_INVOKABLE void forgetUnopened();

Q_SIGNALS:
    void droneChanged();
    void maxAltitudeLimitChanged();
    void enablePreflightChanged();
    void useMetricChanged();
    void showLogoutConfirmChanged();
    void fileStoreNoticeSeenChanged();
    void unopenedChanged();

private:
    void load();

    std::unique_ptr<QSettings> m_store;
    QPointer<DJIDroneManager> m_drone;
    double m_maxAltitudeLimit = kAltitudeDefault;
    bool m_enablePreflight = true;
    bool m_useMetric = true;
    bool m_showLogoutConfirm = false;
    bool m_fileStoreNoticeSeen = false;
    QString m_unopenedPage;
    QString m_unopenedAddress;
};
