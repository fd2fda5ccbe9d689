#include "clicommon.h"
#include "httpclient.h"
#include "sjistext.h"

namespace {

// "HOST:PORT" (or "HOST", meaning port 80) for SetProxy.
void setProxyFromOption(const QString &value) {
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? value : value.left(colon);
    int port = 0;
    if (colon >= 0) {
        bool ok = false;
        port = value.mid(colon + 1).toInt(&ok);
        if (!ok || port < 0 || port > 65535)
            throw vorq::cli::UsageError(QStringLiteral("--proxy needs HOST:PORT, got %1").arg(value));
    }
    if (host.isEmpty())
        throw vorq::cli::UsageError(QStringLiteral("--proxy needs HOST:PORT, got %1").arg(value));
    vorq::net::SetProxy(vorq::sjis::fromUnicode(host), port);
}

}  // namespace

int cmdFetch(const QStringList &args) {
    const vorq::cli::Args a = vorq::cli::parseArgs(args, {QStringLiteral("proxy")}, {});
    if (a.positional.size() != 1) throw vorq::cli::UsageError(QStringLiteral("fetch needs one URL"));
    const QByteArray url = vorq::sjis::fromUnicode(a.positional.first());
    if (a.has(QStringLiteral("proxy"))) setProxyFromOption(a.value(QStringLiteral("proxy")));
    // The client's messages use CR LF between their lines; a terminal wants LF.
    vorq::net::setErrorReporter([](const QString &message) {
        QString text = message;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        vorq::cli::printError(QStringLiteral("vorq: ") + text);
    });
    const QByteArray body = vorq::net::GetUrl(url);
    if (!vorq::net::lastErrorMessage().isEmpty()) return 1;
    vorq::cli::writeRaw(body);
    return 0;
}

int cmdImport(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
