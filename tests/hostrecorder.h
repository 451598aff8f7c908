#pragma once

#include "host/hostengine.h"

#include <QByteArray>
#include <QList>

namespace velmora {

// Stands in for the host's sockets and timers: keeps what the engine sends
// to one slot and notes which timers it armed, so that a test or benchmark
// can play a whole game by firing them itself.
class HostRecorder : public HostEngine::Output
{
public:
    explicit HostRecorder(int slot) : m_slot(slot) {}
    QList<QByteArray> messages;
    bool computerArmed = false;
    bool roundOverArmed = false;

    void send(int slot, const QByteArray &message) override
    {
        if (slot == m_slot)
            messages.append(message);
    }
    void closeSlot(int) override {}
    void timer(HostEngine::Timer request) override
    {
        switch (request) {
        case HostEngine::Timer::ComputerWithBotInterval:
        case HostEngine::Timer::ComputerUnchanged: computerArmed = true; break;
        case HostEngine::Timer::StopComputer: computerArmed = false; break;
        case HostEngine::Timer::StartRoundOver: roundOverArmed = true; break;
        case HostEngine::Timer::StopRoundOver: roundOverArmed = false; break;
        }
    }

    // A built request as the engine takes it: without its terminator.
    static QByteArray request(QByteArray message)
    {
        message.chop(1);
        return message;
    }

private:
    int m_slot;
};

} // namespace velmora
