#pragma once

#include "lan/tabledatagram.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

namespace velmora {

class TServer;

// The UDP port tables are announced on and asked for: 7773, or
// VELMORA_DISCOVERY_PORT when set (tests keep their own port that way).
quint16 discoveryPort();
// Where announcements and questions go: the broadcast address of every
// IPv4 network this machine is on, or 127.255.255.255 on a machine that is
// on none, so that copies on one computer still find each other.
// VELMORA_ANNOUNCE_TO (addresses separated by commas) replaces them; the
// tests keep their broadcasts on the loopback network with it.
QList<QHostAddress> broadcastTargets();

// This machine's IPv4 addresses that others on its networks can reach.
QStringList localAddresses();

// What the host tells the network about its table.
TableDatagram describeTable(TServer &server, const QString &name);

// A hosted table's voice on the local network: announces the table every
// IntervalMs to the broadcast targets, and within CheckMs when a seat is
// taken or left or a game starts, and answers a question at once, to
// whoever asked. It listens on the discovery port with a shared binding,
// as the join window of a copy on the same machine listens there too.
class LanBeacon : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 2000;
    static constexpr int CheckMs = 250;
    // A question costs us an answer; a flood of questions gets at most
    // this many a second.
    static constexpr int AnswersPerSecond = 20;

    using Source = std::function<TableDatagram()>;

    explicit LanBeacon(Source source, QObject *parent = nullptr);

    void setPort(quint16 port) { m_port = port; }
    void setTargets(QList<QHostAddress> targets) { m_targets = std::move(targets); }
    // Announces now and every IntervalMs. False when questions cannot be
    // heard (the port is not to be had); the announcements go out anyway.
    bool start();
    void stop();
    bool running() const { return m_timer.isActive(); }

private:
    void tick();
    void announce(const QByteArray &datagram);
    void readQuestions();

    Source m_source;
    quint16 m_port = discoveryPort();
    QList<QHostAddress> m_targets = broadcastTargets();
    QUdpSocket m_socket;
    QTimer m_timer;
    QByteArray m_lastSent;
    QElapsedTimer m_sinceSent;
    qint64 m_windowStart = 0;
    int m_answersInWindow = 0;
};

} // namespace velmora
