#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

// A host that is only a listener on a port the system chooses, speaking the
// wire protocol by hand to the one client that connects: tests watch what a
// joining copy sends and feed it what a host would.
class FakeHost
{
public:
    FakeHost() { m_server.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server.serverPort(); }
    QTcpSocket *peer()
    {
        if (!m_peer && m_server.hasPendingConnections()) {
            m_peer = m_server.nextPendingConnection();
            QObject::connect(m_peer, &QTcpSocket::readyRead, m_peer,
                             [this] { m_received += m_peer->readAll(); });
        }
        return m_peer;
    }
    void send(const QByteArray &message) { m_peer->write(message + '\xFF'); }
    // Whether the client sent this whole message, or this text anywhere.
    bool received(const QByteArray &message) const { return m_received.contains(message + '\xFF'); }
    bool receivedText(const QByteArray &text) const { return m_received.contains(text); }

private:
    QTcpServer m_server;
    QTcpSocket *m_peer = nullptr;
    QByteArray m_received;
};
