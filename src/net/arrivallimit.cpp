#include "arrivallimit.h"

#include <QDeadlineTimer>

namespace velmora {

ArrivalLimit::ArrivalLimit()
    : m_clock([] { return QDeadlineTimer::current(Qt::PreciseTimer).deadline(); })
{
}

bool ArrivalLimit::isExempt(const QHostAddress &address) const
{
    return m_exempt ? m_exempt->contains(address) : address.isLoopback();
}

void ArrivalLimit::forgetBefore(qint64 time)
{
    for (auto it = m_arrivals.begin(); it != m_arrivals.end();) {
        std::deque<qint64> &times = it.value();
        while (!times.empty() && times.front() <= time)
            times.pop_front();
        it = times.empty() ? m_arrivals.erase(it) : std::next(it);
    }
}

bool ArrivalLimit::admit(const QHostAddress &from)
{
    if (isExempt(from))
        return true;
    const qint64 now = m_clock();
    // Every address is looked at, not only this one: addresses that came
    // once and never again must not pile up.
    forgetBefore(now - WindowMs);
    std::deque<qint64> &times = m_arrivals[from];
    if (qsizetype(times.size()) >= PerWindow)
        return false;
    times.push_back(now);
    return true;
}

} // namespace velmora
