#include "lanbeacon.h"

#include "base/config.h"
#include "tserver.h"

#include <QDateTime>
#include <QNetworkInterface>

namespace velmora {

quint16 discoveryPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("VELMORA_DISCOVERY_PORT").toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : quint16(7773);
}

QList<QHostAddress> broadcastTargets()
{
    QList<QHostAddress> targets;
    if (qEnvironmentVariableIsSet("VELMORA_ANNOUNCE_TO")) {
        const QStringList names =
            qEnvironmentVariable("VELMORA_ANNOUNCE_TO").split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &name : names)
            if (QHostAddress address(name.trimmed()); !address.isNull())
                targets.append(address);
        return targets;
    }
    const auto needed = QNetworkInterface::IsUp | QNetworkInterface::IsRunning |
                        QNetworkInterface::CanBroadcast;
    for (const QNetworkInterface &face : QNetworkInterface::allInterfaces()) {
        if ((face.flags() & needed) != needed || (face.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : face.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull() && !targets.contains(entry.broadcast()))
                targets.append(entry.broadcast());
    }
    if (targets.isEmpty())
        targets.append(QHostAddress(QStringLiteral("127.255.255.255")));
    return targets;
}

QStringList localAddresses()
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            addresses.append(address.toString());
    return addresses;
}

TableDatagram describeTable(TServer &server, const QString &name)
{
    const HostEngine &engine = server.engine();
    TableDatagram table;
    table.name = name;
    table.port = server.listeningPort();
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (engine.connection(slot).inUse)
            ++(isSeat(slot) ? table.seatsTaken : table.watchers);
    table.gameRunning = engine.table().game().inProgress;
    table.version = QLatin1String(VersionText);
    return table;
}

LanBeacon::LanBeacon(Source source, QObject *parent) : QObject(parent), m_source(std::move(source))
{
    m_timer.setInterval(CheckMs);
    connect(&m_timer, &QTimer::timeout, this, &LanBeacon::tick);
    connect(&m_socket, &QUdpSocket::readyRead, this, &LanBeacon::readQuestions);
}

bool LanBeacon::start()
{
    const bool bound = m_socket.bind(QHostAddress::AnyIPv4, m_port,
                                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    m_timer.start();
    announce(m_source().write());
    return bound;
}

void LanBeacon::stop()
{
    m_timer.stop();
    m_socket.close();
}

void LanBeacon::tick()
{
    const QByteArray datagram = m_source().write();
    if (datagram != m_lastSent || m_sinceSent.hasExpired(IntervalMs))
        announce(datagram);
}

void LanBeacon::announce(const QByteArray &datagram)
{
    m_lastSent = datagram;
    m_sinceSent.start();
    for (const QHostAddress &target : std::as_const(m_targets))
        m_socket.writeDatagram(datagram, target, m_port);
}

void LanBeacon::readQuestions()
{
    while (m_socket.hasPendingDatagrams()) {
        QByteArray datagram(TableDatagram::MaxSize + 1, Qt::Uninitialized);
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size =
            m_socket.readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
        if (size < 0 || !TableDatagram::isQuery(datagram.left(size)) || senderPort == 0)
            continue;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - m_windowStart >= 1000) {
            m_windowStart = now;
            m_answersInWindow = 0;
        }
        if (++m_answersInWindow > AnswersPerSecond)
            continue;
        m_socket.writeDatagram(m_source().write(), sender, senderPort);
    }
}

} // namespace velmora
