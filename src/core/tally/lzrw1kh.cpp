#include "lzrw1kh.h"

#include <array>
#include <cstring>

namespace velmora::lzrw1kh {

namespace {

constexpr int RunMin = 16;
constexpr int RunMax = 4095;
constexpr int CopyMin = 3;
constexpr int CopyMax = 18;
constexpr int MaxOffset = 4095;
constexpr int HashSize = 4096;
constexpr int GroupItems = 16;

// Proposes an earlier position whose next three bytes may equal those at
// `x`. Bytes past the end count as 0: a match there needs three bytes and
// cannot happen, so they never change the output.
inline unsigned hashAt(const uchar *in, int x, int n)
{
    const quint32 b0 = in[x];
    const quint32 b1 = x + 1 < n ? in[x + 1] : 0;
    const quint32 b2 = x + 2 < n ? in[x + 2] : 0;
    return ((((((b0 << 4) ^ b1) << 4) ^ b2) * 40543u) >> 4) & 0xFFF;
}

inline void putWord(uchar *out, int at, quint16 word)
{
    out[at] = uchar(word >> 8);
    out[at + 1] = uchar(word);
}

} // namespace

QByteArray encodeChunk(QByteArrayView chunk)
{
    Q_ASSERT(chunk.size() <= ChunkSize);
    const auto *in = reinterpret_cast<const uchar *>(chunk.data());
    const int n = int(chunk.size());

    // Positions fit in 16 signed bits because a chunk is at most 32,768
    // bytes; -1 marks an empty slot.
    std::array<qint16, HashSize> table;
    table.fill(-1);

    // The loop may run up to six bytes past n before the size test below
    // decides to store the chunk instead.
    QByteArray block(n + 8, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(block.data());
    out[0] = uchar(CompressedFlag);

    int x = 0;
    int y = 3;
    int z = 1;
    int bit = 0;
    quint16 command = 0;
    while (x < n && y <= n) {
        if (bit == GroupItems) {
            putWord(out, z, command);
            z = y;
            y += 2;
            bit = 0;
        }
        int size = 1;
        while (size < RunMax && x + size < n && in[x + size] == in[x])
            ++size;
        if (size >= RunMin) {
            out[y] = 0;
            out[y + 1] = uchar((size - RunMin) >> 8);
            out[y + 2] = uchar(size - RunMin);
            out[y + 3] = in[x];
            y += 4;
            x += size;
            command = quint16(command << 1 | 1);
        } else {
            const unsigned h = hashAt(in, x, n);
            const int p = table[h];
            table[h] = qint16(x);
            int m = 0;
            if (p != -1 && x - p <= MaxOffset) {
                while (m < CopyMax && x + m < n && in[x + m] == in[p + m])
                    ++m;
            }
            if (m >= CopyMin) {
                putWord(out, y, quint16((x - p) << 4 | (m - CopyMin)));
                y += 2;
                x += m;
                command = quint16(command << 1 | 1);
            } else {
                out[y++] = in[x++];
                command = quint16(command << 1);
            }
        }
        ++bit;
    }
    putWord(out, z, quint16(command << (GroupItems - bit)));

    if (y > n) {
        block.resize(n + 1);
        block[0] = StoredFlag;
        if (n > 0)
            std::memcpy(block.data() + 1, chunk.data(), size_t(n));
    } else {
        block.resize(y);
    }
    return block;
}

bool decodeBlock(QByteArrayView block, QByteArray &out)
{
    out.clear();
    const qsizetype len = block.size();
    if (len <= 1)
        return true;
    if (block[0] == StoredFlag) {
        if (len - 1 > ChunkSize)
            return false;
        out = block.sliced(1).toByteArray();
        return true;
    }
    if (len <= 3)
        return true;

    const auto *in = reinterpret_cast<const uchar *>(block.data());
    out.resize(ChunkSize);
    auto *o = reinterpret_cast<uchar *>(out.data());
    qsizetype x = 3;
    qsizetype y = 0;
    quint16 command = quint16(in[1] << 8 | in[2]);
    int bit = GroupItems;
    while (x < len) {
        if (bit == 0) {
            if (len - x < 2)
                return false;
            command = quint16(in[x] << 8 | in[x + 1]);
            x += 2;
            bit = GroupItems;
        }
        if (!(command & 0x8000)) {
            if (x >= len || y >= ChunkSize)
                return false;
            o[y++] = in[x++];
        } else {
            if (len - x < 2)
                return false;
            const int b0 = in[x];
            const int b1 = in[x + 1];
            if (b0 == 0 && b1 < 16) {
                if (len - x < 4)
                    return false;
                const int count = b1 << 8 | in[x + 2];
                if (ChunkSize - y < count + RunMin)
                    return false;
                std::memset(o + y, in[x + 3], size_t(count + RunMin));
                y += count + RunMin;
                x += 4;
            } else {
                const int offset = b0 << 4 | b1 >> 4;
                const int length = (b1 & 0x0F) + CopyMin;
                if (offset > y || ChunkSize - y < length)
                    return false;
                // Byte by byte: source and destination may overlap, which
                // is how a copy repeats a short pattern.
                for (int i = 0; i < length; ++i, ++y)
                    o[y] = o[y - offset];
                x += 2;
            }
        }
        command = quint16(command << 1);
        --bit;
    }
    out.truncate(y);
    return true;
}

} // namespace velmora::lzrw1kh
