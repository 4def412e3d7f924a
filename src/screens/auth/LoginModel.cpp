#include "LoginModel.h"

#include <QDesktopServices>

void LoginModel::setAuth(MRVAuthManager *auth)
{
    if (m_auth)
        QObject::disconnect(m_auth, nullptr, this, nullptr);
    m_auth = auth;
    if (m_auth) {
        connect(m_auth, &MRVAuthManager::isLoadingChanged, this, &LoginModel::stateChanged);
        connect(m_auth, &MRVAuthManager::authErrorChanged, this, &LoginModel::stateChanged);
    }
    Q_EMIT authChanged();
    Q_EMIT stateChanged();
}

void LoginModel::setEmail(const QString &v)
{
    m_email = v;
    Q_EMIT emailChanged();
    Q_EMIT stateChanged();
}

void LoginModel::setPassword(const QString &v)
{
    m_password = v;
    Q_EMIT passwordChanged();
    Q_EMIT stateChanged();
}

void LoginModel::setFocused(int field)
{
    m_focused = (field == 0 || field == 1) ? field : -1;
    Q_EMIT focusedChanged();
}

bool LoginModel::canSignIn() const
{
    return !m_email.isEmpty() && !m_password.isEmpty() && !isLoading();
}

bool LoginModel::isLoading() const { return m_auth && m_auth->isLoading(); }
bool LoginModel::hasError() const { return m_auth && m_auth->hasAuthError(); }
QString LoginModel::errorText() const { return m_auth ? m_auth->authErrorText() : QString(); }

void LoginModel::signIn()
{
    if (canSignIn())
        startSignIn();
}

void LoginModel::submitEmail() { setFocused(int(Field::password)); }

void LoginModel::submitPassword() { startSignIn(); }

void LoginModel::startSignIn()
{
    // Sent exactly as typed: no trimming, no case change.
    if (m_auth)
        m_auth->login(m_email, m_password);
}

void LoginModel::openJoinPage() const { QDesktopServices::openUrl(joinUrl()); }
