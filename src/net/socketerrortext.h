#pragma once
// The system's text for a socket error as the user reads it: Qt's own text
// when its catalogue has the user's language, our Japanese text for the
// common failures when it speaks only English.
#include <QAbstractSocket>
#include <QString>

namespace vorq::net {

QString socketErrorText(QAbstractSocket::SocketError error, const QString &systemText);

}  // namespace vorq::net
