// Datagrams from anybody on the local network. A datagram the reader takes
// must be exactly what the writer makes of what it read, whatever the
// writer is given must read back, and the list of tables stays bounded.

#include "fuzzsupport.h"

#include "lan/lantables.h"

using namespace velmora;
using velmora::fuzz::borrow;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = borrow(data, size);
    static LanTables list;
    static qint64 now = 0;
    now += 100;

    if (const std::optional<TableDatagram> table = TableDatagram::read(bytes)) {
        FUZZ_CHECK(table->write() == bytes);
        list.heard(QString::number(size % 7), *table, now);
    }
    FUZZ_CHECK(!TableDatagram::isQuery(bytes) || !TableDatagram::read(bytes));

    TableDatagram made;
    made.name = QString::fromLatin1(bytes);
    made.version = QString::fromUtf8(bytes);
    made.port = quint16(size | 1);
    made.seatsTaken = int(size) - 3;
    made.watchers = int(size % 9);
    const QByteArray written = made.write();
    FUZZ_CHECK(written.size() <= TableDatagram::MaxSize);
    FUZZ_CHECK(TableDatagram::read(written).has_value());

    list.expire(now);
    FUZZ_CHECK(list.entries().size() <= LanTables::MaxEntries);
    return 0;
}
