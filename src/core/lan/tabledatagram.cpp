#include "tabledatagram.h"

#include "protocol/table.h"

#include <algorithm>

namespace velmora {

namespace {
constexpr char Magic[] = "VLMT";
constexpr char TableKind = 'T';
constexpr char QueryKind = 'Q';
constexpr int HeaderSize = 6;
constexpr quint8 RunningFlag = 0x01;

QByteArray header(char kind)
{
    QByteArray bytes(Magic, 4);
    bytes.append(char(TableDatagram::Format));
    bytes.append(kind);
    return bytes;
}

bool nameByte(uchar c) { return c >= 0x20 && c != 0x7F && c != 0xFF && !(c >= 0x80 && c < 0xA0); }
bool versionByte(uchar c) { return c > 0x20 && c < 0x7F; }

QByteArray field(const QString &text, int limit, bool (*allowed)(uchar))
{
    QByteArray bytes = text.left(limit).toLatin1();
    for (char &c : bytes)
        if (!allowed(uchar(c)))
            c = '?';
    return bytes.isEmpty() ? QByteArrayLiteral("?") : bytes;
}

// Reads a length byte and that many bytes, all passing `allowed`.
std::optional<QByteArray> readField(const QByteArray &d, qsizetype &pos, int limit,
                                    bool (*allowed)(uchar))
{
    if (pos >= d.size())
        return std::nullopt;
    const int length = uchar(d[pos++]);
    if (length < 1 || length > limit || d.size() - pos < length)
        return std::nullopt;
    const QByteArray bytes = d.mid(pos, length);
    pos += length;
    if (!std::all_of(bytes.begin(), bytes.end(), [&](char c) { return allowed(uchar(c)); }))
        return std::nullopt;
    return bytes;
}
} // namespace

QByteArray TableDatagram::write() const
{
    QByteArray bytes = header(TableKind);
    bytes.append(char(port >> 8));
    bytes.append(char(port & 0xFF));
    bytes.append(char(std::clamp(seatsTaken, 0, SeatCount)));
    bytes.append(char(std::clamp(watchers, 0, WatcherCount)));
    bytes.append(char(gameRunning ? RunningFlag : 0));
    for (const QByteArray &text :
         {field(name, MaxNameLength, nameByte), field(version, MaxVersionLength, versionByte)}) {
        bytes.append(char(text.size()));
        bytes.append(text);
    }
    return bytes;
}

std::optional<TableDatagram> TableDatagram::read(const QByteArray &d)
{
    if (d.size() < HeaderSize + 5 || d.size() > MaxSize || !d.startsWith(header(TableKind)))
        return std::nullopt;
    TableDatagram table;
    table.port = quint16(uchar(d[6]) << 8 | uchar(d[7]));
    table.seatsTaken = uchar(d[8]);
    table.watchers = uchar(d[9]);
    const uchar flags = uchar(d[10]);
    if (table.port == 0 || table.seatsTaken > SeatCount || table.watchers > WatcherCount ||
        (flags & ~RunningFlag) != 0)
        return std::nullopt;
    table.gameRunning = flags & RunningFlag;
    qsizetype pos = 11;
    const std::optional<QByteArray> name = readField(d, pos, MaxNameLength, nameByte);
    const std::optional<QByteArray> version =
        name ? readField(d, pos, MaxVersionLength, versionByte) : std::nullopt;
    if (!version || pos != d.size())
        return std::nullopt;
    table.name = QString::fromLatin1(*name);
    table.version = QString::fromLatin1(*version);
    return table;
}

QByteArray TableDatagram::query() { return header(QueryKind); }

bool TableDatagram::isQuery(const QByteArray &datagram) { return datagram == query(); }

} // namespace velmora
