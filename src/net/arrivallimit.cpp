#include "arrivallimit.h"

#include <QDeadlineTimer>

#include <utility>

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
        std::deque<qint64> &times = it.value().times;
        bool forgot = false;
        while (!times.empty() && times.front() <= time) {
            times.pop_front();
            forgot = true;
        }
        if (forgot)
            it.value().refused = false;
        it = times.empty() ? m_arrivals.erase(it) : std::next(it);
    }
}

ArrivalLimit::Verdict ArrivalLimit::admit(const QHostAddress &from)
{
    if (isExempt(from))
        return Verdict::Admitted;
    const qint64 now = m_clock();
    // Every address is looked at, not only this one: addresses that came
    // once and never again must not pile up.
    forgetBefore(now - WindowMs);
    Arrivals &arrivals = m_arrivals[from];
    if (qsizetype(arrivals.times.size()) >= PerWindow)
        return std::exchange(arrivals.refused, true) ? Verdict::RefusedAgain : Verdict::Refused;
    arrivals.times.push_back(now);
    return Verdict::Admitted;
}

} // namespace velmora
