#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>

#include <functional>
#include <optional>
#include <queue>

class QSslServer;
class QSslSocket;

// A CA and a server certificate for 127.0.0.1/localhost signed by it, made with the openssl
// command into `dir`. Clients trust the CA through QSslConfiguration; verification stays on.
struct TestCertificates {
    QString caPath;
    QSslCertificate ca;
    QSslCertificate server;
    QSslKey serverKey;

    static std::optional<TestCertificates> generate(const QString &dir, const QString &caName = QStringLiteral("Zeltrin Test CA"));
};

// What the server answers to one request.
struct ScriptedReply {
    int status = 200;
    QByteArray reason;                           // default: a standard phrase for the status
    QList<QPair<QByteArray, QByteArray>> headers; // Content-Length is added unless given
    QByteArray body;
    int delayMs = 0;                             // wait before answering
    bool stall = false;                          // never answer (the connection stays open)
    bool reset = false;                          // reset the connection instead of answering
    std::optional<qsizetype> closeAfterBodyBytes; // announce the whole body, send this much, close
    int trickleMs = 0;                           // send the body one byte per this many ms

    static ScriptedReply json(int status, const QByteArray &body);
};

struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers; // in the order received, names as sent
    QByteArray body;

    bool hasHeader(const QByteArray &name) const;
    QByteArray header(const QByteArray &name) const; // case-insensitive; empty when absent
};

// An HTTPS/1.1 server on 127.0.0.1 for tests and the development account service. Replies come
// from the queue first, then from the handler, else 404. Every request is recorded.
class TlsTestServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest &)>;

    explicit TlsTestServer(const TestCertificates &certs, QObject *parent = nullptr);
    ~TlsTestServer() override;

    bool listen(quint16 port = 0);
    quint16 port() const;
    QString origin() const;  // https://127.0.0.1:<port>
    QString baseURL() const; // origin + "/v1"

    void enqueue(ScriptedReply reply);
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    QList<RecordedRequest> requests;
    int connectionCount = 0;

Q_SIGNALS:
    void requestReceived();

private:
    void onConnection(QSslSocket *socket);
    void processBuffer(QSslSocket *socket);
    void answer(QSslSocket *socket, const ScriptedReply &reply);

    QSslServer *m_server;
    std::queue<ScriptedReply> m_queue;
    Handler m_handler;
    QHash<QSslSocket *, QByteArray> m_buffers;
};
