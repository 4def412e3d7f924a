// A local development account service: the two account endpoints over HTTPS on 127.0.0.1, with
// one demo user. It writes its CA certificate to a file so a build can trust it.
#include "CommandLine.h"
#include "DevAccountService.h"
#include "TlsTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv, QStringLiteral("Local development account service for Zeltrin Pilot"));
    QCommandLineParser &parser = cli.parser();
    QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1 (default 8443)."),
                               QStringLiteral("port"), QStringLiteral("8443"));
    QCommandLineOption dirOpt(QStringLiteral("state-dir"),
                              QStringLiteral("Where the certificates are kept (default ~/.local/share/zeltrin-dev-account-service)."),
                              QStringLiteral("dir"));
    parser.addOption(portOpt);
    parser.addOption(dirOpt);
    cli.parseOrExit(0);
    const int port = cli.wholeNumber(QStringLiteral("--port"), parser.value(portOpt));
    if (port < 0 || port > 65535)
        cli.fail(QStringLiteral("--port takes 0 (any free port) to 65535."));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dev-account-service"));

    const QString dir = parser.isSet(dirOpt)
        ? parser.value(dirOpt)
        : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zeltrin-dev-account-service");
    // The CA is made once and kept, so a build that trusts it keeps working across restarts.
    std::optional<TestCertificates> certs;
    if (QFile::exists(dir + QStringLiteral("/ca.crt")) && QFile::exists(dir + QStringLiteral("/server.crt"))) {
        TestCertificates c;
        c.caPath = dir + QStringLiteral("/ca.crt");
        const auto cas = QSslCertificate::fromPath(c.caPath);
        const auto servers = QSslCertificate::fromPath(dir + QStringLiteral("/server.crt"));
        QFile key(dir + QStringLiteral("/server.key"));
        if (!cas.isEmpty() && !servers.isEmpty() && key.open(QIODevice::ReadOnly)
            && servers.first().expiryDate() > QDateTime::currentDateTimeUtc().addDays(1)) {
            c.ca = cas.first();
            c.server = servers.first();
            c.serverKey = QSslKey(key.readAll(), QSsl::Ec, QSsl::Pem);
            if (!c.serverKey.isNull())
                certs = c;
        }
    }
    if (!certs)
        certs = TestCertificates::generate(dir, QStringLiteral("Zeltrin Dev Account Service CA"));
    if (!certs) {
        std::fprintf(stderr, "Could not create certificates in %s (is the openssl command installed?)\n", qPrintable(dir));
        return 1;
    }

    TlsTestServer server(*certs);
    DevAccountService service;
    // One line per request (method, path without query, status) so a developer or a script can
    // follow the exchange; headers and bodies carry the password and tokens and are never shown.
    server.setHandler([&service](const RecordedRequest &request) {
        const ScriptedReply reply = service.handle(request);
        auto printable = [](QByteArray s) {
            for (char &c : s)
                if (c < 0x21 || c > 0x7e)
                    c = '?';
            return s;
        };
        std::printf("%s %s %d\n", printable(request.method).constData(),
                    printable(request.path.split('?').value(0)).constData(), reply.status);
        std::fflush(stdout);
        return reply;
    });
    if (!server.listen(quint16(port))) {
        std::fprintf(stderr, "Could not listen on 127.0.0.1:%s\n", qPrintable(parser.value(portOpt)));
        return 1;
    }
    std::printf("Dev account service on %s\n"
                "  configure the app with:\n"
                "    -DZELTRIN_ACCOUNT_BASE_URL=%s -DZELTRIN_ACCOUNT_EXTRA_CA=%s\n"
                "  demo user: %s / %s\n",
                qPrintable(server.origin()), qPrintable(server.baseURL()), qPrintable(certs->caPath),
                DevAccountService::kDemoEmail, DevAccountService::kDemoPassword);
    std::fflush(stdout);
    return app.exec();
}
