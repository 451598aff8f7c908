#pragma once

#include "arrivallimit.h"
#include "host/hostengine.h"
#include "protocol/framer.h"
#include "protocol/table.h"
#include "tsock.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

namespace velmora {

class Random;

// The host as the program runs it: the listening endpoint Sock1, one
// connection per slot, the receive queue's dispatch timer, the computer,
// round-over and turn timers. It cuts received bytes into messages and
// carries out what the HostEngine decides; the rules live there.
//
// It keeps out who would hold the table up without playing: a connection
// that has not logged in within the login deadline is closed, and an
// address that comes too often is turned away before it takes a slot.
//
// The connections belong to Sock1 (their QObject parent); a connection
// that has closed leaves its slot at once and is deleted later.
class TServer : public QObject, private HostEngine::Output
{
    Q_OBJECT
public:
    // A connection that stops reading while we keep writing to it is cut
    // off once this much waits for it.
    static constexpr qint64 OutgoingLimit = 4 * 1024 * 1024;

    explicit TServer(Random &random, QObject *parent = nullptr);

    // Listening: port "7772" unless VELMORA_PORT or setPortName says
    // otherwise. Raises ESockException when the port cannot be had.
    void setPortName(const QString &port);
    void startListening();
    void stopListening();
    bool isListening() const;
    quint16 listeningPort() const;

    // The hosting user's "Remove From Game".
    void disconnectsock(int slot);

    // The computer players' pace, read each time it is applied.
    void setBotInterval(std::function<int()> interval) { m_botInterval = std::move(interval); }
    void setRoundPause(int ms) { m_roundovertimer.setInterval(ms); }
    void setSlotOneIsHost(bool hosted) { m_engine.setSlotOneIsHost(hosted); }
    // How long a person may take over a turn, in seconds; 0: no limit.
    void setTurnLimit(int seconds) { m_engine.setTurnLimit(qint64(seconds) * 1000); }
    // Applies to connections accepted from now on.
    void setLoginDeadline(int ms) { m_loginDeadlineMs = ms; }
    void setDeadLinkSeconds(int seconds) { m_sock1->setDeadLinkSeconds(seconds); }
    ArrivalLimit &arrivalLimit() { return m_arrivals; }

    HostEngine &engine() { return m_engine; }
    int computerInterval() const { return m_computertimer.interval(); }
    bool computerTimerActive() const { return m_computertimer.isActive(); }

signals:
    // One line for the log: listening, connections, departures, dropped
    // requests.
    void logLine(const QString &line);

private:
    // HostEngine::Output
    void send(int slot, const QByteArray &message) override;
    void closeSlot(int slot) override;
    void timer(HostEngine::Timer request) override;
    void log(const QString &line) override { emit logLine(line); }
    void startTurnClock(qint64 ms) override;
    void stopTurnClock() override { m_turntimer.stop(); }

    void Sock1Accept();
    void Sock1Read(TSock *sock, int slot, const QByteArray &bytes);
    void tempsockClose(TSock *sock, int slot, TSock::CloseReason reason);
    void socktimerTimer();
    void dispatchIfIdle();
    void computertimerTimer();
    void roundovertimerTimer();
    TSock *slotSock(int slot) const;

    HostEngine m_engine;
    TSock *m_sock1 = nullptr;
    std::array<TSock *, HostEngine::TurnedAwaySlot + 1> m_socks{};
    std::array<Framer, HostEngine::TurnedAwaySlot + 1> m_framers{};
    QTimer m_socktimer;
    QTimer m_computertimer;
    QTimer m_roundovertimer;
    QTimer m_turntimer;
    std::function<int()> m_botInterval = [] { return BotIntervalMs; };
    int m_loginDeadlineMs;
    ArrivalLimit m_arrivals;
};

} // namespace velmora
