#pragma once

#include "KeychainHelper.h"
#include "MRVModels.h"
#include "MRVNetworkClient.h"

#include <QObject>
#include <QVariant>

#include <optional>

// The pilot's account state for the whole run: session restore at start-up, sign-in, guest
// entry and sign-out. Every assignment of a published field notifies, also of an equal value.
class MRVAuthManager : public QObject
{
    Q_OBJECT

    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)
    Q_PROPERTY(bool isCheckingSession READ isCheckingSession NOTIFY isCheckingSessionChanged)
    // undefined when absent, else an MRVUser (id, email, displayName, avatarURL, hasAvatarURL).
    Q_PROPERTY(QVariant currentUser READ currentUserVariant NOTIFY currentUserChanged)
    Q_PROPERTY(bool hasCurrentUser READ hasCurrentUser NOTIFY currentUserChanged)
    Q_PROPERTY(QString displayName READ displayName NOTIFY currentUserChanged)
    Q_PROPERTY(QString email READ email NOTIFY currentUserChanged)
    // undefined when absent, else the message text.
    Q_PROPERTY(QVariant authError READ authErrorVariant NOTIFY authErrorChanged)
    Q_PROPERTY(bool hasAuthError READ hasAuthError NOTIFY authErrorChanged)
    Q_PROPERTY(QString authErrorText READ authErrorText NOTIFY authErrorChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    // A session token is kept in the store (also one that could not be checked for want of network).
    Q_PROPERTY(bool hasStoredSession READ hasStoredSession NOTIFY storedSessionChanged)
    // That token lies in the weaker encrypted file store, because no keyring answered.
    Q_PROPERTY(bool isSessionInFileStore READ isSessionInFileStore NOTIFY storedSessionChanged)

public:
    // Neither is owned; both must outlive the manager. Schedules the session check.
    MRVAuthManager(MRVNetworkClient *api, KeychainHelper *keychain, QObject *parent = nullptr);

    bool isAuthenticated() const { return m_isAuthenticated; }
    bool isCheckingSession() const { return m_isCheckingSession; }
    const std::optional<MRVUser> &currentUser() const { return m_currentUser; }
    const std::optional<QString> &authError() const { return m_authError; }
    bool isLoading() const { return m_isLoading; }
    bool hasStoredSession() const { return m_hasStoredSession; }
    bool isSessionInFileStore() const { return m_hasStoredSession && m_keychain->isInWeakerStore(KeychainHelper::Key::authToken); }

    QVariant currentUserVariant() const;
    bool hasCurrentUser() const { return m_currentUser.has_value(); }
    QString displayName() const { return m_currentUser ? m_currentUser->displayName : QString(); }
    QString email() const { return m_currentUser ? m_currentUser->email : QString(); }
    QVariant authErrorVariant() const { return m_authError ? QVariant(*m_authError) : QVariant(); }
    bool hasAuthError() const { return m_authError.has_value(); }
    QString authErrorText() const { return m_authError.value_or(QString()); }

    MRVNetworkClient *api() const { return m_api; }
    KeychainHelper *keychain() const { return m_keychain; }

    // The outcome shows through the published fields only.
    Q_INVOKABLE void login(const QString &email, const QString &password);
    Q_INVOKABLE void continueAsGuest();
    Q_INVOKABLE void logout();
    // Deletes the stored token from every store; the pilot's state for this run is not changed.
    Q_INVOKABLE void forgetStoredSession();
    // Checks the stored token again (it was kept after a network failure) and signs in with it.
    Q_INVOKABLE void resumeStoredSession();
    // Ends the start-up check without waiting for its answer; a stored token stays stored.
    Q_INVOKABLE void skipSessionCheck();

    // The text a failed sign-in leaves in authError.
    static QString loginErrorMessage(const MRVError &error);
    // Whether a failed session check means the stored token itself was refused.
    static bool refusesStoredToken(const MRVError &error);

Q_SIGNALS:
    void isAuthenticatedChanged();
    void isCheckingSessionChanged();
    void currentUserChanged();
    void authErrorChanged();
    void isLoadingChanged();
    void storedSessionChanged();

private:
    void checkSession();
    // Loads the token and asks the service for its user; `generation` tells a skipped check.
    void restoreStoredSession(int generation);
    void takeStoredToken(int generation, bool startup, const std::optional<QString> &token);
    void setHasStoredSession(bool v);
    void setIsAuthenticated(bool v);
    void setIsCheckingSession(bool v);
    void setCurrentUser(std::optional<MRVUser> v);
    void setAuthError(std::optional<QString> v);
    void setIsLoading(bool v);

    bool m_isAuthenticated = false;
    bool m_isCheckingSession = true;
    std::optional<MRVUser> m_currentUser;
    std::optional<QString> m_authError;
    bool m_isLoading = false;
    bool m_hasStoredSession = false;
    int m_checkGeneration = 0; // bumped when a start-up check is skipped
    bool m_inConstructor = false;

    MRVNetworkClient *m_api;
    KeychainHelper *m_keychain;
};
