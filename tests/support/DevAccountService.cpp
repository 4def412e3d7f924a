#include "DevAccountService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

void DevAccountService::serve(TlsTestServer &server)
{
    server.setHandler([this](const RecordedRequest &r) { return handle(r); });
}

QByteArray DevAccountService::demoUserJson()
{
    return QJsonDocument(QJsonObject{{QStringLiteral("id"), QStringLiteral("usr_demo_0001")},
                                     {QStringLiteral("email"), QLatin1String(kDemoEmail)},
                                     {QStringLiteral("display_name"), QStringLiteral("Demo Pilot")},
                                     {QStringLiteral("avatarURL"), QJsonValue::Null}})
        .toJson(QJsonDocument::Compact);
}

ScriptedReply DevAccountService::handle(const RecordedRequest &r)
{
    const QByteArray path = r.path.split('?').value(0);
    if (r.method == "POST" && path == "/v1/auth/login") {
        QJsonParseError err{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.body, &err);
        if (err.error != QJsonParseError::NoError || !doc.isObject())
            return ScriptedReply::json(400, R"({"error":"bad_request"})");
        const QJsonObject o = doc.object();
        if (o.value(QStringLiteral("email")).toString() != QLatin1String(kDemoEmail)
            || o.value(QStringLiteral("password")).toString() != QLatin1String(kDemoPassword))
            return ScriptedReply::json(401, R"({"error":"invalid_credentials"})");
        QByteArray raw(32, '\0');
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(raw.data()), raw.size() / 4);
        const QByteArray token = raw.toHex();
        m_tokens.insert(token, QDateTime::currentDateTimeUtc().addSecs(m_lifetime));
        return ScriptedReply::json(200, "{\"token\":\"" + token + "\",\"user\":" + demoUserJson() + "}");
    }
    if (r.method == "GET" && path == "/v1/auth/me") {
        const QByteArray auth = r.header("Authorization");
        if (!auth.startsWith("Bearer "))
            return ScriptedReply::json(401, R"({"error":"missing_token"})");
        const auto it = m_tokens.constFind(auth.mid(7));
        if (it == m_tokens.constEnd())
            return ScriptedReply::json(401, R"({"error":"unknown_token"})");
        if (*it < QDateTime::currentDateTimeUtc())
            return ScriptedReply::json(403, R"({"error":"token_expired"})");
        return ScriptedReply::json(200, demoUserJson());
    }
    return ScriptedReply::json(404, R"({"error":"not_found"})");
}
