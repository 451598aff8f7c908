#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace velmora {

// A hosted table as it tells the local network about itself, and the
// question that makes every table answer at once.
//
// The datagram, all numbers big-endian:
//   "VLMT"            4 bytes, so that stray traffic on the port is dropped
//   format            1 byte, 1; a datagram of another format is dropped
//   kind              1 byte, 'T' a table, 'Q' a question (nothing follows)
//   TCP port          2 bytes, 1..65535
//   seats taken       1 byte, 0..SeatCount (people, not the computer)
//   watchers          1 byte, 0..WatcherCount
//   flags             1 byte, bit 0: a game is running; the others are 0
//   name length, name 1 byte 1..MaxNameLength, then Latin-1 without control
//                     characters
//   version length,   1 byte 1..MaxVersionLength, then printable ASCII
//   version
// and nothing after it. Anything else is not a table: it is dropped whole.
struct TableDatagram
{
    static constexpr int Format = 1;
    static constexpr int MaxNameLength = 64;
    static constexpr int MaxVersionLength = 16;
    // The largest datagram the format allows.
    static constexpr int MaxSize = 4 + 1 + 1 + 2 + 3 + 1 + MaxNameLength + 1 + MaxVersionLength;

    QString name;
    quint16 port = 0;
    int seatsTaken = 0;
    int watchers = 0;
    bool gameRunning = false;
    QString version;

    friend bool operator==(const TableDatagram &, const TableDatagram &) = default;

    // Always a datagram `read` takes: a name or version outside the format
    // is cut to length and its unsendable characters become '?', an empty
    // one becomes "?", counts are clamped.
    QByteArray write() const;
    static std::optional<TableDatagram> read(const QByteArray &datagram);

    static QByteArray query();
    static bool isQuery(const QByteArray &datagram);
};

} // namespace velmora
