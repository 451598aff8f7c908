#include "tserver.h"

#include "base/config.h"

#include <algorithm>
#include <chrono>

namespace velmora {

TServer::TServer(Random &random, QObject *parent)
    : QObject(parent), m_engine(*this, random, VersionText), m_loginDeadlineMs(loginDeadlineMs())
{
    m_sock1 = new TSock(this);
    m_sock1->setPortName(gamePort());
    // Every connection takes this from the listener.
    m_sock1->setPendingLimit(OutgoingLimit);
    connect(m_sock1, &TSock::pendingConnection, this, &TServer::Sock1Accept);

    // The queues are drained one message per 10 ms tick. A message that
    // finds the host idle is handled at once and starts the timer, which
    // then keeps the pace and stops after a tick that found nothing, so an
    // idle table costs nothing and never makes a request wait.
    m_socktimer.setInterval(10);
    m_socktimer.setTimerType(Qt::PreciseTimer);
    connect(&m_socktimer, &QTimer::timeout, this, &TServer::socktimerTimer);
    m_computertimer.setSingleShot(true);
    m_computertimer.setInterval(1500);
    connect(&m_computertimer, &QTimer::timeout, this, &TServer::computertimerTimer);
    m_roundovertimer.setSingleShot(true);
    m_roundovertimer.setInterval(RoundPauseMs);
    connect(&m_roundovertimer, &QTimer::timeout, this, &TServer::roundovertimerTimer);
    m_turntimer.setSingleShot(true);
    m_turntimer.setTimerType(Qt::PreciseTimer);
    connect(&m_turntimer, &QTimer::timeout, this, [this] { m_engine.turnClockFired(); });
}

void TServer::startTurnClock(qint64 ms)
{
    m_turntimer.start(std::chrono::milliseconds(std::max<qint64>(ms, 0)));
}

void TServer::setPortName(const QString &port) { m_sock1->setPortName(port); }

void TServer::startListening()
{
    m_sock1->setListen(true);
    emit logLine(QStringLiteral("listening on port %1").arg(m_sock1->localPort()));
}

void TServer::stopListening()
{
    for (int slot = 1; slot <= HostEngine::TurnedAwaySlot; ++slot)
        if (m_socks[slot])
            m_socks[slot]->Close();
    if (m_sock1->listen())
        m_sock1->setListen(false);
}

bool TServer::isListening() const { return m_sock1->listen(); }

quint16 TServer::listeningPort() const { return m_sock1->localPort(); }

void TServer::disconnectsock(int slot) { m_engine.disconnectSock(slot); }

TSock *TServer::slotSock(int slot) const
{
    return slot >= 1 && slot <= HostEngine::TurnedAwaySlot ? m_socks[slot] : nullptr;
}

void TServer::Sock1Accept()
{
    TSock *sock = m_sock1->Accept();
    if (!sock)
        return;
    if (const ArrivalLimit::Verdict verdict = m_arrivals.admit(QHostAddress(sock->hostName()));
        verdict != ArrivalLimit::Verdict::Admitted) {
        if (verdict == ArrivalLimit::Verdict::Refused)
            emit logLine(QStringLiteral("connections from %1 turned away: more than %2 a minute")
                             .arg(sock->hostName())
                             .arg(ArrivalLimit::PerWindow));
        // Nothing is said and nothing is heard of it again.
        sock->disconnect(this);
        sock->Close();
        sock->deleteLater();
        return;
    }
    const int slot = m_engine.acceptSlot();
    if (TSock *old = m_socks[slot]) {
        // A connection the engine gave up without hearing of its close.
        disconnect(old, nullptr, this, nullptr);
        old->deleteLater();
    }
    m_socks[slot] = sock;
    m_framers[slot].clear();
    connect(sock, &TSock::received, this,
            [this, sock, slot](const QByteArray &bytes) { Sock1Read(sock, slot, bytes); });
    connect(sock, &TSock::closed, this,
            [this, sock, slot](TSock::CloseReason reason) { tempsockClose(sock, slot, reason); });
    if (slot == HostEngine::TurnedAwaySlot)
        emit logLine(
            QStringLiteral("connection from %1 turned away: table full").arg(sock->hostName()));
    else
        emit logLine(
            QStringLiteral("connection from %1 is player %2").arg(sock->hostName()).arg(slot));
    m_engine.connected(slot);
    // Real copies log in at once; a connection that does not only holds a
    // slot that a player could have. The timer goes with the connection.
    if (slot <= SlotCount && m_loginDeadlineMs > 0) {
        QTimer::singleShot(m_loginDeadlineMs, Qt::PreciseTimer, sock, [this, sock, slot] {
            if (slotSock(slot) != sock || m_engine.connection(slot).loggedIn)
                return;
            emit logLine(QStringLiteral("player %1 did not log in in time; closing").arg(slot));
            sock->Close();
        });
    }
}

void TServer::Sock1Read(TSock *sock, int slot, const QByteArray &bytes)
{
    if (slotSock(slot) != sock)
        return;
    QList<QByteArray> messages;
    const bool ok = m_framers[slot].feed(bytes, messages);
    if (slot > SlotCount)
        return;
    for (const QByteArray &message : messages)
        if (!m_engine.received(slot, message))
            return; // the slot is gone: over its queue limit, or no longer in use
    if (!ok) {
        emit logLine(QStringLiteral("player %1 sent an oversized message; closing").arg(slot));
        sock->Close();
        return;
    }
    dispatchIfIdle();
}

void TServer::dispatchIfIdle()
{
    if (m_socktimer.isActive() || !m_engine.hasQueued())
        return;
    m_engine.dispatchOne();
    m_socktimer.start();
}

void TServer::tempsockClose(TSock *sock, int slot, TSock::CloseReason reason)
{
    // The slot may already hold its next connection: only its own counts.
    if (slotSock(slot) != sock)
        return;
    m_socks[slot] = nullptr;
    m_framers[slot].clear();
    sock->deleteLater();
    if (reason == TSock::CloseReason::TooMuchPending)
        emit logLine(QStringLiteral("player %1 is not reading; closing").arg(slot));
    if (slot <= SlotCount && m_engine.connection(slot).inUse) {
        const QString error = sock->errorText();
        emit logLine(error.isEmpty() ? QStringLiteral("player %1 left").arg(slot)
                                     : QStringLiteral("player %1 left: %2").arg(slot).arg(error));
    }
    m_engine.closed(slot);
}

void TServer::socktimerTimer()
{
    if (!m_engine.dispatchOne())
        m_socktimer.stop();
}

void TServer::computertimerTimer() { m_engine.computerTimerFired(); }

void TServer::roundovertimerTimer() { m_engine.roundOverTimerFired(); }

void TServer::send(int slot, const QByteArray &message)
{
    if (TSock *sock = slotSock(slot); sock && sock->hasHandle())
        sock->Send(message);
}

void TServer::closeSlot(int slot)
{
    if (TSock *sock = slotSock(slot))
        sock->Close();
}

void TServer::timer(HostEngine::Timer request)
{
    switch (request) {
    case HostEngine::Timer::ComputerWithBotInterval: {
        // Changing the interval restarts the timer; the same interval leaves
        // a running timer running.
        const int interval = m_botInterval();
        if (interval != m_computertimer.interval() || !m_computertimer.isActive())
            m_computertimer.start(interval);
        break;
    }
    case HostEngine::Timer::ComputerUnchanged:
        if (!m_computertimer.isActive())
            m_computertimer.start();
        break;
    case HostEngine::Timer::StopComputer: m_computertimer.stop(); break;
    case HostEngine::Timer::StartRoundOver:
        if (!m_roundovertimer.isActive())
            m_roundovertimer.start();
        break;
    case HostEngine::Timer::StopRoundOver: m_roundovertimer.stop(); break;
    }
}

} // namespace velmora
