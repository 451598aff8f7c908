#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace velmora::lzrw1kh {

// The tally file's fast method works on independent chunks of at most this
// many bytes; every chunk starts with a fresh hash table and its copies
// never reach back before the chunk's start.
inline constexpr qsizetype ChunkSize = 32768;

// First byte of a block: how the rest of it is to be read. The decoder
// treats every flag but Stored as compressed.
inline constexpr char StoredFlag = '\x80';
inline constexpr char CompressedFlag = '\x40';

// Encodes one chunk (at most ChunkSize bytes) into block data, flag byte
// first. The output is fully determined by the input: the same text must
// always give the same file, so that files stay comparable between copies.
// A chunk that does not get smaller is stored instead.
QByteArray encodeChunk(QByteArrayView chunk);

// Decodes one block into `out` (replacing its contents). Returns false for a
// block that no encoder writes: an item cut off by the block's end, a copy
// reaching before the block's first byte, or more than ChunkSize bytes of
// output. Never reads or writes outside the two buffers.
bool decodeBlock(QByteArrayView block, QByteArray &out);

} // namespace velmora::lzrw1kh
