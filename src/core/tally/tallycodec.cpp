#include "tallycodec.h"

#include "lzhuf.h"
#include "lzrw1kh.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <new>
#include <optional>

namespace velmora {

namespace {

constexpr char MagicLzrw1kh[] = "WRZL";
constexpr char MagicLzh[] = "!HZL";
constexpr qsizetype MagicSize = 4;
constexpr qint64 MaxTextSize = 0xFFFFFFFF;

QString memoryFailed()
{
    return QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
}
QString openInputFailed(const QString &path)
{
    return QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + path;
}
QString openOutputFailed(const QString &path)
{
    return QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + path;
}
QString sizeUnknown(const QString &path)
{
    return QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + path;
}
QString noValidHeader(const QString &path)
{
    return path + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !");
}
QString readFailed(const QString &path)
{
    return QStringLiteral("Lzrw1 : Error reading from input file : ") + path;
}
QString chunkReadFailed(const QString &path)
{
    return readFailed(path) + QStringLiteral(" (LZRW1/KH)");
}
QString writeFailed(const QString &path)
{
    return QStringLiteral("Lzrw1 : Error writing to output file : ") + path;
}
QString sizesDiffer()
{
    return QStringLiteral(
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
}
QString lzhSizesDiffer()
{
    return QStringLiteral(
        "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !");
}

// QIODevice::read may return less than asked on devices that deliver data
// in pieces; only the end of the data or an error should stop us. Returns
// nullopt on a read error, else what there was (perhaps less than `want`).
std::optional<QByteArray> readUpTo(QIODevice &in, qint64 want)
{
    QByteArray data(want, Qt::Uninitialized);
    qint64 got = 0;
    while (got < want) {
        const qint64 n = in.read(data.data() + got, want - got);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    data.truncate(got);
    return data;
}

QByteArray header(const char *magic, quint32 size)
{
    QByteArray bytes(magic, MagicSize);
    char le[4];
    qToLittleEndian(size, le);
    bytes.append(le, 4);
    return bytes;
}

void appendBlock(QByteArray &out, QByteArrayView chunk)
{
    const QByteArray block = lzrw1kh::encodeChunk(chunk);
    char le[2];
    qToLittleEndian(quint16(block.size()), le);
    out.append(le, 2);
    out.append(block);
}

// An input whose size cannot be told, or cannot be written into the
// header's 32 bits, gives no readable file.
bool sizeKnown(const QIODevice &in) { return !in.isSequential() && in.size() <= MaxTextSize; }

} // namespace

TallyCodecResult compressTally(QIODevice &in, QIODevice &out, const QString &inName,
                               const QString &outName, TallyMethod method)
{
    TallyCodecResult result;
    if (!sizeKnown(in)) {
        result.error = sizeUnknown(inName);
        return result;
    }
    const auto size = quint32(in.size() - in.pos());
    auto put = [&](const QByteArray &bytes) {
        if (out.write(bytes) != bytes.size()) {
            result.error = writeFailed(outName);
            return false;
        }
        result.bytesWritten += bytes.size();
        return true;
    };

    try {
        if (method == TallyMethod::Lzh) {
            // The bit stream runs across the whole text, so it is coded in
            // one piece; this method is for tests and support, not for
            // large files.
            const auto text = readUpTo(in, size);
            if (!text || text->size() != size) {
                result.error = chunkReadFailed(inName);
                return result;
            }
            if (put(header(MagicLzh, size)))
                put(lzh::encode(*text));
            return result;
        }

        if (!put(header(MagicLzrw1kh, size)))
            return result;
        // Reads exactly the size written into the header: a file that
        // changes while we read it must not give a container whose header
        // disagrees with its blocks.
        quint32 done = 0;
        QByteArray record;
        for (;;) {
            const qint64 want = qMin<qint64>(lzrw1kh::ChunkSize, size - done);
            const auto chunk = readUpTo(in, want);
            if (!chunk || chunk->size() != want) {
                result.error = chunkReadFailed(inName);
                return result;
            }
            record.clear();
            appendBlock(record, *chunk);
            if (!put(record))
                return result;
            done += quint32(want);
            if (want < lzrw1kh::ChunkSize)
                break;
        }
    } catch (const std::bad_alloc &) {
        result.error = memoryFailed();
    }
    return result;
}

TallyCodecResult decompressTally(QIODevice &in, QIODevice &out, const QString &inName,
                                 const QString &outName)
{
    TallyCodecResult result;
    auto readExactly = [&](qint64 count) -> std::optional<QByteArray> {
        auto bytes = readUpTo(in, count);
        if (!bytes || bytes->size() != count) {
            result.error = readFailed(inName);
            return std::nullopt;
        }
        return bytes;
    };

    try {
        const auto magic = readExactly(MagicSize);
        if (!magic)
            return result;
        const bool fast = *magic == MagicLzrw1kh;
        if (!fast && *magic != MagicLzh) {
            result.error = noValidHeader(inName);
            return result;
        }
        const auto sizeField = readExactly(4);
        if (!sizeField)
            return result;
        const quint32 size = qFromLittleEndian<quint32>(sizeField->constData());

        if (!fast) {
            switch (lzh::decode(in, out, size)) {
            case lzh::DecodeStatus::Ok: result.bytesWritten = size; break;
            case lzh::DecodeStatus::Truncated: result.error = lzhSizesDiffer(); break;
            case lzh::DecodeStatus::WriteFailed: result.error = writeFailed(outName); break;
            }
            return result;
        }

        QByteArray chunk;
        do {
            const auto lengthField = readExactly(2);
            if (!lengthField)
                return result;
            const auto block = readExactly(qFromLittleEndian<quint16>(lengthField->constData()));
            if (!block)
                return result;
            // A damaged block, or more text than the header announced, can
            // only end in a size mismatch; stopping at once also keeps a
            // small hostile file from producing gigabytes first.
            if (!lzrw1kh::decodeBlock(*block, chunk) ||
                chunk.size() > qint64(size) - result.bytesWritten) {
                result.error = sizesDiffer();
                return result;
            }
            if (out.write(chunk) != chunk.size()) {
                result.error = writeFailed(outName);
                return result;
            }
            result.bytesWritten += chunk.size();
        } while (chunk.size() == lzrw1kh::ChunkSize);

        if (result.bytesWritten != size)
            result.error = sizesDiffer();
    } catch (const std::bad_alloc &) {
        result.error = memoryFailed();
    }
    return result;
}

namespace {

TallyCodecResult convertFile(const QString &inPath, const QString &outPath, bool compress,
                             TallyMethod method)
{
    TallyCodecResult result;
    QFile in(inPath);
    if (!in.open(QIODevice::ReadOnly)) {
        result.error = openInputFailed(inPath);
        return result;
    }
    if (compress && !sizeKnown(in)) {
        result.error = sizeUnknown(inPath);
        return result;
    }
    // QSaveFile writes beside the final name and renames on commit, so a
    // failure leaves neither a partial file nor a lost earlier one.
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly)) {
        result.error = openOutputFailed(outPath);
        return result;
    }
    result = compress ? compressTally(in, out, inPath, outPath, method)
                      : decompressTally(in, out, inPath, outPath);
    if (!result.ok()) {
        out.cancelWriting();
        return result;
    }
    if (!out.commit())
        result.error = writeFailed(outPath);
    return result;
}

} // namespace

TallyCodecResult compressTallyFile(const QString &inPath, const QString &outPath,
                                   TallyMethod method)
{
    return convertFile(inPath, outPath, true, method);
}

TallyCodecResult decompressTallyFile(const QString &inPath, const QString &outPath)
{
    return convertFile(inPath, outPath, false, TallyMethod::Lzrw1kh);
}

QByteArray compressTallyText(QByteArrayView text, TallyMethod method)
{
    Q_ASSERT(text.size() <= MaxTextSize);
    const auto size = quint32(text.size());
    if (method == TallyMethod::Lzh)
        return header(MagicLzh, size) + lzh::encode(text);

    QByteArray file = header(MagicLzrw1kh, size);
    qsizetype at = 0;
    for (;;) {
        const auto chunk = text.sliced(at, qMin(lzrw1kh::ChunkSize, text.size() - at));
        appendBlock(file, chunk);
        at += chunk.size();
        if (chunk.size() < lzrw1kh::ChunkSize)
            break;
    }
    return file;
}

TallyDecodeResult decompressTallyText(QByteArrayView file, const QString &name)
{
    TallyDecodeResult result;
    QByteArray raw = QByteArray::fromRawData(file.data(), file.size());
    QBuffer in(&raw);
    QBuffer out(&result.text);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    result.error = decompressTally(in, out, name, QString()).error;
    if (!result.ok())
        result.text.clear();
    return result;
}

} // namespace velmora
