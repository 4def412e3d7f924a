#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMetaType>
#include <QNetworkReply>
#include <QString>

#include <optional>
#include <utility>
#include <variant>

// The account service's records and the three kinds of failure its client reports.
// Everything here is pure (no I/O), so it is table-tested and fuzzed directly.

struct MRVUser {
    Q_GADGET
    Q_PROPERTY(QString id MEMBER id CONSTANT)
    Q_PROPERTY(QString email MEMBER email CONSTANT)
    Q_PROPERTY(QString displayName MEMBER displayName CONSTANT)
    Q_PROPERTY(QString avatarURL READ avatarURLText CONSTANT)
    Q_PROPERTY(bool hasAvatarURL READ hasAvatarURL CONSTANT)

public:
    QString id;
    QString email;
    QString displayName;
    std::optional<QString> avatarURL;

    QString avatarURLText() const { return avatarURL.value_or(QString()); }
    bool hasAvatarURL() const { return avatarURL.has_value(); }
    friend bool operator==(const MRVUser &, const MRVUser &) = default;
};

struct MRVLoginResponse {
    QString token;
    MRVUser user;
    friend bool operator==(const MRVLoginResponse &, const MRVLoginResponse &) = default;
};

// The service's own refusals; the description is the text shown to the pilot.
class MRVAPIError
{
public:
    enum class Kind { serverError, invalidCredentials, tokenExpired, noConnection };

    static MRVAPIError serverError(QString message) { return MRVAPIError(Kind::serverError, std::move(message)); }
    static MRVAPIError invalidCredentials() { return MRVAPIError(Kind::invalidCredentials); }
    static MRVAPIError tokenExpired() { return MRVAPIError(Kind::tokenExpired); }
    static MRVAPIError noConnection() { return MRVAPIError(Kind::noConnection); }

    Kind kind() const { return m_kind; }
    // The serverError payload; empty for the other cases.
    QString message() const { return m_message; }
    QString description() const;
    friend bool operator==(const MRVAPIError &, const MRVAPIError &) = default;

private:
    explicit MRVAPIError(Kind kind, QString message = {}) : m_kind(kind), m_message(std::move(message)) {}
    Kind m_kind;
    QString m_message;
};

// The HTTP stack's own failure (no network, time-out, TLS, reset, refused redirect, oversized reply).
struct MRVTransportError {
    QNetworkReply::NetworkError code = QNetworkReply::UnknownNetworkError;
    QString message;
};

// A reply that does not decode into the expected record.
struct MRVDecodingError {
    QString message;
};

using MRVError = std::variant<MRVAPIError, MRVTransportError, MRVDecodingError>;

// Either a value or one of the failures above; no exceptions.
template <typename T>
class MRVResult
{
public:
    MRVResult(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    MRVResult(MRVError error) : m_data(std::in_place_index<1>, std::move(error)) {}
    MRVResult(MRVAPIError e) : MRVResult(MRVError(std::move(e))) {}
    MRVResult(MRVTransportError e) : MRVResult(MRVError(std::move(e))) {}
    MRVResult(MRVDecodingError e) : MRVResult(MRVError(std::move(e))) {}

    bool ok() const { return m_data.index() == 0; }
    const T &value() const { return std::get<0>(m_data); }
    const MRVError &error() const { return std::get<1>(m_data); }

private:
    std::variant<T, MRVError> m_data;
};

namespace mrv {

// Reply keys in snake case become camel case ("display_name" -> "displayName"); keys without an
// underscore between word characters stay as they are; leading/trailing underscores stay put.
QString convertFromSnakeCase(const QString &key);

MRVResult<MRVUser> decodeUser(const QByteArray &json);
MRVResult<MRVLoginResponse> decodeLoginResponse(const QByteArray &json);

// Records back to JSON under the same keys; an absent avatarURL is left out.
QJsonObject encode(const MRVUser &user);
QJsonObject encode(const MRVLoginResponse &response);

} // namespace mrv

Q_DECLARE_METATYPE(MRVUser)
