#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>

#include <deque>
#include <functional>
#include <optional>

namespace velmora {

// How often one remote address may come to the table: a script that joins
// and leaves again and again would otherwise fill every player's chat with
// arrivals and departures. At most PerWindow connections from one address
// are let in within any WindowMs; more are turned away before they take a
// slot. Exempt addresses (loopback: the hosting copy's own connection and
// tests) are never counted.
class ArrivalLimit
{
public:
    static constexpr int PerWindow = 6;
    static constexpr qint64 WindowMs = 60000;

    using Clock = std::function<qint64()>;

    ArrivalLimit();

    // Tests set the time and the exempt addresses (by default every
    // loopback address).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setExempt(QList<QHostAddress> addresses) { m_exempt = std::move(addresses); }

    enum class Verdict {
        Admitted,
        Refused,      // the first time in this address's current window
        RefusedAgain, // not worth another line in the log
    };
    // Whether a connection from `from` may come in now; one that may is
    // counted.
    Verdict admit(const QHostAddress &from);

private:
    bool isExempt(const QHostAddress &address) const;
    void forgetBefore(qint64 time);

    Clock m_clock;
    std::optional<QList<QHostAddress>> m_exempt;
    struct Arrivals
    {
        std::deque<qint64> times; // within the window, oldest first
        bool refused = false;     // since the oldest of them
    };
    QHash<QHostAddress, Arrivals> m_arrivals;
};

} // namespace velmora
