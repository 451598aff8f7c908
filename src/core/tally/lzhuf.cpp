#include "lzhuf.h"

#include <QIODevice>

#include <array>
#include <cstring>

namespace velmora::lzh {

namespace {

constexpr int RingSize = 4096;                         // N
constexpr int LookAhead = 60;                          // F
constexpr int Threshold = 2;                           // longest match not worth coding
constexpr int CharCount = 256 - Threshold + LookAhead; // 314 symbols
constexpr int TableSize = CharCount * 2 - 1;           // 627 nodes
constexpr int Root = TableSize - 1;
constexpr unsigned MaxFreq = 0x8000;
constexpr quint8 Space = 0x20;

// The code for the upper six bits of a match position: entry i takes
// Widths[i] bits, the codes being consecutive in that order. Both lookup
// directions are derived from these widths rather than copied out as 320
// numbers, so a typing slip cannot creep in.
struct PositionCodes
{
    std::array<quint8, 64> encodeCode{};
    std::array<quint8, 64> encodeLen{};
    std::array<quint8, 256> decodeCode{};
    std::array<quint8, 256> decodeLen{};
};

constexpr PositionCodes makePositionCodes()
{
    PositionCodes t;
    // Counts of upper-bit values coded with 3, 4, 5, 6, 7 and 8 bits.
    constexpr int counts[] = {1, 3, 8, 12, 24, 16};
    int upper = 0;
    int code = 0; // the code's first byte, left-aligned
    for (int i = 0; i < 6; ++i) {
        const int width = 3 + i;
        for (int k = 0; k < counts[i]; ++k, ++upper) {
            t.encodeCode[upper] = quint8(code);
            t.encodeLen[upper] = quint8(width);
            const int span = 256 >> width;
            for (int b = 0; b < span; ++b) {
                t.decodeCode[code + b] = quint8(upper);
                t.decodeLen[code + b] = quint8(width);
            }
            code += span;
        }
    }
    return t;
}

constexpr PositionCodes Positions = makePositionCodes();
static_assert(Positions.encodeCode[63] == 0xFF && Positions.decodeLen[255] == 8);

// The adaptive Huffman tree shared by both directions. The order in which
// it updates and rebuilds must be followed exactly: a decoder whose tree
// drifts from the encoder's reads garbage from then on.
class Tree
{
public:
    Tree()
    {
        for (int i = 0; i < CharCount; ++i) {
            m_freq[i] = 1;
            m_son[i] = i + TableSize;
            m_parent[i + TableSize] = i;
        }
        for (int i = 0, j = CharCount; j <= Root; i += 2, ++j) {
            m_freq[j] = m_freq[i] + m_freq[i + 1];
            m_son[j] = i;
            m_parent[i] = m_parent[i + 1] = j;
        }
        m_freq[TableSize] = 0xFFFF; // stops the search for a bigger node
        m_parent[Root] = 0;
    }

    int rootChild() const { return m_son[Root]; }
    int son(int node) const { return m_son[node]; }
    int leafParent(int symbol) const { return m_parent[symbol + TableSize]; }
    int parent(int node) const { return m_parent[node]; }

    void update(int symbol)
    {
        if (m_freq[Root] == MaxFreq)
            rebuild();
        int c = m_parent[symbol + TableSize];
        do {
            const unsigned k = ++m_freq[c];
            // Keep frequencies ordered: swap c with the last node that is
            // still smaller than its new frequency.
            int l = c + 1;
            if (k > m_freq[l]) {
                while (k > m_freq[++l]) {
                }
                --l;
                m_freq[c] = m_freq[l];
                m_freq[l] = k;

                const int i = m_son[c];
                m_parent[i] = l;
                if (i < TableSize)
                    m_parent[i + 1] = l;

                const int j = m_son[l];
                m_son[l] = i;
                m_parent[j] = c;
                if (j < TableSize)
                    m_parent[j + 1] = c;
                m_son[c] = j;

                c = l;
            }
            c = m_parent[c];
        } while (c != 0);
    }

private:
    // Halves the leaves' counts (rounding up) and rebuilds the tree from
    // them, inserting each new inner node after the nodes of equal count.
    void rebuild()
    {
        int j = 0;
        for (int i = 0; i < TableSize; ++i) {
            if (m_son[i] >= TableSize) {
                m_freq[j] = (m_freq[i] + 1) / 2;
                m_son[j] = m_son[i];
                ++j;
            }
        }
        for (int i = 0, inner = CharCount; inner < TableSize; i += 2, ++inner) {
            const unsigned f = m_freq[i] + m_freq[i + 1];
            m_freq[inner] = f;
            int k = inner - 1;
            while (f < m_freq[k])
                --k;
            ++k;
            std::memmove(&m_freq[k + 1], &m_freq[k], sizeof(m_freq[0]) * size_t(inner - k));
            m_freq[k] = f;
            std::memmove(&m_son[k + 1], &m_son[k], sizeof(m_son[0]) * size_t(inner - k));
            m_son[k] = i;
        }
        for (int i = 0; i < TableSize; ++i) {
            const int k = m_son[i];
            m_parent[k] = i;
            if (k < TableSize)
                m_parent[k + 1] = i;
        }
    }

    std::array<unsigned, TableSize + 1> m_freq{};
    std::array<int, TableSize + CharCount> m_parent{};
    std::array<int, TableSize> m_son{};
};

// Bits most significant first from a device, read ahead in large pieces.
class BitReader
{
public:
    explicit BitReader(QIODevice &in) : m_in(in) {}

    int bit()
    {
        if (m_count == 0) {
            m_bits = nextByte();
            m_count = 8;
        }
        return (m_bits >> --m_count) & 1;
    }

    int byte()
    {
        int value = 0;
        for (int i = 0; i < 8; ++i)
            value = value << 1 | bit();
        return value;
    }

    bool pastEnd() const { return m_pastEnd; }

private:
    int nextByte()
    {
        if (m_pos == m_buffer.size()) {
            m_buffer = m_pastEnd ? QByteArray() : m_in.read(64 * 1024);
            m_pos = 0;
            if (m_buffer.isEmpty()) {
                m_pastEnd = true;
                return 0;
            }
        }
        return quint8(m_buffer[m_pos++]);
    }

    QIODevice &m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    int m_bits = 0;
    int m_count = 0;
    bool m_pastEnd = false;
};

class BitWriter
{
public:
    explicit BitWriter(QByteArray &out) : m_out(out) {}

    // Appends the low `width` bits of `code`, highest first.
    void put(quint32 code, int width)
    {
        for (int i = width - 1; i >= 0; --i) {
            m_acc = quint8(m_acc << 1 | ((code >> i) & 1));
            if (++m_count == 8) {
                m_out.append(char(m_acc));
                m_acc = 0;
                m_count = 0;
            }
        }
    }

    void flush()
    {
        if (m_count > 0)
            m_out.append(char(m_acc << (8 - m_count)));
        m_acc = 0;
        m_count = 0;
    }

private:
    QByteArray &m_out;
    quint8 m_acc = 0;
    int m_count = 0;
};

// The encoder's index of ring positions: one binary search tree per first
// byte, keyed by the LookAhead bytes that start at each position. It finds
// the longest match, and among equally long ones the nearest.
class MatchTree
{
public:
    static constexpr int Nil = RingSize;

    explicit MatchTree(const quint8 *ring) : m_ring(ring)
    {
        m_right.fill(Nil);
        m_left.fill(Nil);
        m_dad.fill(Nil);
    }

    int matchLength = 0;
    int matchPosition = 0;

    void insert(int r)
    {
        int cmp = 1;
        const quint8 *key = m_ring + r;
        int p = RingSize + 1 + key[0];
        m_right[r] = m_left[r] = Nil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (m_right[p] != Nil) {
                    p = m_right[p];
                } else {
                    m_right[p] = r;
                    m_dad[r] = p;
                    return;
                }
            } else {
                if (m_left[p] != Nil) {
                    p = m_left[p];
                } else {
                    m_left[p] = r;
                    m_dad[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < LookAhead; ++i) {
                cmp = key[i] - m_ring[p + i];
                if (cmp != 0)
                    break;
            }
            if (i > Threshold) {
                const int distance = ((r - p) & (RingSize - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                    if (matchLength >= LookAhead)
                        break;
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // A full-length match: r takes p's place in the tree.
        m_dad[r] = m_dad[p];
        m_left[r] = m_left[p];
        m_right[r] = m_right[p];
        m_dad[m_left[p]] = r;
        m_dad[m_right[p]] = r;
        if (m_right[m_dad[p]] == p)
            m_right[m_dad[p]] = r;
        else
            m_left[m_dad[p]] = r;
        m_dad[p] = Nil;
    }

    void remove(int p)
    {
        if (m_dad[p] == Nil)
            return;
        int q;
        if (m_right[p] == Nil) {
            q = m_left[p];
        } else if (m_left[p] == Nil) {
            q = m_right[p];
        } else {
            q = m_left[p];
            if (m_right[q] != Nil) {
                do {
                    q = m_right[q];
                } while (m_right[q] != Nil);
                m_right[m_dad[q]] = m_left[q];
                m_dad[m_left[q]] = m_dad[q];
                m_left[q] = m_left[p];
                m_dad[m_left[p]] = q;
            }
            m_right[q] = m_right[p];
            m_dad[m_right[p]] = q;
        }
        m_dad[q] = m_dad[p];
        if (m_right[m_dad[p]] == p)
            m_right[m_dad[p]] = q;
        else
            m_left[m_dad[p]] = q;
        m_dad[p] = Nil;
    }

private:
    const quint8 *m_ring;
    std::array<int, RingSize + 1> m_left{};
    std::array<int, RingSize + 257> m_right{}; // + one root per first byte
    std::array<int, RingSize + 1> m_dad{};
};

} // namespace

DecodeStatus decode(QIODevice &in, QIODevice &out, quint32 size)
{
    if (size == 0)
        return DecodeStatus::Ok;

    Tree tree;
    BitReader bits(in);
    std::array<quint8, RingSize> ring{};
    std::memset(ring.data(), Space, RingSize - LookAhead);
    int r = RingSize - LookAhead;

    QByteArray pending;
    constexpr qsizetype FlushAt = 64 * 1024;
    pending.reserve(FlushAt + LookAhead);
    auto flush = [&] {
        const bool ok = out.write(pending) == pending.size();
        pending.clear();
        return ok;
    };

    quint32 remaining = size;
    while (remaining > 0) {
        int c = tree.rootChild();
        while (c < TableSize)
            c = tree.son(c + bits.bit());
        c -= TableSize;
        tree.update(c);

        if (c < 256) {
            pending.append(char(c));
            ring[r] = quint8(c);
            r = (r + 1) & (RingSize - 1);
            --remaining;
        } else {
            const int code = bits.byte();
            int low = code;
            for (int n = Positions.decodeLen[code] - 2; n > 0; --n)
                low = low << 1 | bits.bit();
            const int position = Positions.decodeCode[code] << 6 | (low & 0x3F);
            const int from = (r - position - 1) & (RingSize - 1);
            // A match that runs past the stated size is cut: the header's
            // size is what the caller asked for, byte for byte.
            const int length = int(qMin<quint32>(quint32(c - 255 + Threshold), remaining));
            for (int k = 0; k < length; ++k) {
                const quint8 b = ring[(from + k) & (RingSize - 1)];
                pending.append(char(b));
                ring[r] = b;
                r = (r + 1) & (RingSize - 1);
            }
            remaining -= quint32(length);
        }
        if (bits.pastEnd())
            return DecodeStatus::Truncated;
        if (pending.size() >= FlushAt && !flush())
            return DecodeStatus::WriteFailed;
    }
    return flush() ? DecodeStatus::Ok : DecodeStatus::WriteFailed;
}

QByteArray encode(QByteArrayView text)
{
    QByteArray result;
    if (text.isEmpty())
        return result;
    BitWriter bits(result);
    Tree tree;

    auto encodeSymbol = [&](int symbol) {
        // Walk from the leaf to the root, collecting the path's bits from
        // the lowest up. Paths longer than 32 bits cannot occur: a tree
        // whose counts stay below 0x8000 is far shallower.
        quint32 code = 0;
        int width = 0;
        int k = tree.leafParent(symbol);
        do {
            code |= quint32(k & 1) << width;
            ++width;
            k = tree.parent(k);
        } while (k != Root);
        bits.put(code, width);
        tree.update(symbol);
    };
    auto encodePosition = [&](int position) {
        const int upper = position >> 6;
        bits.put(Positions.encodeCode[upper] >> (8 - Positions.encodeLen[upper]),
                 Positions.encodeLen[upper]);
        bits.put(quint32(position & 0x3F), 6);
    };

    // The ring plus a mirror of its first LookAhead - 1 bytes, so a key
    // near the ring's end can be compared without wrapping.
    std::array<quint8, RingSize + LookAhead - 1> ring{};
    std::memset(ring.data(), Space, ring.size());
    MatchTree matches(ring.data());

    const auto *in = reinterpret_cast<const quint8 *>(text.data());
    const qsizetype n = text.size();
    qsizetype next = 0;

    int s = 0;
    int r = RingSize - LookAhead;
    int len = 0;
    for (; len < LookAhead && next < n; ++len)
        ring[r + len] = in[next++];
    for (int i = 1; i <= LookAhead; ++i)
        matches.insert(r - i);
    matches.insert(r);
    do {
        if (matches.matchLength > len)
            matches.matchLength = len;
        if (matches.matchLength <= Threshold) {
            matches.matchLength = 1;
            encodeSymbol(ring[r]);
        } else {
            encodeSymbol(255 - Threshold + matches.matchLength);
            encodePosition(matches.matchPosition);
        }
        const int lastMatchLength = matches.matchLength;
        int i = 0;
        for (; i < lastMatchLength && next < n; ++i) {
            matches.remove(s);
            const quint8 c = in[next++];
            ring[s] = c;
            if (s < LookAhead - 1)
                ring[s + RingSize] = c;
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            matches.insert(r);
        }
        for (; i < lastMatchLength; ++i) {
            matches.remove(s);
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            if (--len)
                matches.insert(r);
        }
    } while (len > 0);
    bits.flush();
    return result;
}

} // namespace velmora::lzh
