#include "MRVModels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>

QString MRVAPIError::description() const
{
    switch (m_kind) {
    case Kind::serverError: return m_message;
    case Kind::invalidCredentials: return QStringLiteral("Invalid email or password.");
    case Kind::tokenExpired: return QStringLiteral("Session expired. Please log in again.");
    case Kind::noConnection: return QStringLiteral("No network connection.");
    }
    return m_message;
}

namespace mrv {

namespace {

// First code point upper-cased, the rest lower-cased.
QString capitalized(const QString &word)
{
    if (word.isEmpty())
        return word;
    const qsizetype firstLen = (word.size() >= 2 && word.at(0).isHighSurrogate() && word.at(1).isLowSurrogate()) ? 2 : 1;
    return word.left(firstLen).toUpper() + word.mid(firstLen).toLower();
}

// The object with every key converted; when two keys convert to the same name the first one
// (in the object's key order) wins.
QJsonObject convertedKeys(const QJsonObject &object)
{
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = convertFromSnakeCase(it.key());
        if (!out.contains(key))
            out.insert(key, it.value());
    }
    return out;
}

MRVDecodingError missingKey(const QString &key)
{
    return MRVDecodingError{QStringLiteral("Missing key \"%1\"").arg(key)};
}

MRVDecodingError wrongType(const QString &key, const char *expected)
{
    return MRVDecodingError{QStringLiteral("Expected %1 for key \"%2\"").arg(QLatin1String(expected), key)};
}

std::variant<QString, MRVDecodingError> requiredString(const QJsonObject &o, const QString &key)
{
    const auto it = o.constFind(key);
    if (it == o.constEnd())
        return missingKey(key);
    if (it->isNull())
        return MRVDecodingError{QStringLiteral("Null value for key \"%1\"").arg(key)};
    if (!it->isString())
        return wrongType(key, "a string");
    return it->toString();
}

MRVResult<MRVUser> decodeUserObject(const QJsonObject &raw)
{
    const QJsonObject o = convertedKeys(raw);
    MRVUser user;
    QString *fields[] = {&user.id, &user.email, &user.displayName};
    const QString names[] = {QStringLiteral("id"), QStringLiteral("email"), QStringLiteral("displayName")};
    for (int i = 0; i < 3; ++i) {
        auto v = requiredString(o, names[i]);
        if (auto *err = std::get_if<MRVDecodingError>(&v))
            return *err;
        *fields[i] = std::get<QString>(v);
    }
    const auto avatar = o.constFind(QStringLiteral("avatarURL"));
    if (avatar != o.constEnd() && !avatar->isNull()) {
        if (!avatar->isString())
            return wrongType(QStringLiteral("avatarURL"), "a string");
        user.avatarURL = avatar->toString();
    }
    return user;
}

std::variant<QJsonObject, MRVDecodingError> parseObject(const QByteArray &json)
{
    QJsonParseError error{};
    // The parser limits nesting depth itself, so deeply nested input fails instead of
    // exhausting the stack.
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return MRVDecodingError{QStringLiteral("Not valid JSON: %1").arg(error.errorString())};
    if (!doc.isObject())
        return MRVDecodingError{QStringLiteral("Expected a JSON object")};
    return doc.object();
}

} // namespace

QString convertFromSnakeCase(const QString &key)
{
    if (key.isEmpty())
        return key;
    qsizetype first = 0;
    while (first < key.size() && key.at(first) == u'_')
        ++first;
    if (first == key.size())
        return key; // nothing but underscores
    qsizetype last = key.size() - 1;
    while (last > first && key.at(last) == u'_')
        --last;
    const QString inner = key.mid(first, last - first + 1);
    const QStringList words = inner.split(u'_', Qt::SkipEmptyParts);
    if (words.size() <= 1)
        return key;
    QString joined = words.first().toLower();
    for (qsizetype i = 1; i < words.size(); ++i)
        joined += capitalized(words.at(i));
    return key.left(first) + joined + key.mid(last + 1);
}

MRVResult<MRVUser> decodeUser(const QByteArray &json)
{
    auto parsed = parseObject(json);
    if (auto *err = std::get_if<MRVDecodingError>(&parsed))
        return *err;
    return decodeUserObject(std::get<QJsonObject>(parsed));
}

MRVResult<MRVLoginResponse> decodeLoginResponse(const QByteArray &json)
{
    auto parsed = parseObject(json);
    if (auto *err = std::get_if<MRVDecodingError>(&parsed))
        return *err;
    const QJsonObject o = convertedKeys(std::get<QJsonObject>(parsed));

    MRVLoginResponse response;
    auto token = requiredString(o, QStringLiteral("token"));
    if (auto *err = std::get_if<MRVDecodingError>(&token))
        return *err;
    response.token = std::get<QString>(token);

    const auto user = o.constFind(QStringLiteral("user"));
    if (user == o.constEnd())
        return missingKey(QStringLiteral("user"));
    if (!user->isObject())
        return wrongType(QStringLiteral("user"), "an object");
    auto decodedUser = decodeUserObject(user->toObject());
    if (!decodedUser.ok())
        return decodedUser.error();
    response.user = decodedUser.value();
    return response;
}

QJsonObject encode(const MRVUser &user)
{
    QJsonObject o{
        {QStringLiteral("id"), user.id},
        {QStringLiteral("email"), user.email},
        {QStringLiteral("displayName"), user.displayName},
    };
    if (user.avatarURL)
        o.insert(QStringLiteral("avatarURL"), *user.avatarURL);
    return o;
}

QJsonObject encode(const MRVLoginResponse &response)
{
    return QJsonObject{{QStringLiteral("token"), response.token}, {QStringLiteral("user"), encode(response.user)}};
}

} // namespace mrv
