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

    // Whether a connection from `from` may come in now; one that may is
    // counted.
    bool admit(const QHostAddress &from);

private:
    bool isExempt(const QHostAddress &address) const;
    void forgetBefore(qint64 time);

    Clock m_clock;
    std::optional<QList<QHostAddress>> m_exempt;
    // The times of each address's arrivals within the window, oldest first.
    QHash<QHostAddress, std::deque<qint64>> m_arrivals;
};

} // namespace velmora
