#pragma once

#include "playerview.h"

#include <memory>

namespace velmora {

class Random;

// How the computer plays a seat nobody plays: asked only when that seat is
// to act, it answers the dummy-hand offer or names a hand slot to play. It
// sees what that seat's player would see and nothing more. The table judges
// the chosen card like any player's and plays a card it takes in place of
// one it refuses, so a policy cannot break the rules or stall the table,
// only play badly.
class ComputerPlayer
{
public:
    virtual ~ComputerPlayer() = default;
    // Whether the seat, offered the dummy hand, takes it.
    virtual bool buysDummy(const PlayerView &view) = 0;
    // The hand slot (1..11) the seat plays on its turn, or 0 when its hand
    // is empty.
    virtual int chooseSlot(const PlayerView &view) = 0;
};

// How well the computer plays: the classic rules, or the Strong player that
// looks ahead.
enum class ComputerStrength { Classic, Strong };

// A policy of that strength drawing from `random`.
std::unique_ptr<ComputerPlayer> makeComputerPlayer(ComputerStrength strength, Random &random);

// The computer players every table has always had: a hand with one of five
// strong cards is kept, any other swapped for the dummy hand; a turn follows
// with the wanted card where it can, and otherwise leads the lowest card of
// a suit drawn at random from the hand. The draw comes from the table's own
// random source, so a seeded game replays card for card.
class ClassicPlayer : public ComputerPlayer
{
public:
    explicit ClassicPlayer(Random &random) : m_random(random) {}
    bool buysDummy(const PlayerView &view) override;
    int chooseSlot(const PlayerView &view) override;

    // The classic dummy rule on its own, for players who plan ahead.
    static bool wouldBuy(const Hand &hand);

private:
    Random &m_random;
};

} // namespace velmora
