#pragma once

#include <QByteArray>
#include <QList>

namespace velmora {

// Cuts one connection's byte stream into messages at the byte 0xFF.
// Bytes after the last 0xFF wait for the next read. A peer that sends more
// than `limit` bytes without ending its message is broken or hostile; the
// framer then reports an overflow and its owner drops the connection.
class Framer
{
public:
    static constexpr char Terminator = '\xFF';
    static constexpr qsizetype DefaultLimit = 64 * 1024;

    Framer() = default;
    explicit Framer(qsizetype limit) : m_limit(limit) {}

    // Appends bytes and moves every completed message to `out`, in order.
    // Returns false when the unterminated remainder exceeds the limit; the
    // completed messages are still delivered, the remainder is discarded.
    bool feed(const QByteArray &bytes, QList<QByteArray> &out);

    qsizetype pending() const { return m_buffer.size(); }
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    qsizetype m_limit = DefaultLimit;
};

} // namespace velmora
