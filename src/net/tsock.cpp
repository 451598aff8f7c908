#include "tsock.h"

#include "wsaerror.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "base/config.h"

#include <algorithm>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace velmora {

namespace {

bool startsWithDigit(const QString &text) { return !text.isEmpty() && text[0].isDigit(); }

// A closing socket gets this long to hand over what is queued.
constexpr int LingerMs = 5000;

// Without keepalive a peer that vanished without a word is waited for as
// long as we send nothing, and with the system's keepalive timers for over
// two hours. Qt switches keepalive on but has no setting for its timers or
// for the limit on unacknowledged data, so those go to the descriptor. The
// first probe goes out after 2/5 of the time, then one every 1/5; the user
// timeout ends the connection at the full time, whether it is silent (the
// probes go unanswered) or sending (its data is not acknowledged).
void watchForDeadLink(QTcpSocket *socket, int seconds)
{
    if (seconds <= 0)
        return;
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = int(socket->socketDescriptor());
    if (fd < 0)
        return;
    const int idle = std::max(1, seconds * 2 / 5);
    const int interval = std::max(1, seconds / 5);
    const int probes = 3;
    const unsigned userTimeoutMs = unsigned(seconds) * 1000;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

} // namespace

TSock::TSock(QObject *parent) : QObject(parent), m_deadLinkSeconds(velmora::deadLinkSeconds()) {}

TSock::~TSock() { releaseSocket(); }

quint16 TSock::lookupPort(const QString &portName)
{
    if (startsWithDigit(portName)) {
        bool ok = false;
        const uint port = portName.toUInt(&ok);
        if (!ok || port > 65535)
            throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
        return static_cast<quint16>(port);
    }
    // The system's service database (a local file); Qt has no interface to it.
    const QByteArray name = portName.toLocal8Bit();
    const servent *entry = getservbyname(name.constData(), "tcp");
    if (!entry)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(static_cast<quint16>(entry->s_port));
}

void TSock::setListen(bool on)
{
    if (!on) {
        m_listening = false;
        Close();
        return;
    }
    if (m_listening)
        return;
    if (hasHandle())
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    const quint16 port = lookupPort(m_portName);
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &TSock::pendingConnection);
    m_server->setListenBacklogSize(5);
    if (!m_server->listen(QHostAddress::AnyIPv4, port))
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    m_listening = true;
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
        return isConnected();
    const quint16 port = lookupPort(m_portName);
    QHostAddress address(QHostAddress::AnyIPv4);
    if (startsWithDigit(m_hostName)) {
        // A dotted address is never resolved by name.
        if (!address.setAddress(m_hostName) || address.protocol() != QAbstractSocket::IPv4Protocol)
            throw ESockException(hostNotFoundText());
    }
    adopt(new QTcpSocket(this));
    m_state = State::Connecting;
    if (m_hostName.isEmpty() || startsWithDigit(m_hostName))
        m_tcp->connectToHost(address, port);
    else
        m_tcp->connectToHost(m_hostName, port, QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
    return false;
}

void TSock::adopt(QTcpSocket *socket)
{
    m_tcp = socket;
    m_errorText.clear();
    m_errorReason = CloseReason::PeerClosed;
    socket->setParent(this);
    connect(socket, &QTcpSocket::connected, this, &TSock::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &TSock::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &TSock::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &TSock::onError);
}

void TSock::onConnected()
{
    m_state = State::Connected;
    watchForDeadLink(m_tcp, m_deadLinkSeconds);
    flushOutgoing();
    emit connected();
}

void TSock::onReadyRead()
{
    if (!m_tcp)
        return;
    const QByteArray bytes = m_tcp->readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void TSock::onError(QAbstractSocket::SocketError error)
{
    // Qt reports a reset like an orderly close, and a timeout of the link
    // like any other failure; the system's own error, still set when Qt
    // reports (it closes the descriptor first, which leaves errno alone),
    // tells them apart.
    const int systemError = errno;
    errno = 0; // so that it cannot mislead about the next socket
    const bool attempt = m_state == State::Connecting;
    int code = wsaCodeFor(error);
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        if (systemError == ECONNRESET || systemError == EPIPE)
            m_errorReason = CloseReason::Reset;
        else
            m_errorReason = CloseReason::PeerClosed;
        break;
    case QAbstractSocket::SocketTimeoutError: m_errorReason = CloseReason::TimedOut; break;
    case QAbstractSocket::ConnectionRefusedError: m_errorReason = CloseReason::Refused; break;
    case QAbstractSocket::HostNotFoundError: m_errorReason = CloseReason::HostNotFound; break;
    default:
        if (systemError == ETIMEDOUT) {
            m_errorReason = CloseReason::TimedOut;
            code = wsaCodeFor(QAbstractSocket::SocketTimeoutError);
        } else {
            m_errorReason = attempt ? CloseReason::Refused : CloseReason::Reset;
        }
        break;
    }
    m_errorText = m_errorReason == CloseReason::PeerClosed ? QString() : socketErrorText(code);

    // A connection that was made ends with Qt's `disconnected`, which
    // follows; an attempt ends here once Qt has no address left to try.
    if (attempt && m_tcp && m_tcp->state() == QAbstractSocket::UnconnectedState) {
        // The handle stays until Close, so that Open starts nothing new.
        m_state = State::Failed;
        m_outgoing.clear();
        emit closed(m_errorReason);
    }
}

void TSock::onDisconnected()
{
    if (m_state != State::Connected)
        return;
    // What arrived with the close goes out before the close does.
    onReadyRead();
    if (m_state == State::Connected)
        finish(m_errorReason);
}

void TSock::finish(CloseReason reason)
{
    releaseSocket();
    m_state = State::Idle;
    m_outgoing.clear();
    emit closed(reason);
}

void TSock::flushOutgoing()
{
    if (!m_tcp || m_state != State::Connected || m_outgoing.isEmpty())
        return;
    m_tcp->write(m_outgoing);
    m_outgoing.clear();
}

bool TSock::Send(const QByteArray &bytes)
{
    if (!hasHandle())
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (m_server)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    if (m_state == State::Failed)
        return true; // like bytes handed to a connection that is gone
    // Once connected, Qt's own write buffer takes everything in order and
    // drains it as the network allows; before that the bytes wait here.
    m_outgoing.append(bytes);
    flushOutgoing();
    if (m_pendingLimit > 0 && pendingOutgoing() > m_pendingLimit) {
        // Not from inside Send: a caller that is sending to many finishes
        // first. The same connection may pass the limit again meanwhile.
        QTimer::singleShot(0, this, [this, socket = m_tcp] {
            if (m_tcp == socket && m_state != State::Idle)
                finish(CloseReason::TooMuchPending);
        });
    }
    return true;
}

TSock *TSock::Accept()
{
    if (!m_listening || !m_server)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return nullptr;
    auto *sock = new TSock(this);
    sock->m_portName = m_portName;
    sock->m_hostName = socket->peerAddress().toString();
    sock->m_pendingLimit = m_pendingLimit;
    sock->m_deadLinkSeconds = m_deadLinkSeconds;
    sock->adopt(socket);
    watchForDeadLink(socket, m_deadLinkSeconds);
    sock->m_state = State::Connected;
    // Data may already be waiting, and a peer may already have gone; the
    // new owner connects to the signals first.
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, sock, &TSock::onReadyRead);
    if (socket->state() != QAbstractSocket::ConnectedState)
        QTimer::singleShot(0, sock, &TSock::onDisconnected);
    return sock;
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
            QTimer::singleShot(LingerMs, socket, [socket] {
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
    const bool running = m_state == State::Connecting || m_state == State::Connected;
    m_listening = false;
    if (running) {
        m_errorText.clear();
        finish(CloseReason::LocalClose);
        return had;
    }
    releaseSocket();
    m_state = State::Idle;
    m_outgoing.clear();
    return had;
}

} // namespace velmora
