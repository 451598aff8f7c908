#include "wsaerror.h"

namespace velmora {

const char *wsaErrorName(int code)
{
    switch (code) {
    case 10004: return "WSAEINTR";
    case 10009: return "WSAEBADF";
    case 10013: return "WSAEACCES";
    case 10014: return "WSAEFAULT";
    case 10022: return "WSAEINVAL";
    case 10024: return "WSAEMFILE";
    case 10035: return "WSAEWOULDBLOCK";
    case 10036: return "WSAEINPROGRESS";
    case 10037: return "WSAEALREADY";
    case 10038: return "WSAENOTSOCK";
    case 10039: return "WSAEDESTADDRREQ";
    case 10040: return "WSAEMSGSIZE";
    case 10041: return "WSAEPROTOTYPE";
    case 10042: return "WSAENOPROTOOPT";
    case 10043: return "WSAEPROTONOSUPPORT";
    case 10044: return "WSAESOCKTNOSUPPORT";
    case 10045: return "WSAEOPNOTSUPP";
    case 10046: return "WSAEPFNOSUPPORT";
    case 10047: return "WSAEAFNOSUPPORT";
    case 10048: return "WSAEADDRINUSE";
    case 10049: return "WSAEADDRNOTAVAIL";
    case 10050: return "WSAENETDOWN";
    case 10051: return "WSAENETUNREACH";
    case 10052: return "WSAENETRESET";
    case 10053: return "WSAECONNABORTED";
    case 10054: return "WSAECONNRESET";
    case 10055: return "WSAENOBUFS";
    case 10056: return "WSAEISCONN";
    case 10057: return "WSAENOTCONN";
    case 10058: return "WSAESHUTDOWN";
    case 10059: return "WSAETOOMANYREFS";
    case 10060: return "WSAETIMEDOUT";
    case 10061: return "WSAECONNREFUSED";
    case 10062: return "WSAELOOP";
    case 10063: return "WSAENAMETOOLONG";
    case 10064: return "WSAEHOSTDOWN";
    case 10065: return "WSAEHOSTUNREACH";
    case 10066: return "WSAENOTEMPTY";
    case 10067: return "WSAEPROCLIM";
    case 10068: return "WSAEUSERS";
    case 10069: return "WSAEDQUOT";
    case 10070: return "WSAESTALE";
    case 10071: return "WSAEREMOTE";
    case 10091: return "WSASYSNOTREADY";
    case 10092: return "WSAVERNOTSUPPORTED";
    case 10093: return "WSANOTINITIALISED";
    case 10101: return "WSAEDISCON";
    case 11001: return "WSAHOST_NOT_FOUND";
    case 11002: return "WSATRY_AGAIN";
    case 11003: return "WSANO_RECOVERY";
    case 11004: return "WSANO_DATA";
    default: return "UNKNOWN ERROR";
    }
}

int wsaCodeFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    case QAbstractSocket::TemporaryError: return 10035;
    case QAbstractSocket::OperationError: return 10022;
    default: return 10000 + 999; // no classic code fits: reported as UNKNOWN ERROR
    }
}

QString socketErrorText(int code)
{
    return QStringLiteral("Error #%1 (%2)").arg(code).arg(QLatin1String(wsaErrorName(code)));
}

} // namespace velmora
