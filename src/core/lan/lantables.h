#pragma once

#include "tabledatagram.h"

#include <QString>

#include <vector>

namespace velmora {

// The tables heard on the local network: one entry per address and port,
// kept until it has been silent for ExpiryMs, in the order a player reads
// them (by name, then address). Times are milliseconds of whatever steady
// clock the caller keeps, so tests move time by hand.
//
// Anybody on the network can send us tables; the list stops growing at
// MaxEntries, which is far more than one network holds.
class LanTables
{
public:
    // Three announcements missed in a row.
    static constexpr qint64 ExpiryMs = 6000;
    static constexpr std::size_t MaxEntries = 256;

    struct Entry
    {
        QString address;
        TableDatagram table;
        qint64 heardAt = 0;
        // What a player types to join it: the address, and the port when it
        // is not the usual one.
        QString joinAddress(quint16 usualPort) const;
    };

    // True when the list as shown changed: a new table or new details.
    bool heard(const QString &address, const TableDatagram &table, qint64 now);
    // Drops the tables silent for ExpiryMs or longer; true when any went.
    bool expire(qint64 now);
    const std::vector<Entry> &entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace velmora
