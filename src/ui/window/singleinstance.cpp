#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace velmora {

namespace {
constexpr int WaitMs = 1000;
}

SingleInstance::SingleInstance(QString name, QObject *parent)
    : QObject(parent), m_name(std::move(name))
{
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Nobody answered handOver, so the name is a leftover.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            // The request carries nothing we need; its arrival is the message.
            connect(peer, &QLocalSocket::readyRead, peer, [peer] { peer->readAll(); });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            emit activateRequested();
        }
    });
    return true;
}

void SingleInstance::release()
{
    if (m_server)
        m_server->close();
}

} // namespace velmora
