#pragma once

#include <QBuffer>
#include <QFont>
#include <QHash>
#include <QDateTime>
#include <QLocale>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>

// A tiny HTTP tile server on 127.0.0.1 that answers GET /<layer>/<z>/<x>/<y>.png with a
// generated image. It can hold answers back, to observe requests in flight and cancellation.
class TileServer : public QObject
{
    Q_OBJECT
public:
    TileServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onRead(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    if (m_open.removeAll(s) > 0)
                        ++m_abortedByClient;
                    m_held.removeAll(s);
                    s->deleteLater();
                });
            }
        });
    }
    // Sockets still open would report their end to a server half gone.
    ~TileServer() override
    {
        for (QTcpSocket *s : m_server.findChildren<QTcpSocket *>())
            s->disconnect(this);
    }
    bool listen()
    {
        if (!m_server.listen(QHostAddress::LocalHost, m_port))
            return false;
        m_port = m_server.serverPort();
        return true;
    }
    void close() { m_server.close(); }
    // Gone, as a server that stopped is: nothing listens and open connections are cut. listen()
    // brings it back on the same port.
    void stop()
    {
        m_server.close();
        const auto open = m_open;
        for (QTcpSocket *s : open)
            s->abort();
        for (QTcpSocket *s : m_server.findChildren<QTcpSocket *>())
            s->abort();
    }
    QString urlTemplate(const QString &layer) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2/{z}/{x}/{y}.png").arg(m_server.serverPort()).arg(layer);
    }

    bool hold = false;
    // Once this many requests have come (of those whose User-Agent holds `holdAgent`, when set),
    // the rest of them are held (-1: never).
    int holdAfter = -1;
    QByteArray holdAgent;
    int requests() const { return m_requests; }
    int countedRequests() const { return m_heldCounted; }
    int peakOpen() const { return m_peakOpen; }
    int openCount() const { return int(m_open.size()); }
    int abortedByClient() const { return m_abortedByClient; }
    QStringList paths;
    QSet<QString> corruptPaths; // answered 200 with a body that is no image
    // path -> {HTTP status, how many times}: answered with that status before a tile.
    QHash<QString, std::pair<int, int>> failing;
    // Tiles drawn from their path (distinct, labelled "z/x/y") rather than one flat colour.
    bool labelled = false;
    QList<QByteArray> userAgents;
    // Paths under /<filesLayer>/ are answered from `files` as they are (404 when absent).
    QString filesLayer;
    QHash<QString, QByteArray> files;
    void releaseAll()
    {
        const auto held = m_held;
        m_held.clear();
        for (auto &s : held)
            if (s)
                answer(s);
    }

private:
    void onRead(QTcpSocket *s)
    {
        QByteArray &buf = m_buffers[s];
        buf += s->readAll();
        if (!buf.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> line = buf.left(buf.indexOf("\r\n")).split(' ');
        s->setProperty("path", line.value(1));
        const int ua = buf.indexOf("User-Agent: ");
        if (ua >= 0)
            userAgents << buf.mid(ua + 12, buf.indexOf("\r\n", ua) - ua - 12);
        paths << QString::fromLatin1(line.value(1));
        buf.clear();
        ++m_requests;
        m_open.append(s);
        m_peakOpen = std::max(m_peakOpen, int(m_open.size()));
        const bool counted = holdAgent.isEmpty() || (!userAgents.isEmpty() && ua >= 0 && userAgents.last().contains(holdAgent));
        if (counted)
            ++m_heldCounted;
        if (hold || (holdAfter >= 0 && counted && m_heldCounted > holdAfter))
            m_held.append(s);
        else
            answer(s);
    }
    void answer(QTcpSocket *s)
    {
        const QString path = QString::fromLatin1(s->property("path").toByteArray());
        if (auto it = failing.find(path); it != failing.end() && it->second > 0) {
            --it->second;
            const QByteArray status = QByteArray::number(it->first);
            s->write("HTTP/1.1 " + status + " Failing\r\nContent-Length: 0\r\nRetry-After: 0\r\n\r\n");
            m_open.removeAll(s);
            return;
        }
        QByteArray png;
        if (!filesLayer.isEmpty() && path.startsWith(QLatin1Char('/') + filesLayer + QLatin1Char('/'))) {
            if (!files.contains(path)) {
                s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                m_open.removeAll(s);
                return;
            }
            png = files.value(path);
        } else if (labelled) {
            QImage img(256, 256, QImage::Format_RGB32);
            const size_t h = qHash(path);
            img.fill(QColor(30 + int(h % 60), 70 + int((h >> 8) % 90), 50 + int((h >> 16) % 60)));
            QPainter p(&img);
            p.setPen(QColor(255, 255, 255, 160));
            p.drawRect(0, 0, 255, 255);
            QFont f;
            f.setPixelSize(22);
            p.setFont(f);
            p.drawText(img.rect(), Qt::AlignCenter, path.section(QLatin1Char('/'), 2).section(QLatin1Char('.'), 0, 0));
            p.end();
            QBuffer b(&png);
            b.open(QIODevice::WriteOnly);
            img.save(&b, "PNG");
        } else {
            // A tile server hands out files made once: encoded once per colour here, made
            // distinct per tile by a text chunk naming it, so the server costs little CPU.
            const int shade = 90 + (m_requests * 7) % 120;
            QByteArray &base = m_encoded[shade];
            if (base.isEmpty()) {
                QImage img(256, 256, QImage::Format_RGB32);
                img.fill(QColor(40, shade, 60));
                QBuffer b(&base);
                b.open(QIODevice::WriteOnly);
                img.save(&b, "PNG");
            }
            const QByteArray text = "tEXt" + QByteArray("Comment\0", 8) + path.toLatin1();
            QByteArray chunk;
            chunk += char(((text.size() - 4) >> 24) & 0xff);
            chunk += char(((text.size() - 4) >> 16) & 0xff);
            chunk += char(((text.size() - 4) >> 8) & 0xff);
            chunk += char((text.size() - 4) & 0xff);
            const quint32 crc = crc32(text);
            chunk += text;
            for (int shift : {24, 16, 8, 0})
                chunk += char((crc >> shift) & 0xff);
            png = base.left(base.size() - 12) + chunk + base.right(12); // before IEND
        }
        if (corruptPaths.contains(QString::fromLatin1(s->property("path").toByteArray())))
            png = png.left(40) + QByteArray(200, 'x');
        QByteArray resp = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: max-age=86400\r\n"
                          "Date: " + QLocale::c().toString(QDateTime::currentDateTimeUtc(), "ddd, dd MMM yyyy hh:mm:ss 'GMT'").toLatin1()
            + "\r\nLast-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n"
            "Content-Length: " + QByteArray::number(png.size()) + "\r\n\r\n" + png;
        s->write(resp);
        m_open.removeAll(s);
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QTcpSocket *> m_open;
    QList<QPointer<QTcpSocket>> m_held;
    int m_requests = 0;
    int m_peakOpen = 0;
    int m_abortedByClient = 0;
    quint16 m_port = 0;
    QHash<int, QByteArray> m_encoded;
    static quint32 crc32(const QByteArray &data)
    {
        quint32 c = 0xffffffffu;
        for (char ch : data) {
            c ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
        }
        return c ^ 0xffffffffu;
    }
    int m_heldCounted = 0;
};
