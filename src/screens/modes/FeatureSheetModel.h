#pragma once

#include "DJIIntelligentModes.h"
#include "FlightModeLink.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>

#include <optional>

// What every intelligent-flight-mode sheet shares: the mode's enabled flag, which belongs to
// the presenter's link for that mode (edited in place, so the presenter sees every change at
// once), the start/stop button's texts, and the ways the sheet closes. Without a link the flag
// lives here, so a sheet can be shown on its own.
class FeatureSheetModel : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool isDestructive READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(QString actionTitle READ actionTitle NOTIFY isEnabledChanged)
    // Why the aircraft refused the last start, in the pilot's words; empty when it did not.
    Q_PROPERTY(QString refusal READ refusal NOTIFY refusalChanged)

public:
    DJIIntelligentMode mode() const { return m_mode; }
    FlightModeLink *modeLink() const { return m_link; }

    bool isEnabled() const;
    void setIsEnabled(bool v);
    QString actionTitle() const { return isEnabled() ? m_stopTitle : m_startTitle; }
    QString refusal() const { return m_link ? m_link->refusal() : QString(); }

    // The sheet's own settings, as the aircraft is handed them.
    virtual DJIModeSettings modeSettings() const = 0;

    // The start/stop button: flip the flag, then close.
    Q_INVOKABLE void startStop();
    // "Done": close, nothing else.
    Q_INVOKABLE void done();

    // How long a setting must rest before a running mode is sent it (a slider drag sends once).
    static constexpr int kResendMs = 300;

Q_SIGNALS:
    void linkChanged();
    void isEnabledChanged();
    void refusalChanged();
    void dismissRequested();

protected:
    FeatureSheetModel(DJIIntelligentMode mode, QString startTitle, QString stopTitle, QObject *parent);

    // Wires the sheet to its presenter's link (or to none); a link of another mode is refused.
    bool attach(FlightModeLink *link);
    // Every setter of the sheet's own settings calls this: a running mode is sent them once
    // they rest.
    void settingTouched();

    // A slider's field: kept inside its range; a non-number changes nothing.
    static void assignClamped(double &field, double value, double from, double to);
    // A slider's closed range as QML reads it: {from, to}.
    static QVariantMap range(double from, double to);

private:
    void resend();

    const DJIIntelligentMode m_mode;
    QPointer<FlightModeLink> m_link;
    QMetaObject::Connection m_linkConnection, m_refusalConnection;
    QTimer m_resend;
    std::optional<DJIModeSettings> m_sent; // what the running mode was last given
    bool m_localEnabled = false;
    QString m_startTitle;
    QString m_stopTitle;
};

// The sheets whose presenter owns only the flag (orbit, return-to-home, ActiveTrack).
class FlagSheetModel : public FeatureSheetModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(FlightModeLink *link READ modeLink WRITE setLink NOTIFY linkChanged)

public:
    void setLink(FlightModeLink *link) { attach(link); }

protected:
    using FeatureSheetModel::FeatureSheetModel;
};
