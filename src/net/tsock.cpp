#include "tsock.h"

#include "wsaerror.h"

#include <QHash>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netdb.h>

namespace velmora {

namespace {
constexpr qint64 ReceiveChunk = 32768;

// Host names resolved so far; never emptied while the program runs.
QHash<QString, QHostAddress> &hostCache()
{
    static QHash<QString, QHostAddress> cache;
    return cache;
}

bool startsWithDigit(const QString &text) { return !text.isEmpty() && text[0].isDigit(); }
} // namespace

const char *socketInfoName(TSocketInfo info)
{
    switch (info) {
    case TSocketInfo::Lookup: return "Lookup";
    case TSocketInfo::Connect: return "Connect";
    case TSocketInfo::Close: return "Close";
    case TSocketInfo::Listen: return "Listen";
    case TSocketInfo::Receive: return "Receive";
    case TSocketInfo::Send: return "Send";
    case TSocketInfo::Accept: return "Accept";
    case TSocketInfo::Error: return "Error";
    }
    return "";
}

TSock::TSock(QObject *parent) : QObject(parent) {}

TSock::~TSock()
{
    // Closing quietly: handlers must not run on a component being destroyed.
    OnInfo = nullptr;
    OnDisconnect = nullptr;
    releaseSocket();
}

void TSock::report(TSocketInfo info, const QString &message)
{
    if (!OnInfo)
        return;
    try {
        OnInfo(*this, info, message);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::setHostName(const QString &name)
{
    m_hostName = name;
    if (m_connected && SocketType == TSocketType::stStream)
        report(TSocketInfo::Lookup,
               QStringLiteral("Setting HostName While Connected Has No Effect"));
}

void TSock::setPortName(const QString &name)
{
    m_portName = name;
    if (m_connected)
        report(TSocketInfo::Lookup,
               QStringLiteral("Setting PortName While Connected Has No Effect"));
}

quint16 TSock::lookupPort(const QString &portName, TSocketType type)
{
    if (startsWithDigit(portName)) {
        bool ok = false;
        const uint port = portName.toUInt(&ok);
        if (!ok || port > 65535)
            throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
        return static_cast<quint16>(port);
    }
    // The system's service database; Qt has no interface to it.
    const QByteArray name = portName.toLocal8Bit();
    const servent *entry =
        getservbyname(name.constData(), type == TSocketType::stStream ? "tcp" : "udp");
    if (!entry)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(static_cast<quint16>(entry->s_port));
}

QHostAddress TSock::lookupHost(const QString &hostName)
{
    if (hostName.isEmpty())
        return QHostAddress(QHostAddress::AnyIPv4);
    if (startsWithDigit(hostName)) {
        // A dotted address is never resolved by name.
        QHostAddress address;
        if (!address.setAddress(hostName) || address.protocol() != QAbstractSocket::IPv4Protocol)
            throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
        return address;
    }
    auto &cache = hostCache();
    if (const auto it = cache.constFind(hostName); it != cache.constEnd())
        return *it;
    const QHostInfo info = QHostInfo::fromName(hostName);
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            cache.insert(hostName, address);
            return address;
        }
    }
    throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
}

void TSock::setListen(bool on)
{
    if (!on) {
        m_listening = false;
        Close();
        report(TSocketInfo::Listen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (m_listening) {
        report(TSocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }
    if (hasHandle()) {
        m_listening = false;
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    }
    m_server = new QTcpServer(this);
    report(TSocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + m_portName);
    const quint16 port = lookupPort(m_portName, SocketType);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        if (OnAccept)
            OnAccept(*this);
    });
    m_server->setListenBacklogSize(5);
    if (!m_server->listen(QHostAddress::AnyIPv4, port))
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    m_listening = true;
    report(TSocketInfo::Listen, QStringLiteral("Listening Started"));
}

quint16 TSock::localPort() const
{
    if (m_server)
        return m_server->serverPort();
    return m_tcp ? m_tcp->localPort() : 0;
}

qint64 TSock::pendingOutgoing() const
{
    return m_outgoing.size() + (m_tcp ? m_tcp->bytesToWrite() : 0);
}

bool TSock::Open()
{
    if (hasHandle())
        return m_connected;
    m_tcp = new QTcpSocket(this);
    try {
        report(TSocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + m_portName);
        const quint16 port = lookupPort(m_portName, SocketType);
        if (!m_hostName.isEmpty())
            report(TSocketInfo::Lookup, QStringLiteral("Lookup Of Host ") + m_hostName);
        const QHostAddress address = lookupHost(m_hostName);
        adopt(m_tcp);
        m_tcp->connectToHost(address, port);
    } catch (...) {
        // The handle exists, as after any failed attempt: Close clears it.
        throw;
    }
    return m_connected;
}

void TSock::adopt(QTcpSocket *socket)
{
    m_tcp = socket;
    socket->setParent(this);
    connect(socket, &QTcpSocket::connected, this, &TSock::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &TSock::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &TSock::onBytesWritten);
    connect(socket, &QTcpSocket::disconnected, this, &TSock::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A peer's orderly close arrives as the close notification, not as
        // an error.
        if (e != QAbstractSocket::RemoteHostClosedError)
            onError(wsaCodeFor(e));
    });
}

void TSock::onConnected()
{
    m_connected = true;
    report(TSocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
    if (OnConnect)
        OnConnect(*this);
    flushOutgoing();
}

void TSock::onReadyRead()
{
    if (!m_tcp)
        return;
    while (m_tcp->bytesAvailable() > 0) {
        const QByteArray chunk = m_tcp->read(ReceiveChunk);
        if (chunk.isEmpty())
            break;
        m_incoming.append(chunk);
    }
    report(TSocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
    if (OnRead)
        OnRead(*this, int(qMin<qsizetype>(m_incoming.size(), INT_MAX)));
}

void TSock::onBytesWritten()
{
    if (!m_outgoing.isEmpty())
        Send({});
    report(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (OnWrite)
        OnWrite(*this);
}

void TSock::onDisconnected()
{
    // Take what arrived with the close before telling anybody.
    if (m_tcp && m_tcp->bytesAvailable() > 0)
        onReadyRead();
    if (OnDisconnect)
        OnDisconnect(*this);
    Close();
}

void TSock::onError(int code) { report(TSocketInfo::Error, socketErrorText(code)); }

void TSock::flushOutgoing()
{
    if (!m_tcp || !m_connected || m_outgoing.isEmpty())
        return;
    m_tcp->write(m_outgoing);
    m_outgoing.clear();
}

bool TSock::Send(const QByteArray &bytes)
{
    if (!hasHandle())
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (m_listening || m_server)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    m_outgoing.append(bytes);
    if (m_outgoing.isEmpty())
        return true;
    report(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    // Once connected, Qt's own write buffer takes everything in order and
    // drains it as the network allows; before that the bytes wait here.
    flushOutgoing();
    return true;
}

QByteArray TSock::Receive()
{
    if (!hasHandle() && m_incoming.isEmpty())
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (m_listening)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    QByteArray bytes;
    bytes.swap(m_incoming);
    return bytes;
}

bool TSock::Accept(TSock *&newSock)
{
    if (!m_listening || !m_server)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (!socket) {
        report(TSocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    auto *sock = new TSock(this);
    sock->Blocking = Blocking;
    sock->BlockingTimeout = BlockingTimeout;
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    sock->adopt(socket);
    sock->m_connected = true;
    sock->setPortName(m_portName);
    sock->setHostName(socket->peerAddress().toString());
    // Data may already be waiting, and a peer may already have gone.
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, sock, &TSock::onReadyRead);
    if (socket->state() != QAbstractSocket::ConnectedState)
        QTimer::singleShot(0, sock, &TSock::onDisconnected);
    report(TSocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    newSock = sock;
    return true;
}

void TSock::releaseSocket()
{
    if (m_tcp) {
        QTcpSocket *socket = m_tcp;
        m_tcp = nullptr;
        disconnect(socket, nullptr, this, nullptr);
        // Let what is queued leave before the close; the socket then deletes
        // itself, outliving this component if need be.
        socket->setParent(nullptr);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->flush();
        socket->disconnectFromHost();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
        else
            QTimer::singleShot(5000, socket, [socket] {
                socket->abort();
                socket->deleteLater();
            });
    }
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}

bool TSock::Close()
{
    const bool had = hasHandle();
    const bool wasListening = m_listening;
    try {
        releaseSocket();
        m_connected = false;
        m_outgoing.clear();
        if (!wasListening)
            report(TSocketInfo::Close, QStringLiteral("Socket Closed"));
    } catch (...) {
        // Whatever a handler raised during the close is swallowed here.
    }
    m_listening = false;
    return had;
}

} // namespace velmora
