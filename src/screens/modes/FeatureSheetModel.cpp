#include "FeatureSheetModel.h"

#include <QMetaMethod>
#include <QMetaProperty>

#include <algorithm>
#include <cmath>

FeatureSheetModel::FeatureSheetModel(QString startTitle, QString stopTitle, QObject *parent)
    : QObject(parent), m_startTitle(std::move(startTitle)), m_stopTitle(std::move(stopTitle))
{
    m_resend.setSingleShot(true);
    m_resend.setInterval(kResendMs);
    connect(&m_resend, &QTimer::timeout, this, &FeatureSheetModel::resend);
}

// Every property a sheet adds is one of its settings, or shown from them: any change may be a
// new setting for a mode already running. The subclass's properties exist only once it is
// built, so this runs when the sheet is wired to its presenter.
void FeatureSheetModel::watchOwnSettings()
{
    if (m_watchingSettings)
        return;
    m_watchingSettings = true;
    const QMetaObject *mo = metaObject();
    const QMetaMethod slot = mo->method(mo->indexOfSlot("settingTouched()"));
    for (int i = staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (p.hasNotifySignal())
            connect(this, p.notifySignal(), this, slot, Qt::UniqueConnection);
    }
}

void FeatureSheetModel::settingTouched()
{
    if (isEnabled() && m_presenter && !m_enabled.name.isEmpty())
        m_resend.start();
}

void FeatureSheetModel::resend()
{
    if (!isEnabled() || !m_presenter || m_enabled.name.isEmpty())
        return;
    const QVariantMap now = modeSettings();
    if (now == m_sent)
        return;
    m_sent = now;
    QMetaObject::invokeMethod(m_presenter, "updateModeSettings", Q_ARG(QString, m_enabled.name), Q_ARG(QVariantMap, now));
}

void FeatureSheetModel::setPresenter(QObject *presenter)
{
    m_presenter = presenter;
    watchOwnSettings();
    watch(m_enabled, SIGNAL(isEnabledChanged()));
    presenterRewired();
    Q_EMIT presenterChanged();
    Q_EMIT isEnabledChanged();
}

void FeatureSheetModel::setEnabledField(const QString &field)
{
    m_enabledField = field;
    m_enabled.name = field;
    watch(m_enabled, SIGNAL(isEnabledChanged()));
    Q_EMIT presenterChanged();
    Q_EMIT isEnabledChanged();
}

void FeatureSheetModel::watch(PresenterField &field, const char *changedSignal)
{
    QObject::disconnect(field.connection);
    field.connection = {};
    if (!m_presenter || field.name.isEmpty())
        return;
    const QMetaObject *mo = m_presenter->metaObject();
    const int index = mo->indexOfProperty(field.name.toUtf8().constData());
    if (index < 0 || !mo->property(index).hasNotifySignal())
        return;
    // SIGNAL() prefixes the signature with a code digit.
    const int own = metaObject()->indexOfSignal(QMetaObject::normalizedSignature(changedSignal + 1).constData());
    if (own < 0)
        return;
    field.connection = QObject::connect(m_presenter, mo->property(index).notifySignal(), this, metaObject()->method(own));
}

QVariant FeatureSheetModel::read(const PresenterField &field) const
{
    if (!m_presenter || field.name.isEmpty())
        return {};
    return m_presenter->property(field.name.toUtf8().constData());
}

bool FeatureSheetModel::write(const PresenterField &field, const QVariant &value)
{
    if (!m_presenter || field.name.isEmpty())
        return false;
    return m_presenter->setProperty(field.name.toUtf8().constData(), value);
}

bool FeatureSheetModel::isEnabled() const
{
    const QVariant v = read(m_enabled);
    return v.isValid() ? v.toBool() : m_localEnabled;
}

void FeatureSheetModel::setIsEnabled(bool v)
{
    // The presenter starts the mode when its flag turns on, so it is handed the settings
    // first. A presenter without the method starts the mode with its own.
    if (v && m_presenter && !m_enabled.name.isEmpty()) {
        m_sent = modeSettings();
        m_resend.stop();
        QMetaObject::invokeMethod(m_presenter, "setModeSettings", Q_ARG(QString, m_enabled.name),
                                  Q_ARG(QVariantMap, m_sent));
    }
    if (write(m_enabled, v)) {
        if (!m_enabled.connection) // a presenter field without a notify signal
            Q_EMIT isEnabledChanged();
        return; // otherwise the presenter's notification reaches isEnabledChanged
    }
    m_localEnabled = v;
    Q_EMIT isEnabledChanged();
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
