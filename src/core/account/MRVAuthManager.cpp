#include "MRVAuthManager.h"

#include <QTimer>

MRVAuthManager::MRVAuthManager(MRVNetworkClient *api, KeychainHelper *keychain, QObject *parent)
    : QObject(parent), m_api(api), m_keychain(keychain)
{
    // The token's read starts now, beside the building of the first screen; its outcome is taken
    // only once the event loop turns, so the first screen sees isCheckingSession == true.
    m_inConstructor = true;
    checkSession();
    m_inConstructor = false;
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
    restoreStoredSession(m_checkGeneration);
}

void MRVAuthManager::restoreStoredSession(int generation)
{
    const bool startup = m_isCheckingSession;
    m_keychain->load(KeychainHelper::Key::authToken, this, [this, generation, startup](const std::optional<QString> &token) {
        if (m_inConstructor) {
            QTimer::singleShot(0, this, [this, generation, startup, token] { takeStoredToken(generation, startup, token); });
            return;
        }
        takeStoredToken(generation, startup, token);
    });
}

void MRVAuthManager::takeStoredToken(int generation, bool startup, const std::optional<QString> &token)
{
    const bool current = !startup || generation == m_checkGeneration;
    setHasStoredSession(token.has_value());
    if (!token) {
        if (startup && current)
            setIsCheckingSession(false);
        if (!startup)
            setIsLoading(false);
        return;
    }
    m_api->fetchCurrentUser(*token, this, [this, generation, startup](const MRVResult<MRVUser> &result) {
        const bool skipped = startup && generation != m_checkGeneration;
        if (!result.ok() && refusesStoredToken(result.error())) {
            // Only the service's refusal of the token forgets it: no coverage, a time-out or a
            // server fault must not sign the pilot out for good. A kept token stays within
            // reach: the gate offers to resume it, Settings to forget it.
            m_keychain->deleteItem(KeychainHelper::Key::authToken);
            setHasStoredSession(false);
        }
        if (skipped)
            return; // the pilot went on without waiting
        if (result.ok()) {
            setCurrentUser(result.value());
            setIsAuthenticated(true);
        }
        if (startup)
            setIsCheckingSession(false);
        else
            setIsLoading(false);
    });
}

void MRVAuthManager::resumeStoredSession()
{
    if (m_isCheckingSession || m_isLoading)
        return;
    setIsLoading(true);
    restoreStoredSession(m_checkGeneration);
}

void MRVAuthManager::skipSessionCheck()
{
    if (!m_isCheckingSession)
        return;
    ++m_checkGeneration;
    // A token found meanwhile shows as kept, so the gate can offer it.
    setIsCheckingSession(false);
}

void MRVAuthManager::forgetStoredSession()
{
    m_keychain->deleteItem(KeychainHelper::Key::authToken);
    setHasStoredSession(false);
}

void MRVAuthManager::login(const QString &email, const QString &password)
{
    setIsLoading(true);
    setAuthError(std::nullopt);
    m_api->login(email, password, this, [this](const MRVResult<MRVLoginResponse> &result) {
        if (!result.ok()) {
            setAuthError(loginErrorMessage(result.error()));
            setIsLoading(false);
            return;
        }
        const MRVLoginResponse reply = result.value();
        m_keychain->save(reply.token, KeychainHelper::Key::authToken, this, [this, reply](bool saved) {
            if (!saved) {
                // The store kept the previous token: it must not sign someone else in next time.
                m_keychain->deleteItem(KeychainHelper::Key::authToken);
            }
            setHasStoredSession(saved);
            setCurrentUser(reply.user);
            setIsAuthenticated(true);
            setIsLoading(false);
        });
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
    setHasStoredSession(false);
    setCurrentUser(std::nullopt);
    setIsAuthenticated(false);
}

void MRVAuthManager::setHasStoredSession(bool v)
{
    m_hasStoredSession = v;
    Q_EMIT storedSessionChanged();
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
