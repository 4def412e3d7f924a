#pragma once

#include "MRVModels.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// Talks to the account service: POST /auth/login and GET /auth/me. Every failure comes back as a
// value (MRVAPIError, transport or decoding error); the client keeps no state between calls,
// does not retry and does not log.
class MRVNetworkClient : public QObject
{
    Q_OBJECT

public:
    struct Options {
        QString baseURL = defaultBaseURL();
        // The silence limit: no byte for this long ends the request.
        std::chrono::milliseconds transferTimeout = std::chrono::seconds(60);
        // And the whole exchange, however steadily a server trickles its reply.
        std::chrono::milliseconds totalTimeout = std::chrono::seconds(60);
        // Trusted in addition to the system's CAs (the development service's CA). Verification
        // itself is never relaxed.
        QList<QSslCertificate> extraCaCertificates = defaultExtraCaCertificates();
        // A larger reply body is abandoned and reported as a transport failure.
        qint64 maxReplyBytes = 1024 * 1024;
    };

    // Fixed in the build (ZELTRIN_ACCOUNT_BASE_URL, always https).
    static QString defaultBaseURL();
    // The certificates of the file named by ZELTRIN_ACCOUNT_EXTRA_CA, read when the client is made.
    static QList<QSslCertificate> defaultExtraCaCertificates();

    explicit MRVNetworkClient(QObject *parent = nullptr);
    explicit MRVNetworkClient(Options options, QObject *parent = nullptr);
    ~MRVNetworkClient() override;

    const Options &options() const { return m_options; }
    QNetworkAccessManager *session() const { return m_session; }

    // The callback runs later on this thread, exactly once, unless `context` is gone by then (the
    // request is then abandoned).
    using LoginCallback = std::function<void(const MRVResult<MRVLoginResponse> &)>;
    using UserCallback = std::function<void(const MRVResult<MRVUser> &)>;
    void login(const QString &email, const QString &password, QObject *context, LoginCallback done);
    void fetchCurrentUser(const QString &token, QObject *context, UserCallback done);

    // Judges a response's status: nullopt accepts it. A reply without a status is accepted.
    static std::optional<MRVAPIError> validate(std::optional<int> httpStatus);

private:
    using BytesCallback = std::function<void(const MRVResult<QByteArray> &)>;
    std::optional<QNetworkRequest> makeRequest(const QString &path) const;
    void send(QNetworkReply *reply, QObject *context, BytesCallback done);
    static void failLater(QObject *context, std::function<void()> fn);

    Options m_options;
    QNetworkAccessManager *m_session;
};
