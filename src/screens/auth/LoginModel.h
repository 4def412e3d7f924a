#pragma once

#include "MRVAuthManager.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QUrl>

// The login sheet's own state (fields and focus) and its rules. The outcome of a sign-in
// shows through the auth manager's published fields.
class LoginModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(MRVAuthManager *auth READ auth WRITE setAuth NOTIFY authChanged)
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)
    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY passwordChanged)
    // -1 no field, 0 e-mail, 1 password
    Q_PROPERTY(int focused READ focused WRITE setFocused NOTIFY focusedChanged)
    Q_PROPERTY(bool canSignIn READ canSignIn NOTIFY stateChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY stateChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY stateChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY stateChanged)

public:
    enum class Field { email, password };

    explicit LoginModel(QObject *parent = nullptr) : QObject(parent) {}

    MRVAuthManager *auth() const { return m_auth; }
    void setAuth(MRVAuthManager *auth);
    QString email() const { return m_email; }
    void setEmail(const QString &v);
    QString password() const { return m_password; }
    void setPassword(const QString &v);
    int focused() const { return m_focused; }
    void setFocused(int field);

    // The button: needs both fields and no request in flight.
    bool canSignIn() const;
    bool isLoading() const;
    bool hasError() const;
    QString errorText() const;

    static QUrl joinUrl() { return QUrl(QStringLiteral("https://morvane.com/join")); }

    // Sign-in button: does nothing while the button is disabled.
    Q_INVOKABLE void signIn();
    // Return in the e-mail field moves on to the password field.
    Q_INVOKABLE void submitEmail();
    // Return in the password field signs in with the fields as they are, unchecked.
    Q_INVOKABLE void submitPassword();
    Q_INVOKABLE void openJoinPage() const;

Q_SIGNALS:
    void authChanged();
    void emailChanged();
    void passwordChanged();
    void focusedChanged();
    void stateChanged();

private:
    void startSignIn();

    QPointer<MRVAuthManager> m_auth;
    QString m_email;
    QString m_password;
    int m_focused = -1;
};
