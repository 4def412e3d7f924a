#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>
#include <QVariant>

// What every intelligent-flight-mode sheet shares: the mode's enabled flag, which belongs to
// the presenter (a named property of `presenter`, read and written in place so the presenter
// sees every change at once), the start/stop button's texts, and the ways the sheet closes.
// Without a presenter the flag lives here, so a sheet can be shown on its own.
class FeatureSheetModel : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QObject *presenter READ presenter WRITE setPresenter NOTIFY presenterChanged)
    Q_PROPERTY(QString enabledField READ enabledField WRITE setEnabledField NOTIFY presenterChanged)
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool isDestructive READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(QString actionTitle READ actionTitle NOTIFY isEnabledChanged)

public:
    QObject *presenter() const { return m_presenter; }
    void setPresenter(QObject *presenter);
    QString enabledField() const { return m_enabledField; }
    void setEnabledField(const QString &field);

    bool isEnabled() const;
    void setIsEnabled(bool v);
    QString actionTitle() const { return isEnabled() ? m_stopTitle : m_startTitle; }

    // The start/stop button: flip the flag, then close.
    Q_INVOKABLE void startStop();
    // "Done": close, nothing else.
    Q_INVOKABLE void done();

    // How long a setting must rest before a running mode is sent it (a slider drag sends once).
    static constexpr int kResendMs = 300;

Q_SIGNALS:
    void presenterChanged();
    void isEnabledChanged();
    void dismissRequested();

protected:
    FeatureSheetModel(QString startTitle, QString stopTitle, QObject *parent);

    // Another field of the presenter, read and written in place; `changed` is one of this
    // object's signals, re-emitted whenever the presenter notifies that field.
    struct PresenterField {
        QString name;
        QMetaObject::Connection connection;
    };
    void watch(PresenterField &field, const char *changedSignal);
    QVariant read(const PresenterField &field) const;
    bool write(const PresenterField &field, const QVariant &value);
    virtual void presenterRewired() {}
    // The sheet's own settings that go to the aircraft with its mode (see setIsEnabled).
    virtual QVariantMap modeSettings() const { return {}; }

    // A slider's field: kept inside its range; a non-number changes nothing.
    static void assignClamped(double &field, double value, double from, double to);
    // A slider's closed range as QML reads it: {from, to}.
    static QVariantMap range(double from, double to);

private Q_SLOTS:
    void settingTouched();

private:
    void watchOwnSettings();
    void resend();

    QPointer<QObject> m_presenter;
    QTimer m_resend;
    QVariantMap m_sent; // what the running mode was last given
    bool m_watchingSettings = false;
    QString m_enabledField;
    PresenterField m_enabled;
    bool m_localEnabled = false;
    QString m_startTitle;
    QString m_stopTitle;
};
