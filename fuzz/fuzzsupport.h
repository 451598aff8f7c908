#pragma once

// Helpers shared by the fuzz targets.

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmora::fuzz {

// An invariant that must hold whatever the input; a failure aborts so that
// libFuzzer keeps the input as a crash. Independent of NDEBUG.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The input as a QByteArray that borrows libFuzzer's buffer.
inline QByteArray borrow(const std::uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Reads a fuzz input from front to back: choices, numbers and texts. Unlike
// libFuzzer's FuzzedDataProvider, which takes numbers from the input's far
// end, it keeps a step's bytes together, so seeds can be written by hand
// from real messages and a mutation changes one step. A spent input reads
// as zeros.
class Reader
{
public:
    Reader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    int byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    // 0..n-1
    int pick(int n) { return byte() % n; }
    bool flag() { return byte() & 1; }
    std::uint32_t word()
    {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w = w << 8 | std::uint32_t(byte());
        return w;
    }
    // A length byte, then that many bytes (fewer at the end).
    QByteArray text()
    {
        const std::size_t n = std::min<std::size_t>(std::size_t(byte()), m_size - m_pos);
        const QByteArray t(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return t;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// The table model owns a QTimer (the delayed turn sound), which needs an
// application object to register with. Nothing ever runs its event loop,
// so no timer fires in the targets.
inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "velmora-fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
}

} // namespace velmora::fuzz
