#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

namespace velmora::lzh {

// The tally file's second method: LZSS over a 4,096-byte ring buffer with
// adaptive Huffman coding of characters and match lengths, and a fixed code
// for the upper six bits of a match position. The stream carries no length
// of its own; the container's header tells how many bytes it decodes to.

enum class DecodeStatus {
    Ok,
    // The stream needed bits beyond the end of the input: the file was cut
    // short or damaged, and the bytes that would follow are made up.
    Truncated,
    WriteFailed,
};

// Reads the bit stream from `in` (after the container's header) and writes
// exactly `size` bytes to `out`, or stops at the first failure.
DecodeStatus decode(QIODevice &in, QIODevice &out, quint32 size);

// Encodes `text` into the bit stream that decode() reads back, its last
// byte padded with zero bits. The tally never writes this method; the
// encoder makes files of the second kind for tests and for support.
QByteArray encode(QByteArrayView text);

} // namespace velmora::lzh
