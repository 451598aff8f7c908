#pragma once

#include "computerplayer.h"

#include <array>
#include <cstdint>

namespace velmora {

class Random;

// A computer player that looks ahead. For each decision it deals the cards
// it cannot see many times over, each deal consistent with what the seat
// has seen (the cards gone, how many each seat holds, the cards no hand
// holds, how low each leader can still hold in a suit), plays every choice
// out to the round's end with the classic rules for every seat, and takes
// the choice that leaves its seat the most money on average.
//
// It decides from a PlayerView, so it cannot read another seat's hand.
// Each decision is seeded by one draw from the table's random source and
// deals a fixed number of samples: a seeded game replays move for move as
// long as the time budget is not reached first. A budget of 0 means none,
// for benchmarks and tests that must not depend on the machine's speed.
class StrongPlayer : public ComputerPlayer
{
public:
    static constexpr int DefaultSamples = 96;
    static constexpr int DefaultBudgetMs = 50;

    struct Limits
    {
        int samples = DefaultSamples;
        int budgetMs = DefaultBudgetMs;
    };

    // The best move and why, for the player's hint.
    struct Advice
    {
        int slot = 0; // hand slot to play, 0 with an empty hand
        int card = NoCard;
        int choices = 0;     // how many cards the rules allowed
        int samples = 0;     // deals looked at (fewer when the budget ran out)
        double meanGain = 0; // the seat's money change to the round's end
        // Pots the card wins at once, as bits 1..9.
        unsigned winsNow = 0;
        // How often the seat wins each pot by the round's end, 0..1.
        std::array<double, PotCount + 1> potChance{};
    };

    StrongPlayer(Random &seeds, Limits limits);
    explicit StrongPlayer(Random &seeds) : StrongPlayer(seeds, Limits{}) {}

    bool buysDummy(const PlayerView &view) override;
    int chooseSlot(const PlayerView &view) override;

    // The decision itself, with its own seed and limits.
    static Advice advise(const PlayerView &view, std::uint32_t seed, Limits limits);
    static bool adviseDummy(const PlayerView &view, std::uint32_t seed, Limits limits);

private:
    std::uint32_t nextSeed();

    Random &m_seeds;
    Limits m_limits;
};

} // namespace velmora
