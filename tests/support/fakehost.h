#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// The other end of a connection, speaking the wire protocol by hand.
class Peer
{
public:
    explicit Peer(QTcpSocket *socket) : m_socket(socket)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this] { m_received += m_socket->readAll(); });
    }
    void send(const QByteArray &message) { m_socket->write(message + '\xFF'); }
    // Whether this whole message came, how often, or this text anywhere.
    bool received(const QByteArray &message) const { return m_received.contains(message + '\xFF'); }
    qsizetype count(const QByteArray &message) const { return m_received.count(message + '\xFF'); }
    bool receivedText(const QByteArray &text) const { return m_received.contains(text); }
    QTcpSocket *socket() const { return m_socket; }

private:
    QTcpSocket *m_socket;
    QByteArray m_received;
};

// A host that is only a listener on a loopback port the system chooses:
// tests watch what a joining copy sends and feed it what a host would. The
// one client that connects is its peer.
class FakeHost
{
public:
    FakeHost() { m_server.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server.serverPort(); }
    Peer *peer()
    {
        if (!m_peer && m_server.hasPendingConnections())
            m_peer = std::make_unique<Peer>(m_server.nextPendingConnection());
        return m_peer.get();
    }
    void send(const QByteArray &message) { peer()->send(message); }
    bool received(const QByteArray &message) { return peer() && peer()->received(message); }
    bool receivedText(const QByteArray &text) { return peer() && peer()->receivedText(text); }

private:
    QTcpServer m_server;
    std::unique_ptr<Peer> m_peer;
};
