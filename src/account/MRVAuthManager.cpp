#include "MRVAuthManager.h"

#include <QTimer>

MRVAuthManager::MRVAuthManager(MRVNetworkClient *api, KeychainHelper *keychain, QObject *parent)
    : QObject(parent), m_api(api), m_keychain(keychain)
{
    // Scheduled, not run inline: the first screen must see isCheckingSession == true. The
    // stored token's read starts now, beside the building of the first screen.
    m_keychain->prefetch(KeychainHelper::Key::authToken);
    QTimer::singleShot(0, this, &MRVAuthManager::checkSession);
}

QVariant MRVAuthManager::currentUserVariant() const
{
    return m_currentUser ? QVariant::fromValue(*m_currentUser) : QVariant();
}

QString MRVAuthManager::loginErrorMessage(const MRVError &error)
{
    if (const auto *api = std::get_if<MRVAPIError>(&error))
        return api->description();
    return QStringLiteral("Login failed. Check your connection.");
}

bool MRVAuthManager::refusesStoredToken(const MRVError &error)
{
    const auto *api = std::get_if<MRVAPIError>(&error);
    return api
        && (api->kind() == MRVAPIError::Kind::invalidCredentials || api->kind() == MRVAPIError::Kind::tokenExpired);
}

void MRVAuthManager::checkSession()
{
    const std::optional<QString> token = m_keychain->load(KeychainHelper::Key::authToken);
    if (!token) {
        setIsCheckingSession(false);
        return;
    }
    m_api->fetchCurrentUser(*token, this, [this](const MRVResult<MRVUser> &result) {
        if (result.ok()) {
            setCurrentUser(result.value());
            setIsAuthenticated(true);
            setIsCheckingSession(false);
            return;
        }
        // Only the service's refusal of the token forgets it: no coverage, a time-out or a
        // server fault must not sign the pilot out for good.
        if (refusesStoredToken(result.error()))
            m_keychain->deleteItem(KeychainHelper::Key::authToken);
        setIsCheckingSession(false);
    });
}

void MRVAuthManager::login(const QString &email, const QString &password)
{
    setIsLoading(true);
    setAuthError(std::nullopt);
    m_api->login(email, password, this, [this](const MRVResult<MRVLoginResponse> &result) {
        if (result.ok()) {
            m_keychain->save(result.value().token, KeychainHelper::Key::authToken);
            setCurrentUser(result.value().user);
            setIsAuthenticated(true);
            setIsLoading(false);
            return;
        }
        setAuthError(loginErrorMessage(result.error()));
        setIsLoading(false);
    });
}

void MRVAuthManager::continueAsGuest()
{
    setIsAuthenticated(true);
    setCurrentUser(std::nullopt);
}

void MRVAuthManager::logout()
{
    m_keychain->deleteItem(KeychainHelper::Key::authToken);
    setCurrentUser(std::nullopt);
    setIsAuthenticated(false);
}

void MRVAuthManager::setIsAuthenticated(bool v)
{
    m_isAuthenticated = v;
    Q_EMIT isAuthenticatedChanged();
}

void MRVAuthManager::setIsCheckingSession(bool v)
{
    m_isCheckingSession = v;
    Q_EMIT isCheckingSessionChanged();
}

void MRVAuthManager::setCurrentUser(std::optional<MRVUser> v)
{
    m_currentUser = std::move(v);
    Q_EMIT currentUserChanged();
}

void MRVAuthManager::setAuthError(std::optional<QString> v)
{
    m_authError = std::move(v);
    Q_EMIT authErrorChanged();
}

void MRVAuthManager::setIsLoading(bool v)
{
    m_isLoading = v;
    Q_EMIT isLoadingChanged();
}
