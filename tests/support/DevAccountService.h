#pragma once

#include "TlsTestServer.h"

#include <QDateTime>
#include <QHash>
#include <QString>

// The account service's two endpoints with one demo user, served by TlsTestServer: for local
// development (tools/dev-account-service) and for end-to-end tests.
class DevAccountService
{
public:
    static constexpr char kDemoEmail[] = "pilot@zeltrin.dev";
    static constexpr char kDemoPassword[] = "skyward-demo";

    // Tokens stop being accepted after `tokenLifetimeSecs` (then /auth/me answers 403).
    explicit DevAccountService(qint64 tokenLifetimeSecs = 12 * 3600) : m_lifetime(tokenLifetimeSecs) {}

    // Installs this service as the server's handler; the service must outlive the server's use.
    void serve(TlsTestServer &server);
    ScriptedReply handle(const RecordedRequest &request);

    static QByteArray demoUserJson();
    int issuedTokenCount() const { return int(m_tokens.size()); }

private:
    qint64 m_lifetime;
    QHash<QByteArray, QDateTime> m_tokens; // token -> expiry
};
