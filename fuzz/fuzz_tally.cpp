// The tally file from disk, which anyone may have damaged: the container,
// its two decoders and the tally text inside. The first byte picks the
// layer, so each one is reached directly as well as through the container.
// Whatever decodes must be within its limits, and what the encoders write
// must decode to what they were given.

#include "fuzzsupport.h"

#include "tally/lzhuf.h"
#include "tally/lzrw1kh.h"
#include "tally/tallycodec.h"
#include "tally/tallytext.h"

#include <QBuffer>

using namespace velmora;
using velmora::fuzz::borrow;

namespace {

void readText(QByteArrayView text)
{
    const TallyTextResult read = readTallyText(text);
    if (!read.ok())
        return;
    const TallyGrid &grid = read.grid;
    FUZZ_CHECK(grid.columnCount >= 0);
    for (const QStringList &row : grid.rows)
        FUZZ_CHECK(row.size() == grid.columnCount);
    // Written and read again, the same table; only a CR inside a cell
    // becomes a space.
    const TallyTextResult again = readTallyText(writeTallyText(grid));
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.grid.columnCount == grid.columnCount);
    FUZZ_CHECK(again.grid.rowCount() == grid.rowCount());
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < grid.columnCount; ++c)
            FUZZ_CHECK(again.grid.cell(c, r) ==
                       QString(grid.cell(c, r)).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes = borrow(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0: { // one LZRW1/KH block
        QByteArray out;
        if (lzrw1kh::decodeBlock(bytes, out))
            FUZZ_CHECK(out.size() <= lzrw1kh::ChunkSize);
        break;
    }
    case 1: { // an LZH stream; its first two bytes say how much it decodes to
        if (bytes.size() < 2)
            break;
        const quint32 want = quint8(bytes[0]) << 8 | quint8(bytes[1]);
        QByteArray stream = bytes.mid(2);
        QByteArray text;
        QBuffer in(&stream);
        QBuffer out(&text);
        in.open(QIODevice::ReadOnly);
        out.open(QIODevice::WriteOnly);
        if (lzh::decode(in, out, want) == lzh::DecodeStatus::Ok)
            FUZZ_CHECK(quint32(text.size()) == want);
        break;
    }
    case 2: { // a whole tally file
        const TallyDecodeResult file = decompressTallyText(bytes, QStringLiteral("fuzz.tld"));
        if (file.ok())
            readText(file.text);
        else
            FUZZ_CHECK(file.text.isEmpty());
        break;
    }
    case 3: readText(bytes); break;
    default: { // the encoders, both ways round
        for (TallyMethod method : {TallyMethod::Lzrw1kh, TallyMethod::Lzh}) {
            const TallyDecodeResult back =
                decompressTallyText(compressTallyText(bytes, method), QStringLiteral("fuzz.tld"));
            FUZZ_CHECK(back.ok());
            FUZZ_CHECK(back.text == bytes);
        }
        QByteArray chunk;
        FUZZ_CHECK(
            lzrw1kh::decodeBlock(lzrw1kh::encodeChunk(bytes.left(lzrw1kh::ChunkSize)), chunk));
        FUZZ_CHECK(chunk == bytes.left(lzrw1kh::ChunkSize));
        break;
    }
    }
    return 0;
}
