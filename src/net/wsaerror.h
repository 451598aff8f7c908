#pragma once

#include <QAbstractSocket>
#include <QString>

namespace velmora {

// Socket errors are reported in one form on every platform: "Error #" + code
// + " (" + name + ")", with the classic Windows Sockets codes and names
// (a refused connection is 10061, "WSAECONNREFUSED"), so that what players
// report reads the same everywhere.
const char *wsaErrorName(int code);
int wsaCodeFor(QAbstractSocket::SocketError error);
QString socketErrorText(int code);

} // namespace velmora
