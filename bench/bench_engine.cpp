// Throughput of whole computer-played rounds through the host engine: every
// message is built and handed to an output that throws it away, and the
// timers fire as soon as the engine arms them. Single-threaded.
//
// Allocations are counted by replacing the global operator new and delete,
// and, on glibc, malloc, calloc and realloc too: Qt's containers (every
// QByteArray message) allocate with malloc directly, not through new.

#include "base/version.h"
#include "../tests/support/enginerecorder.h"
#include "cards/random.h"
#include "host/hostengine.h"
#include "protocol/messages.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_SANITIZED 1
#endif
#endif

#if !defined(VELMORA_SANITIZED)
#define VELMORA_COUNT_NEW 1
#if defined(__GLIBC__)
#define VELMORA_COUNT_MALLOC 1
#endif
#endif

namespace {
std::uint64_t g_news = 0;
std::uint64_t g_mallocs = 0;
} // namespace

#if defined(VELMORA_COUNT_MALLOC)
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);
void __libc_free(void *pointer);

void *malloc(std::size_t size) noexcept
{
    ++g_mallocs;
    return __libc_malloc(size);
}
void *calloc(std::size_t count, std::size_t size) noexcept
{
    ++g_mallocs;
    return __libc_calloc(count, size);
}
void *realloc(void *pointer, std::size_t size) noexcept
{
    ++g_mallocs;
    return __libc_realloc(pointer, size);
}
void free(void *pointer) noexcept { __libc_free(pointer); }
}
#define VELMORA_RAW_ALLOC(size) __libc_malloc(size)
#define VELMORA_RAW_FREE(pointer) __libc_free(pointer)
#else
#define VELMORA_RAW_ALLOC(size) std::malloc(size)
#define VELMORA_RAW_FREE(pointer) std::free(pointer)
#endif

#if defined(VELMORA_COUNT_NEW)
void *operator new(std::size_t size)
{
    ++g_news;
    if (void *p = VELMORA_RAW_ALLOC(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    ++g_news;
    return VELMORA_RAW_ALLOC(size ? size : 1);
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void *p) noexcept { VELMORA_RAW_FREE(p); }
void operator delete[](void *p) noexcept { VELMORA_RAW_FREE(p); }
void operator delete(void *p, std::size_t) noexcept { VELMORA_RAW_FREE(p); }
void operator delete[](void *p, std::size_t) noexcept { VELMORA_RAW_FREE(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { VELMORA_RAW_FREE(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { VELMORA_RAW_FREE(p); }
#endif

namespace {

using velmora::HostEngine;
namespace wire = velmora::wire;

using velmora::EngineRecorder;
constexpr auto request = &EngineRecorder::request;

// A table whose four seats are all played by the computer, with `connected`
// of them (from slot 1) holding a connection that just watches, so that
// every broadcast reaches that many sends.
class BotTable
{
public:
    BotTable(int connected, bool dummy)
        : m_sink(EngineRecorder::NoSlot), m_random(12345), m_engine(m_sink, m_random),
          m_dummy(dummy)
    {
        for (int i = 0; i < connected; ++i) {
            const int slot = m_engine.acceptSlot();
            m_engine.connected(slot);
            m_engine.handle(slot, request(wire::loginInfo(slot, velmora::VersionText, "Bot")));
        }
        m_connected = connected;
        startGame();
    }

    // Plays the round in progress to its end, then starts the next one.
    void playRound()
    {
        while (!m_engine.table().game().roundOver) {
            if (!m_sink.computerArmed)
                std::abort(); // the table stalls: a fault, not a measurement
            m_sink.computerArmed = false;
            m_engine.computerTimerFired();
        }
        m_sink.roundOverArmed = false;
        m_engine.roundOverTimerFired();
        if (!m_engine.table().game().inProgress)
            startGame();
    }

    std::uint64_t bytesSent() const { return m_sink.bytes; }

private:
    void startGame()
    {
        m_engine.handle(1, request(wire::startGameRequest("Bot", 100, "10000", m_dummy)));
        for (int seat = 1; seat <= m_connected && seat <= velmora::SeatCount; ++seat)
            m_engine.handle(1, request(wire::justWatch(seat, 1)));
    }

    EngineRecorder m_sink;
    velmora::Random m_random;
    HostEngine m_engine;
    bool m_dummy;
    int m_connected = 0;
};

void BM_BotRounds(benchmark::State &state)
{
    BotTable table(int(state.range(0)), state.range(1) != 0);
    table.playRound(); // warm up: first-use allocations stay out of the count
    const std::uint64_t news = g_news;
    const std::uint64_t mallocs = g_mallocs;
    const std::uint64_t bytes = table.bytesSent();
    std::int64_t rounds = 0;
    for (auto _ : state) {
        table.playRound();
        ++rounds;
    }
    const double perRound = 1.0 / double(rounds);
    state.SetItemsProcessed(rounds);
    state.counters["rounds/s"] = benchmark::Counter(double(rounds), benchmark::Counter::kIsRate);
#if defined(VELMORA_COUNT_NEW)
    state.counters["new/round"] = double(g_news - news) * perRound;
#endif
#if defined(VELMORA_COUNT_MALLOC)
    state.counters["malloc/round"] = double(g_mallocs - mallocs) * perRound;
#endif
    state.counters["bytes/round"] = double(table.bytesSent() - bytes) * perRound;
    (void)news;
    (void)mallocs;
}

} // namespace

// Arguments: connected slots (all just watching), dummy hands on.
BENCHMARK(BM_BotRounds)
    ->ArgNames({"connected", "dummy"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({4, 1})
    ->Args({4, 0});

BENCHMARK_MAIN();
