#include "TlsTestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>

#include <memory>

#include <sys/socket.h>

namespace {

bool runOpenssl(const QStringList &args, const QString &dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("openssl %s failed: %s", qPrintable(args.join(u' ')), p.readAll().constData());
        return false;
    }
    return true;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool hasHeaderIn(const QList<QPair<QByteArray, QByteArray>> &headers, const QByteArray &name)
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

std::optional<TestCertificates> TestCertificates::generate(const QString &dir, const QString &caName)
{
    if (!QDir().mkpath(dir))
        return std::nullopt;
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    if (!runOpenssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec
                        + QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                                      QStringLiteral("ca.crt"), QStringLiteral("-days"), QStringLiteral("30"),
                                      QStringLiteral("-subj"), QStringLiteral("/CN=") + caName,
                                      QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                      QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                    dir))
        return std::nullopt;
    if (!runOpenssl(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + ec
                        + QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"), QStringLiteral("-out"),
                                      QStringLiteral("server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
                    dir))
        return std::nullopt;
    QFile ext(dir + QStringLiteral("/server.ext"));
    if (!ext.open(QIODevice::WriteOnly))
        return std::nullopt;
    ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
              "basicConstraints=critical,CA:FALSE\n"
              "keyUsage=critical,digitalSignature,keyEncipherment\n"
              "extendedKeyUsage=serverAuth\n");
    ext.close();
    if (!runOpenssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("server.csr"),
                     QStringLiteral("-CA"), QStringLiteral("ca.crt"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                     QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), QStringLiteral("server.crt"),
                     QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-extfile"), QStringLiteral("server.ext")},
                    dir))
        return std::nullopt;

    TestCertificates c;
    c.caPath = dir + QStringLiteral("/ca.crt");
    const auto cas = QSslCertificate::fromPath(c.caPath);
    const auto servers = QSslCertificate::fromPath(dir + QStringLiteral("/server.crt"));
    QFile keyFile(dir + QStringLiteral("/server.key"));
    if (cas.isEmpty() || servers.isEmpty() || !keyFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    c.ca = cas.first();
    c.server = servers.first();
    c.serverKey = QSslKey(keyFile.readAll(), QSsl::Ec, QSsl::Pem);
    if (c.serverKey.isNull())
        return std::nullopt;
    return c;
}

ScriptedReply ScriptedReply::json(int status, const QByteArray &body)
{
    ScriptedReply r;
    r.status = status;
    r.headers.append({QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")});
    r.body = body;
    return r;
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    return hasHeaderIn(headers, name);
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

TlsTestServer::TlsTestServer(const TestCertificates &certs, QObject *parent)
    : QObject(parent), m_server(new QSslServer(this))
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certs.server);
    tls.setPrivateKey(certs.serverKey);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // no client certificates
    m_server->setSslConfiguration(tls);
    connect(m_server, &QSslServer::pendingConnectionAvailable, this, [this]() {
        while (auto *s = qobject_cast<QSslSocket *>(m_server->nextPendingConnection()))
            onConnection(s);
    });
}

TlsTestServer::~TlsTestServer() = default;

bool TlsTestServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 TlsTestServer::port() const
{
    return m_server->serverPort();
}

QString TlsTestServer::origin() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(port());
}

QString TlsTestServer::baseURL() const
{
    return origin() + QStringLiteral("/v1");
}

void TlsTestServer::enqueue(ScriptedReply reply)
{
    m_queue.push(std::move(reply));
}

void TlsTestServer::onConnection(QSslSocket *socket)
{
    ++connectionCount;
    socket->setParent(this);
    m_buffers.insert(socket, {});
    connect(socket, &QSslSocket::readyRead, this, [this, socket]() {
        m_buffers[socket] += socket->readAll();
        processBuffer(socket);
    });
    connect(socket, &QSslSocket::disconnected, this, [this, socket]() {
        m_buffers.remove(socket);
        socket->deleteLater();
    });
    if (socket->bytesAvailable() > 0) {
        m_buffers[socket] += socket->readAll();
        processBuffer(socket);
    }
}

void TlsTestServer::processBuffer(QSslSocket *socket)
{
    for (;;) {
        QByteArray &buf = m_buffers[socket];
        const qsizetype headEnd = buf.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QList<QByteArray> lines = buf.left(headEnd).split('\n');
        RecordedRequest req;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        req.method = requestLine.value(0);
        req.path = requestLine.value(1);
        qsizetype contentLength = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            req.headers.append({name, value});
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                contentLength = value.toLongLong();
        }
        if (buf.size() < headEnd + 4 + contentLength)
            return;
        req.body = buf.mid(headEnd + 4, contentLength);
        buf.remove(0, headEnd + 4 + contentLength);

        requests.append(req);
        ScriptedReply reply;
        if (!m_queue.empty()) {
            reply = m_queue.front();
            m_queue.pop();
        } else if (m_handler) {
            reply = m_handler(req);
        } else {
            reply = ScriptedReply::json(404, R"({"error":"not_found"})");
        }
        Q_EMIT requestReceived();
        if (reply.delayMs > 0) {
            QTimer::singleShot(reply.delayMs, socket, [this, socket, reply]() { answer(socket, reply); });
        } else {
            answer(socket, reply);
        }
        if (reply.stall || reply.reset || reply.closeAfterBodyBytes || reply.trickleMs > 0)
            return;
    }
}

void TlsTestServer::answer(QSslSocket *socket, const ScriptedReply &reply)
{
    if (reply.stall)
        return;
    if (reply.reset) {
        // Linger 0 makes close() send a TCP reset rather than a graceful shutdown.
        const linger l{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
        socket->abort();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' '
        + (reply.reason.isEmpty() ? reasonPhrase(reply.status) : reply.reason) + "\r\n";
    for (const auto &h : reply.headers)
        head += h.first + ": " + h.second + "\r\n";
    if (!hasHeaderIn(reply.headers, "Content-Length") && reply.status != 204)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += "\r\n";
    socket->write(head);
    if (reply.closeAfterBodyBytes) {
        socket->write(reply.body.left(*reply.closeAfterBodyBytes));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    if (reply.trickleMs > 0) {
        // Never silent long enough for a silence limit, never done.
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, sent, body = reply.body]() {
            if (*sent >= body.size()) {
                timer->stop();
                return;
            }
            socket->write(body.mid((*sent)++, 1));
        });
        timer->start(reply.trickleMs);
        return;
    }
    if (reply.status != 204)
        socket->write(reply.body);
}
