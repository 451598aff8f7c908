#include "lanlistener.h"

#include "lanbeacon.h"

#include <QElapsedTimer>

namespace velmora {

LanListener::LanListener(QObject *parent)
    : QObject(parent), m_port(discoveryPort()), m_targets(broadcastTargets())
{
    m_clock = [] {
        static QElapsedTimer steady = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return steady.elapsed();
    };
    m_expiry.setInterval(1000);
    connect(&m_expiry, &QTimer::timeout, this, &LanListener::expire);
    connect(&m_listen, &QUdpSocket::readyRead, this, [this] { readFrom(m_listen); });
    connect(&m_ask, &QUdpSocket::readyRead, this, [this] { readFrom(m_ask); });
}

bool LanListener::start()
{
    const bool bound = m_listen.bind(QHostAddress::AnyIPv4, m_port,
                                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    m_ask.bind(QHostAddress::AnyIPv4, 0);
    m_expiry.start();
    ask();
    return bound;
}

void LanListener::stop()
{
    m_expiry.stop();
    m_listen.close();
    m_ask.close();
}

void LanListener::ask()
{
    const QByteArray question = TableDatagram::query();
    for (const QHostAddress &target : std::as_const(m_targets))
        m_ask.writeDatagram(question, target, m_port);
}

void LanListener::expire()
{
    if (m_tables.expire(m_clock()))
        emit changed();
}

void LanListener::readFrom(QUdpSocket &socket)
{
    bool changedAny = false;
    while (socket.hasPendingDatagrams()) {
        // One byte more than a table can be, so that a longer datagram is
        // seen whole as too long rather than read cut short.
        QByteArray datagram(TableDatagram::MaxSize + 1, Qt::Uninitialized);
        QHostAddress sender;
        const qint64 size = socket.readDatagram(datagram.data(), datagram.size(), &sender);
        if (size < 0)
            continue;
        datagram.truncate(size);
        const std::optional<TableDatagram> table = TableDatagram::read(datagram);
        bool isV4 = false;
        const quint32 v4 = sender.toIPv4Address(&isV4);
        if (!table || !isV4)
            continue;
        changedAny |= m_tables.heard(QHostAddress(v4).toString(), *table, m_clock());
    }
    if (changedAny)
        emit changed();
}

} // namespace velmora
