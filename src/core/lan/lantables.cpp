#include "lantables.h"

#include <algorithm>

namespace velmora {

QString LanTables::Entry::joinAddress(quint16 usualPort) const
{
    return table.port == usualPort ? address
                                   : address + QLatin1Char(':') + QString::number(table.port);
}

bool LanTables::heard(const QString &address, const TableDatagram &table, qint64 now)
{
    const auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &e) {
        return e.address == address && e.table.port == table.port;
    });
    if (same != m_entries.end()) {
        same->heardAt = now;
        if (same->table == table)
            return false;
        same->table = table;
    } else {
        if (m_entries.size() >= MaxEntries)
            return false;
        m_entries.push_back({address, table, now});
    }
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry &a, const Entry &b) {
        const int byName = a.table.name.compare(b.table.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.address < b.address;
    });
    return true;
}

bool LanTables::expire(qint64 now)
{
    return std::erase_if(m_entries, [now](const Entry &e) { return now - e.heardAt >= ExpiryMs; }) >
           0;
}

} // namespace velmora
