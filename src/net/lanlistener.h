#pragma once

#include "lan/lantables.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

namespace velmora {

// Hears the tables announced on the local network and keeps their list.
// It listens on the discovery port with a shared binding, so every copy on
// a machine hears the announcements, and asks from a port of its own, so
// that the answers come back to it alone. What cannot be read is dropped.
class LanListener : public QObject
{
    Q_OBJECT
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<qint64()>;

    explicit LanListener(QObject *parent = nullptr);

    void setPort(quint16 port) { m_port = port; }
    void setTargets(QList<QHostAddress> targets) { m_targets = std::move(targets); }
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Listens and asks once. False when the discovery port is not to be
    // had; the answers to the question still arrive.
    bool start();
    void stop();
    // Asks every table to announce itself now.
    void ask();
    // Drops the tables gone silent (also run every second).
    void expire();

    const LanTables &tables() const { return m_tables; }

signals:
    void changed();

private:
    void readFrom(QUdpSocket &socket);

    quint16 m_port;
    QList<QHostAddress> m_targets;
    Clock m_clock;
    QUdpSocket m_listen;
    QUdpSocket m_ask;
    QTimer m_expiry;
    LanTables m_tables;
};

} // namespace velmora
