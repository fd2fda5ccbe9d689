#include "net/socketerrortext.h"

namespace vorq::net {

namespace {

// Qt's untranslated texts are plain ASCII; a translated one is not.
bool isUntranslated(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7E) return false;
    return true;
}

}  // namespace

QString socketErrorText(QAbstractSocket::SocketError error, const QString &systemText) {
    if (!systemText.isEmpty() && !isUntranslated(systemText)) return systemText;
    switch (error) {
        case QAbstractSocket::HostNotFoundError: return QStringLiteral("ホストが見つかりません");
        case QAbstractSocket::ConnectionRefusedError: return QStringLiteral("接続を拒否されました");
        case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("接続が相手側から切断されました");
        case QAbstractSocket::SocketTimeoutError: return QStringLiteral("接続がタイムアウトしました");
        default: return systemText;
    }
}

}  // namespace vorq::net
