#include "MRVNetworkClient.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

#include <memory>

#ifndef ZELTRIN_ACCOUNT_BASE_URL
#define ZELTRIN_ACCOUNT_BASE_URL "https://accounts.zeltrin.app/v1"
#endif
#ifndef ZELTRIN_ACCOUNT_EXTRA_CA
#define ZELTRIN_ACCOUNT_EXTRA_CA ""
#endif

namespace {

// Qt's codes for a complete response whose HTTP status was an error; every other code means
// the exchange itself failed (connection, TLS, time-out, redirect refused, cut short).
bool isHttpStatusError(QNetworkReply::NetworkError code)
{
    const int c = int(code);
    return (c >= 201 && c <= 299) || (c >= 401 && c <= 499)
        || code == QNetworkReply::ProtocolInvalidOperationError
        || code == QNetworkReply::ProxyAuthenticationRequiredError;
}

} // namespace

QString MRVNetworkClient::defaultBaseURL()
{
    return QStringLiteral(ZELTRIN_ACCOUNT_BASE_URL);
}

QList<QSslCertificate> MRVNetworkClient::defaultExtraCaCertificates()
{
    const QString path = QStringLiteral(ZELTRIN_ACCOUNT_EXTRA_CA);
    if (path.isEmpty())
        return {};
    return QSslCertificate::fromPath(path, QSsl::Pem);
}

MRVNetworkClient::MRVNetworkClient(QObject *parent) : MRVNetworkClient(Options{}, parent) {}

MRVNetworkClient::MRVNetworkClient(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_session(new QNetworkAccessManager(this))
{
}

MRVNetworkClient::~MRVNetworkClient() = default;

std::optional<MRVAPIError> MRVNetworkClient::validate(std::optional<int> httpStatus)
{
    if (!httpStatus)
        return std::nullopt;
    const int s = *httpStatus;
    if (s >= 200 && s <= 299)
        return std::nullopt;
    if (s == 401)
        return MRVAPIError::invalidCredentials();
    if (s == 403)
        return MRVAPIError::tokenExpired();
    return MRVAPIError::serverError(QStringLiteral("Server error ") + QString::number(s));
}

std::optional<QNetworkRequest> MRVNetworkClient::makeRequest(const QString &path) const
{
    const QUrl url(m_options.baseURL + path, QUrl::StrictMode);
    // Only https is ever spoken to the account service.
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_options.transferTimeout.count()));
    // Redirects stay on the same scheme, host and port: never down to http, and the bearer
    // token never travels to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    if (!m_options.extraCaCertificates.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(m_options.extraCaCertificates);
        request.setSslConfiguration(tls);
    }
    return request;
}

void MRVNetworkClient::failLater(QObject *context, std::function<void()> fn)
{
    // Results are always delivered asynchronously, like a real reply.
    QTimer::singleShot(0, context, std::move(fn));
}

void MRVNetworkClient::send(QNetworkReply *reply, QObject *context, BytesCallback done)
{
    struct State {
        QByteArray body;
        bool tooLarge = false;
        bool overdue = false;
    };
    auto state = std::make_shared<State>();
    const qint64 cap = m_options.maxReplyBytes;
    QPointer<QObject> ctx(context);

    auto abortIfTooLarge = [reply, state, cap](qint64 incoming) {
        if (!state->tooLarge && incoming > cap) {
            state->tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, abortIfTooLarge]() {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            abortIfTooLarge(length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, state, abortIfTooLarge]() {
        if (state->tooLarge)
            return;
        abortIfTooLarge(state->body.size() + reply->bytesAvailable());
        if (!state->tooLarge)
            state->body += reply->readAll();
    });
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, state]() {
        state->overdue = true;
        reply->abort();
    });
    deadline->start(m_options.totalTimeout);
    // The owner going away abandons the request; its callback is then never run.
    QObject::connect(context, &QObject::destroyed, reply, [reply]() { reply->abort(); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, state, ctx, done = std::move(done)]() {
        reply->deleteLater();
        if (!ctx)
            return;
        if (state->overdue) {
            done(MRVTransportError{QNetworkReply::TimeoutError, QStringLiteral("Request took too long")});
            return;
        }
        if (state->tooLarge) {
            done(MRVTransportError{QNetworkReply::OperationCanceledError, QStringLiteral("Reply too large")});
            return;
        }
        const QVariant statusAttr = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const std::optional<int> status = statusAttr.isValid() ? std::optional<int>(statusAttr.toInt()) : std::nullopt;
        const QNetworkReply::NetworkError code = reply->error();
        if (code != QNetworkReply::NoError && !(status && isHttpStatusError(code))) {
            done(MRVTransportError{code, reply->errorString()});
            return;
        }
        if (auto apiError = validate(status)) {
            done(*apiError);
            return;
        }
        state->body += reply->readAll();
        done(state->body);
    });
}

void MRVNetworkClient::login(const QString &email, const QString &password, QObject *context, LoginCallback done)
{
    auto request = makeRequest(QStringLiteral("/auth/login"));
    if (!request) {
        failLater(context, [done]() { done(MRVAPIError::serverError(QStringLiteral("Bad URL"))); });
        return;
    }
    request->setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("email"), email},
                                                      {QStringLiteral("password"), password}})
                                .toJson(QJsonDocument::Compact);
    QNetworkReply *reply = m_session->post(*request, body);
    send(reply, context, [done](const MRVResult<QByteArray> &r) {
        if (!r.ok())
            done(r.error());
        else
            done(mrv::decodeLoginResponse(r.value()));
    });
}

void MRVNetworkClient::fetchCurrentUser(const QString &token, QObject *context, UserCallback done)
{
    auto request = makeRequest(QStringLiteral("/auth/me"));
    if (!request) {
        failLater(context, [done]() { done(MRVAPIError::serverError(QStringLiteral("Bad URL"))); });
        return;
    }
    request->setRawHeader(QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token.toUtf8());
    QNetworkReply *reply = m_session->get(*request);
    send(reply, context, [done](const MRVResult<QByteArray> &r) {
        if (!r.ok())
            done(r.error());
        else
            done(mrv::decodeUser(r.value()));
    });
}
