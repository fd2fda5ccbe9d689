// Socket error texts: Qt's translated text is kept, the common failures get
// Japanese texts when Qt speaks only English, the rest keep Qt's text.
#include <gtest/gtest.h>

#include "net/socketerrortext.h"

using vorq::net::socketErrorText;

TEST(SocketErrorText, CommonFailuresInJapaneseTranslatedTextsKept) {
    EXPECT_EQ(socketErrorText(QAbstractSocket::HostNotFoundError, QStringLiteral("Host not found")),
              QStringLiteral("ホストが見つかりません"));
    EXPECT_EQ(socketErrorText(QAbstractSocket::ConnectionRefusedError, QStringLiteral("Connection refused")),
              QStringLiteral("接続を拒否されました"));
    EXPECT_EQ(
        socketErrorText(QAbstractSocket::RemoteHostClosedError, QStringLiteral("The remote host closed")),
        QStringLiteral("接続が相手側から切断されました"));
    EXPECT_EQ(socketErrorText(QAbstractSocket::SocketTimeoutError, QString()),
              QStringLiteral("接続がタイムアウトしました"));
    // A translation the system has wins; uncommon errors keep the system's text.
    EXPECT_EQ(socketErrorText(QAbstractSocket::HostNotFoundError, QStringLiteral("Hôte introuvable")),
              QStringLiteral("Hôte introuvable"));
    EXPECT_EQ(socketErrorText(QAbstractSocket::AddressInUseError, QStringLiteral("Address in use")),
              QStringLiteral("Address in use"));
}
