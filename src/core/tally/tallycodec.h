#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace velmora {

// The tally file's container: a four-byte magic naming the method, the
// uncompressed size (unsigned 32-bit, little-endian), then the method's data.
//
//   "WRZL"  block records: a 16-bit little-endian length, then the block
//           (lzrw1kh.h). Each block holds 32,768 bytes of text except the
//           last, which holds fewer (possibly none) and ends the file.
//   "!HZL"  one LZSS + adaptive Huffman bit stream (lzhuf.h), read by older
//           copies; we read it but write it only on request.
//
// Every failure is reported by the message text the game shows its user,
// with the file name it concerns.
//
// The methods are our own code rather than a library's (qCompress writes
// zlib): the bytes are fixed by the files that older copies wrote and still
// read, and the same text must always give the same file.

enum class TallyMethod {
    Lzrw1kh, // "WRZL": what the game writes
    Lzh,     // "!HZL"
};

struct TallyCodecResult
{
    QString error; // null on success
    qint64 bytesWritten = 0;

    bool ok() const { return error.isNull(); }
};

struct TallyDecodeResult
{
    QString error; // null on success
    QByteArray text;

    bool ok() const { return error.isNull(); }
};

// Streams the whole of `in` into a container on `out`. `inName` and
// `outName` are only used in messages.
TallyCodecResult compressTally(QIODevice &in, QIODevice &out, const QString &inName,
                               const QString &outName, TallyMethod method = TallyMethod::Lzrw1kh);

// Reads a container of either method from `in` and writes its text to
// `out`. On failure `out` holds a partial text that must be discarded.
TallyCodecResult decompressTally(QIODevice &in, QIODevice &out, const QString &inName,
                                 const QString &outName);

// File to file. The output appears only when the whole operation succeeds:
// it is written beside its final name and renamed into place, so a failure
// leaves any earlier file of that name as it was.
TallyCodecResult compressTallyFile(const QString &inPath, const QString &outPath,
                                   TallyMethod method = TallyMethod::Lzrw1kh);
TallyCodecResult decompressTallyFile(const QString &inPath, const QString &outPath);

// In memory, for the tally itself. `name` is the file the bytes came from,
// for the messages.
QByteArray compressTallyText(QByteArrayView text, TallyMethod method = TallyMethod::Lzrw1kh);
TallyDecodeResult decompressTallyText(QByteArrayView file, const QString &name);

} // namespace velmora
