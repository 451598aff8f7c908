#pragma once

#include "cards/hand.h"
#include "cards/pots.h"
#include "roundrecord.h"

namespace velmora {

// One seat's view of the table: its own hand and what the whole table can
// see. Computer players decide from this alone, so no policy can look into
// another seat's hand: the other hands are not in it to be read. The host
// builds it from its table, a client from the messages it has received.
struct PlayerView
{
    int seat = 0;
    Hand hand{};
    int tableCard = NoCard; // NoCard: the turn is a lead
    int dealer = 0;
    std::array<int, PotCount + 1> pots{}; // pots 1..9; index 0 unused
    PerSeat<int> cardsHeld{};
    PerSeat<int> lastCard{};
    PerSeat<int> cardBeforeLast{};
    RoundRecord record;
    // The cards this seat gave up for the dummy hand: out of play, and
    // known only to it.
    CardSet givenUp = 0;

    int held(int s) const { return cardsHeld[s - 1]; }
};

} // namespace velmora
