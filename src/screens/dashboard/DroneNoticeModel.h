#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>

class DJIDroneManager;

// The dashboard's transient banner: a command the aircraft refused ("Land: Aircraft is not
// flying", "ActiveTrack needs the aircraft in the air"), an alert it raised ("Battery low:
// returning home"), a connection that found no aircraft, or why a quick action cannot act now.
// The latest wins; each shows for a few seconds, or until dismissed.
class DroneNoticeModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    Q_PROPERTY(QString text READ text NOTIFY changed)
    Q_PROPERTY(bool isError READ isError NOTIFY changed)
    Q_PROPERTY(bool shown READ shown NOTIFY changed)
public:
    static constexpr int kShowMs = 4000;

    explicit DroneNoticeModel(QObject *parent = nullptr);
    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);
    QString text() const { return m_text; }
    bool isError() const { return m_isError; }
    bool shown() const { return !m_text.isEmpty(); }

    Q_INVOKABLE void dismiss();
    void show(const QString &text, bool isError);

Q_SIGNALS:
    void droneChanged();
    void changed();

private:
    QPointer<DJIDroneManager> m_drone;
    QString m_text;
    bool m_isError = false;
    QTimer m_hide;
};
