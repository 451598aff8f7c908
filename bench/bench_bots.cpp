// How much better the Strong computer player does than the classic one, and
// what a move costs it. Whole seeded games of 16 rounds with dummy hands on
// (the game start's defaults), one Strong seat against three classic seats,
// the Strong seat moving round the table from game to game. The figure is
// the Strong seat's money at the game's end minus the classic seats' mean,
// averaged over the games, with a 95% confidence interval. The Strong seat
// decides by its sample count alone, without a time budget, so the figure
// does not depend on the machine; the time its decisions take is measured
// beside it.
//
// VELMORA_BOT_GAMES sets the number of games (5000 by default) and
// VELMORA_BOT_SAMPLES the deals per decision.

#include "../tests/support/enginerecorder.h"
#include "cards/random.h"
#include "host/gametable.h"
#include "host/strongplayer.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

using namespace velmora;

namespace {

int fromEnvironment(const char *name, int fallback)
{
    const char *text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// The Strong player with a stopwatch: the time of each decision it had to
// sample for (a follow has no choice and costs nothing).
// Processor time of this thread: on a machine shared with other work the
// wall clock measures the others too. Qt offers no thread clock.
double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Timing
{
    double totalMs = 0;
    double maxMs = 0;
    double cpuMs = 0;
    double cpuMaxMs = 0;
    long decisions = 0;
};

class TimedStrong : public StrongPlayer
{
public:
    TimedStrong(Random &seeds, Limits limits, Timing &timing)
        : StrongPlayer(seeds, limits), m_timing(timing)
    {
    }

    template <typename F>
    auto timed(F decide)
    {
        QElapsedTimer clock;
        clock.start();
        const double cpu = threadMs();
        const auto choice = decide();
        const double used = threadMs() - cpu;
        m_timing.cpuMs += used;
        m_timing.cpuMaxMs = std::max(m_timing.cpuMaxMs, used);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        m_timing.totalMs += ms;
        m_timing.maxMs = std::max(m_timing.maxMs, ms);
        ++m_timing.decisions;
        return choice;
    }
    bool buysDummy(const PlayerView &view) override
    {
        return timed([&] { return StrongPlayer::buysDummy(view); });
    }
    int chooseSlot(const PlayerView &view) override
    {
        if (view.tableCard != NoCard)
            return StrongPlayer::chooseSlot(view);
        return timed([&] { return StrongPlayer::chooseSlot(view); });
    }

private:
    Timing &m_timing;
};

// One game; returns the Strong seat's money minus the classic seats' mean.
double playGame(std::uint32_t seed, int strongSeat, int samples, Timing &timing)
{
    EngineRecorder host(EngineRecorder::NoSlot);
    Random random(seed);
    GameTable table(host, random);
    table.setComputerPlayer(strongSeat, std::make_unique<TimedStrong>(
                                            random, StrongPlayer::Limits{samples, 0}, timing));
    table.startGame("Bench", 100, 16, true);
    while (table.game().inProgress) {
        if (host.computerArmed) {
            host.computerArmed = false;
            table.computerTimerFired();
        } else if (host.roundOverArmed) {
            host.roundOverArmed = false;
            table.roundOverTimerFired();
        } else {
            break;
        }
    }
    double others = 0;
    for (int s = 1; s <= SeatCount; ++s)
        if (s != strongSeat)
            others += table.seat(s).cash;
    return table.seat(strongSeat).cash - others / 3;
}

void StrongAgainstClassic(benchmark::State &state)
{
    const int games = fromEnvironment("VELMORA_BOT_GAMES", 5000);
    const int samples = fromEnvironment("VELMORA_BOT_SAMPLES", StrongPlayer::DefaultSamples);
    for (auto _ : state) {
        double sum = 0;
        double squares = 0;
        Timing timing;
        for (int g = 0; g < games; ++g) {
            const double d =
                playGame(std::uint32_t(g) * 2654435761u + 7u, g % SeatCount + 1, samples, timing);
            sum += d;
            squares += d * d;
        }
        const double mean = sum / games;
        const double sd = std::sqrt((squares - games * mean * mean) / (games - 1));
        const double half = 1.96 * sd / std::sqrt(double(games));
        state.counters["games"] = games;
        state.counters["samples"] = samples;
        state.counters["strong_minus_classic"] = mean;
        state.counters["ci95_low"] = mean - half;
        state.counters["ci95_high"] = mean + half;
        state.counters["ms_per_decision"] =
            timing.decisions ? timing.totalMs / double(timing.decisions) : 0;
        state.counters["ms_max"] = timing.maxMs;
        state.counters["cpu_ms_per_decision"] =
            timing.decisions ? timing.cpuMs / double(timing.decisions) : 0;
        state.counters["cpu_ms_max"] = timing.cpuMaxMs;
    }
}
BENCHMARK(StrongAgainstClassic)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
